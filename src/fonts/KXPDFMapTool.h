#pragma once
// Finds the CMap resources that ship beside the program: the encoding CMaps under
// "PDFEncodings/CMap" and the CID-to-Unicode tables of the four Adobe collections under
// "PDFEncodings/CIDToUnicode".

#include <optional>
#include <string>

class KXPDFMapTool {
public:
    // The text of the encoding CMap of that name (the collection is not part of the path); none when
    // the resource is missing, unreadable, or the name is not a plain file name.
    static std::optional<std::string> FindCMapFile(const std::string& collection, const std::string& cMapName);
    // The text of the CID-to-Unicode table of a collection given as Registry-Ordering
    // ("Adobe-Japan1"); none for any collection without a table.
    static std::optional<std::string> FindToUnicodeFile(const std::string& collection);
};
