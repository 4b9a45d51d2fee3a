#include "fonts/KXFontSupport_p.h"

#include <climits>
#include <cstdio>

#include "pdf/KXPDFPathUtilities.h"
#include "pdf/KXPDFUtilities.h"
#include "platform/FileSystem.h"
#include "platform/Unicode.h"

namespace kx::detail {

bool fontNumber(const PDFObject& dict, std::string_view key, double& out) {
    return KXPDFUtilities::GetNumberWithPDFDictionary(dict, key, out);
}

bool fontNumberAt(const PDFObject& array, size_t index, double& out) {
    return KXPDFUtilities::GetNumberWithPDFArray(array, index, out);
}

std::string fontString(const PDFObject& dict, std::string_view key) {
    PDFObject value = dict.dictGet(key);
    std::string text;
    if (value.getName(text)) return text;
    if (value.isString()) return utf16ToUtf8(value.textString());
    return {};
}

std::optional<std::string> parserResourcePath(const std::string& relativePath) {
    if (relativePath.empty()) return std::nullopt;
    return KXPDFPathUtilities::PathInLibBundleForResource(relativePath);
}

std::optional<std::string> parserResourceText(const std::string& relativePath) {
    auto path = parserResourcePath(relativePath);
    if (!path) return std::nullopt;
    return readFile(*path);
}

bool checkAllocationSize(size_t count, size_t size) {
    if (size == 0 || count >= static_cast<size_t>(INT_MAX) / size) {
        std::fputs("Bogus memory allocation size\n", stderr);
        return false;
    }
    return true;
}

void reportOutOfMemory() { std::fputs("Out of memory\n", stderr); }

}  // namespace kx::detail
