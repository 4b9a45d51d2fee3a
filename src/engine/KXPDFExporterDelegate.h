#pragma once
// What an exporter reports to the engine while it converts.

#include <cstdint>

class KXPDFExporter;

class KXPDFExporterDelegate {
public:
    virtual ~KXPDFExporterDelegate() = default;
    // Progress within the page at output position `pageIndex`.
    virtual void pageIndex(KXPDFExporter& exporter, std::uint64_t pageIndex, std::uint64_t progress) {
        (void)exporter, (void)pageIndex, (void)progress;
    }
};
