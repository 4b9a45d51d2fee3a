#pragma once
// Font dictionaries for the font tests: written with the PDF builder, read back through the
// platform's object reader.

#include <cstdint>
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

// A Type 1 program (binary, as the installed ones are) with glyphs renamed in its CharStrings: the
// encrypted part is decrypted, its "/old " entries become "/new ", and it is encrypted again. Empty
// when the program has no such part.
inline std::string type1ProgramWithRenamedGlyphs(std::string program,
                                                 const std::vector<std::pair<std::string, std::string>>& renames) {
    size_t begin = program.find("eexec");
    if (begin == std::string::npos) return {};
    begin += 5;
    while (begin < program.size() && (program[begin] == '\r' || program[begin] == '\n')) ++begin;
    const size_t end = program.find(std::string(64, '0'), begin);
    if (end == std::string::npos) return {};
    std::string text;
    std::uint16_t r = 55665;
    for (size_t i = begin; i < end; ++i) {
        const auto c = static_cast<unsigned char>(program[i]);
        text.push_back(static_cast<char>(c ^ (r >> 8)));
        r = static_cast<std::uint16_t>((c + r) * 52845u + 22719u);
    }
    const size_t charStrings = text.find("/CharStrings");
    if (charStrings == std::string::npos) return {};
    for (const auto& [from, to] : renames) {
        const size_t at = text.find("\n/" + from + " ", charStrings);
        if (at == std::string::npos) return {};
        text.replace(at + 2, from.size(), to);
    }
    std::string encrypted;
    r = 55665;
    for (char plain : text) {
        const auto c = static_cast<unsigned char>(static_cast<unsigned char>(plain) ^ (r >> 8));
        encrypted.push_back(static_cast<char>(c));
        r = static_cast<std::uint16_t>((c + r) * 52845u + 22719u);
    }
    return program.replace(begin, end - begin, encrypted);
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
