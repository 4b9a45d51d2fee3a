#include "flowtext/KXHTMLFileWriter.h"

#include <cstdarg>

#include "platform/Format.h"
#include "platform/Unicode.h"

KXHTMLFileWriter::KXHTMLFileWriter() : FlowFileWriter("   ", "<br>", "   ", "<br>") {}

std::unique_ptr<KXHTMLFileWriter> KXHTMLFileWriter::initWithPath(const std::string& path) {
    auto writer = std::make_unique<KXHTMLFileWriter>();
    if (!writer->open(path)) return nullptr;
    return writer;
}

void KXHTMLFileWriter::writeContent(std::u16string_view text) { write(_formatTextOfString(text)); }

void KXHTMLFileWriter::writeFormat(const char* format, ...) {
    if (!format) return;
    va_list args;
    va_start(args, format);
    std::string text = kx::vformat(format, args);
    va_end(args);
    write(text);
}

std::string KXHTMLFileWriter::_formatTextOfString(std::u16string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 4);
    size_t i = 0;
    while (i < text.size()) {
        char32_t c = kx::nextCodePoint(text, i);
        switch (c) {
            case '\t': out += ' '; break;
            case '\r':
                if (i < text.size() && text[i] == u'\n') ++i;
                out += "<br>";
                break;
            case '\n': out += "<br>"; break;
            case '"': out += "&quot;"; break;
            case '&': out += "&amp;"; break;
            case '<': out += "&lt;"; break;
            case '>': out += "&gt;"; break;
            default:
                // Control characters have no place in an HTML document.
                if (c < 0x20 || (c >= 0x7F && c <= 0x9F)) break;
                kx::appendUtf8(out, c);
        }
    }
    return out;
}

std::string KXHTMLFileWriter::escapedUtf8(std::string_view utf8) { return _formatTextOfString(kx::utf8ToUtf16(utf8)); }
