#pragma once
// The spreadsheet options of a conversion. The spreadsheet exporter defines its fields (all pages in
// one sheet, pages as rows, number recognition, paths, fills, format, thousand separator, overlap
// tolerance); the engine only creates it with its defaults and hands it on.

class KXExcelOptions {
public:
    KXExcelOptions() = default;
};
