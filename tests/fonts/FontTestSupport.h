#pragma once
// Font dictionaries for the font tests: written with the PDF builder, read back through the
// platform's object reader.

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "fonts/KXPDFFont.h"
#include "platform/FileSystem.h"
#include "platform/pdf/PDFDocument.h"
#include "support/PDFBuilder.h"

namespace kx::test {

struct FontObject {
    std::shared_ptr<PDFDocument> document;  // keeps the object alive
    PDFObject dictionary;
};

// Adds `body` as an object to the builder (whose other objects it may reference), writes the
// document and returns the object read back.
inline FontObject readBackObject(PDFBuilder& builder, const std::string& body) {
    int number = builder.add(body);
    builder.addPage("", "<< >>");
    FontObject out;
    out.document = PDFDocument::openFromMemory(builder.build());
    if (out.document) out.dictionary = out.document->object(number);
    return out;
}

// The bytes of a file of the machine (installed fonts); empty when missing.
inline std::string fileBytes(const std::string& path) { return readFile(path).value_or(std::string()); }

// The installed Nimbus Sans Type 1 program with its standard encoding replaced by one of its own,
// as TeX fonts carry (code → glyph name); empty when the program is not installed.
inline std::string type1ProgramWithEncoding(const std::vector<std::pair<int, std::string>>& codes) {
    std::string program = fileBytes("/usr/share/fonts/type1/urw-base35/NimbusSans-Regular.t1");
    const std::string standard = "/Encoding StandardEncoding def";
    size_t at = program.find(standard);
    if (at == std::string::npos) return {};
    std::string encoding = "/Encoding 256 array\n0 1 255 {1 index exch /.notdef put} for\n";
    for (const auto& [code, name] : codes) encoding += "dup " + std::to_string(code) + " /" + name + " put\n";
    encoding += "readonly def";
    return program.replace(at, standard.size(), encoding);
}

// Decodes every character of `bytes` with the font: the Unicode values of each code joined, one
// string per code, and the advances.
struct DecodedChar {
    std::uint32_t code = 0;
    std::u32string text;
    float dx = 0, dy = 0, ox = 0, oy = 0;
    int bytes = 0;
};

inline std::vector<DecodedChar> decodeAll(const KXPDFFont& font, const std::string& bytes) {
    std::vector<DecodedChar> out;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    int left = static_cast<int>(bytes.size());
    while (left > 0) {
        DecodedChar c;
        std::uint32_t u[16] = {};
        int uLen = 0;
        c.bytes = font.getNextChar(p, left, &c.code, u, 16, &uLen, &c.dx, &c.dy, &c.ox, &c.oy);
        for (int i = 0; i < uLen; ++i) c.text.push_back(static_cast<char32_t>(u[i]));
        out.push_back(c);
        p += c.bytes;
        left -= c.bytes;
    }
    return out;
}

// Builds a font from a dictionary body (through the factory).
inline std::shared_ptr<KXPDFFont> makeFont(PDFBuilder& builder, const std::string& body, const std::string& key = "F1") {
    FontObject object = readBackObject(builder, body);
    return KXPDFFont::FontWithDictionary(object.dictionary, key);
}

}  // namespace kx::test
