#include "fonts/KXPDFCMapTokenizer.h"

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
    if (charBuf_ < 0) {
        if (position_ >= charData_.size()) return -1;
        charBuf_ = static_cast<unsigned char>(charData_[position_++]);
    }
    return charBuf_;
}

int KXPDFCMapTokenizer::getChar() {
    int c = lookChar();
    charBuf_ = -1;
    return c;
}

bool KXPDFCMapTokenizer::getToken(std::string& token, size_t size) {
    token.clear();
    const size_t keep = size > 0 ? size - 1 : 0;
    auto add = [&](int c) {
        if (token.size() < keep) token.push_back(static_cast<char>(c));
    };

    // White space and comments.
    int c;
    for (;;) {
        c = getChar();
        if (c < 0) return false;
        if (c == '%') {
            while ((c = lookChar()) >= 0 && c != '\r' && c != '\n') getChar();
            continue;
        }
        if (!isWhite(c)) break;
    }

    add(c);
    if (c == '(') {
        bool escaped = false;
        while ((c = getChar()) >= 0) {
            add(c);
            if (escaped) {
                escaped = false;
            } else if (c == '\\') {
                escaped = true;
            } else if (c == ')') {
                break;
            }
        }
    } else if (c == '<') {
        while ((c = getChar()) >= 0) {
            if (isWhite(c)) continue;
            add(c);
            if (c == '>') break;
        }
    } else if (c == '[' || c == ']') {
        // a token of its own
    } else {
        while ((c = lookChar()) >= 0 && !isWhite(c) && !isDelimiter(c)) add(getChar());
    }
    return true;
}
