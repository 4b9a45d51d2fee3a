#include "fonts/KXPDFCMapTokenizer.h"

#include <algorithm>

namespace {

bool isWhite(int c) { return c == 0 || c == '\t' || c == '\n' || c == '\f' || c == '\r' || c == ' '; }

bool isDelimiter(int c) {
    return c == '%' || c == '(' || c == ')' || c == '/' || c == '<' || c == '>' || c == '[' || c == ']' ||
           c == '{' || c == '}';
}

}  // namespace

KXPDFCMapTokenizer::KXPDFCMapTokenizer(std::string_view text) : charData_(text) {
    // The text is NUL-terminated as far as the CMap syntax is concerned.
    if (auto nul = charData_.find('\0'); nul != std::string_view::npos) charData_ = charData_.substr(0, nul);
}

int KXPDFCMapTokenizer::lookChar() {
    return position_ < charData_.size() ? static_cast<unsigned char>(charData_[position_]) : -1;
}

int KXPDFCMapTokenizer::getChar() {
    int c = lookChar();
    if (c >= 0) ++position_;
    return c;
}

bool KXPDFCMapTokenizer::getToken(std::string& token, size_t size) {
    token.clear();
    const size_t keep = size > 0 ? size - 1 : 0;
    // Works on the text directly (a table of tens of thousands of mappings is cut into tokens
    // here): `p` is the next character to read.
    const std::string_view data = charData_;
    size_t p = position_;
    const size_t end = data.size();
    auto byte = [&](size_t i) { return static_cast<unsigned char>(data[i]); };
    // Appends data[from, to) within the kept length.
    auto addRange = [&](size_t from, size_t to) {
        if (token.size() < keep) token.append(data.substr(from, std::min(to - from, keep - token.size())));
    };

    // White space and comments.
    int c;
    for (;;) {
        if (p >= end) {
            position_ = p;
            return false;
        }
        c = byte(p++);
        if (c == '%') {
            while (p < end && byte(p) != '\r' && byte(p) != '\n') ++p;
            continue;
        }
        if (!isWhite(c)) break;
    }

    addRange(p - 1, p);
    if (c == '(') {
        size_t from = p;
        bool escaped = false;
        while (p < end) {
            c = byte(p++);
            if (escaped) {
                escaped = false;
            } else if (c == '\\') {
                escaped = true;
            } else if (c == ')') {
                break;
            }
        }
        addRange(from, p);
    } else if (c == '<') {
        while (p < end) {
            c = byte(p++);
            if (isWhite(c)) continue;
            addRange(p - 1, p);
            if (c == '>') break;
        }
    } else if (c == '[' || c == ']') {
        // a token of its own
    } else {
        size_t from = p;
        while (p < end && !isWhite(byte(p)) && !isDelimiter(byte(p))) ++p;
        addRange(from, p);
    }
    position_ = p;
    return true;
}
