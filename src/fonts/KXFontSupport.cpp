#include "fonts/KXFontSupport_p.h"

#include <climits>
#include <cstdio>

#include "pdf/KXPDFPathUtilities.h"
#include "platform/FileSystem.h"
#include "platform/Unicode.h"

namespace kx::detail {

namespace {

bool numberOf(const PDFObject& object, double& out) {
    std::int64_t integer = 0;
    if (object.getInteger(integer)) {
        out = static_cast<double>(static_cast<float>(integer));
        return true;
    }
    if (object.isReal()) return object.getNumber(out);
    return false;
}

}  // namespace

bool fontNumber(const PDFObject& dict, std::string_view key, double& out) {
    return numberOf(dict.dictGet(key), out);
}

bool fontNumberAt(const PDFObject& array, size_t index, double& out) {
    return numberOf(array.arrayAt(index), out);
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
