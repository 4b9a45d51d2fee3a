#include "flowtext/KXRTFFileWriter.h"

#include "platform/Format.h"
#include "platform/Unicode.h"

namespace {

// The Windows-1252 byte of a character, or 0 when the code page has none.
unsigned char windows1252Byte(char16_t c) {
    if (c < 0x80) return static_cast<unsigned char>(c);
    if (c >= 0xA0 && c <= 0xFF) return static_cast<unsigned char>(c);
    static const char16_t upper[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                       0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                       0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                       0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
    for (int i = 0; i < 32; ++i) {
        if (upper[i] == c) return static_cast<unsigned char>(0x80 + i);
    }
    return 0;
}

void appendUnicode(std::string& out, char16_t c) {
    out += kx::format("\\u%d", static_cast<int>(static_cast<int16_t>(c)));
    unsigned char fallback = (c >= 0xD800 && c <= 0xDFFF) ? 0 : windows1252Byte(c);
    if (fallback >= 0x80)
        out += kx::format("\\'%02x", fallback);
    else
        out += '?';
}

std::string escape(std::u16string_view text, bool fontName) {
    std::string out;
    out.reserve(text.size() + 8);
    for (size_t i = 0; i < text.size(); ++i) {
        char16_t c = text[i];
        if (!KXRTFFileWriter::_reservedSetHasMember(c)) {
            if (fontName && c == u';')
                out += "\\'3b";
            else
                out += static_cast<char>(c);
            continue;
        }
        switch (c) {
            case u'\\':
            case u'{':
            case u'}':
                out += '\\';
                out += static_cast<char>(c);
                break;
            case u'\t':
                if (!fontName) out += "\\tab ";
                break;
            case u'\r':
                if (i + 1 < text.size() && text[i + 1] == u'\n') ++i;
                [[fallthrough]];
            case u'\n':
                if (!fontName) out += "\\\n";
                break;
            default:
                if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
                    text[i + 1] <= 0xDFFF) {
                    // A character outside the BMP: both halves of the pair, as readers expect.
                    appendUnicode(out, c);
                    appendUnicode(out, text[++i]);
                } else if (c >= 0xD800 && c <= 0xDFFF) {
                    appendUnicode(out, 0xFFFD);
                } else if (c >= 0xA0) {
                    appendUnicode(out, c);
                }
                // Other control characters have no text to show.
        }
    }
    return out;
}

}  // namespace

KXRTFFileWriter::KXRTFFileWriter() : FlowFileWriter("    ", "\n", "    ", "\\\n") { _buildReservedSet(); }

std::unique_ptr<KXRTFFileWriter> KXRTFFileWriter::initWithPath(const std::string& path) {
    auto writer = std::make_unique<KXRTFFileWriter>();
    if (!writer->open(path)) return nullptr;
    return writer;
}

const std::bitset<65536>& KXRTFFileWriter::_buildReservedSet() {
    static const std::bitset<65536> reserved = [] {
        std::bitset<65536> set;
        set.set();
        for (int c = 32; c <= 126; ++c) set.reset(static_cast<size_t>(c));
        for (char c : std::string_view("\\{}\r\n")) set.set(static_cast<unsigned char>(c));
        return set;
    }();
    return reserved;
}

bool KXRTFFileWriter::_reservedSetHasMember(char16_t unit) { return _buildReservedSet().test(unit); }

void KXRTFFileWriter::writeContent(std::u16string_view text) { write(_formatTextOfString(text)); }

std::string KXRTFFileWriter::_formatTextOfString(std::u16string_view text) { return escape(text, false); }

std::string KXRTFFileWriter::formatFontName(std::string_view utf8Name) {
    return escape(kx::utf8ToUtf16(utf8Name), true);
}
