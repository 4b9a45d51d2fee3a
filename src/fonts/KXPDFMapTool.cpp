#include "fonts/KXPDFMapTool.h"

#include "fonts/KXFontSupport_p.h"

namespace {

// Names come from the file: nothing that could leave the resource folder.
bool isPlainName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
           name.find('\\') == std::string::npos && name.find('\0') == std::string::npos;
}

}  // namespace

std::optional<std::string> KXPDFMapTool::FindCMapFile(const std::string& /*collection*/, const std::string& cMapName) {
    if (!isPlainName(cMapName)) return std::nullopt;
    return kx::detail::parserResourceText("PDFEncodings/CMap/" + cMapName);
}

std::optional<std::string> KXPDFMapTool::FindToUnicodeFile(const std::string& collection) {
    static const char* const kTables[][2] = {
        {"Adobe-CNS1", "Adobe-CNS1-UCS2"},
        {"Adobe-GB1", "Adobe-GB1-UCS2"},
        {"Adobe-Japan1", "Adobe-Japan1-UCS2"},
        {"Adobe-Korea1", "Adobe-Korea1-UCS2"},
    };
    for (const auto& table : kTables) {
        if (collection == table[0]) return kx::detail::parserResourceText(std::string("PDFEncodings/CIDToUnicode/") + table[1]);
    }
    return std::nullopt;
}
