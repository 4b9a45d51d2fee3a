#pragma once
// Cuts CMap text into tokens: names (with their "/"), numbers and keywords, hexadecimal strings
// ("<...>" with white space removed), literal strings ("(...)") and the brackets "[" and "]".
// Comments ("%" to the end of the line) are skipped. The text ends at its end or at a NUL byte.

#include <cstddef>
#include <string>
#include <string_view>

class KXPDFCMapTokenizer {
public:
    // initWithData:
    explicit KXPDFCMapTokenizer(std::string_view text);

    // The next character (0 to 255) without consuming it; -1 at the end.
    int lookChar();
    // The next character, consumed; -1 at the end.
    int getChar();
    // Reads the next token into `token`, keeping at most `size` - 1 characters of it (the rest is
    // consumed and dropped). False, with an empty token, at the end of the text.
    bool getToken(std::string& token, size_t size = 256);

private:
    std::string_view charData_;
    size_t position_ = 0;  // the next character
};
