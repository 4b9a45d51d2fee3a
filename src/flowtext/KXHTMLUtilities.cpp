#include "flowtext/KXHTMLUtilities.h"

#include <algorithm>
#include <cmath>

#include "platform/Unicode.h"

namespace {
constexpr size_t kMaxFontNameBytes = 217;
const char* const kDefaultFontName = "Times New Roman";

int16_t clampChannel(int16_t v) { return std::clamp<int16_t>(v, 0, 255); }
}  // namespace

KXHTML_CSS_Paragraph KXHTMLUtilities::defaultCssParagraphProperty() {
    KXHTML_CSS_Paragraph p;
    p.font.fontSize = 12.0f;
    p.font.fontName = kDefaultFontName;
    p.color.alpha = 1;
    return p;
}

KXHTML_CSS_Span KXHTMLUtilities::defaultCssSpanProperty() {
    KXHTML_CSS_Span s;
    s.font.fontSize = 12.0f;
    s.font.fontName = kDefaultFontName;
    s.color.alpha = 1;
    return s;
}

KXHTML_CSS_Color KXHTMLUtilities::fixedCssColor(KXHTML_CSS_Color c) {
    return {clampChannel(c.red), clampChannel(c.green), clampChannel(c.blue), clampChannel(c.alpha)};
}

KXHTML_CSS_Font KXHTMLUtilities::fixedCssFont(KXHTML_CSS_Font font) {
    double size = font.fontSize;
    font.fontSize = std::isnan(size) ? 8.0f : static_cast<float>(std::max(8.0, std::min(size, 288.0)));
    if (font.fontName.empty())
        font.fontName = kDefaultFontName;
    else if (font.fontName.size() > kMaxFontNameBytes)
        font.fontName = kx::truncateUtf8(font.fontName, kMaxFontNameBytes);
    return font;
}

bool KXHTMLUtilities::isCSSMargin(const KXHTML_CSS_Margin& a, const KXHTML_CSS_Margin& b) {
    return a.top == b.top && a.right == b.right && a.bottom == b.bottom && a.left == b.left;
}

bool KXHTMLUtilities::isCSSColor(const KXHTML_CSS_Color& a, const KXHTML_CSS_Color& b) {
    return a.red == b.red && a.green == b.green && a.blue == b.blue && a.alpha == b.alpha;
}

bool KXHTMLUtilities::isCSSFont(const KXHTML_CSS_Font& a, const KXHTML_CSS_Font& b) {
    return a.fontSize == b.fontSize && a.fontName == b.fontName;
}

bool KXHTMLUtilities::isCSSParagraph(const KXHTML_CSS_Paragraph& a, const KXHTML_CSS_Paragraph& b) {
    return a.textIndent == b.textIndent && isCSSMargin(a.margin, b.margin) && isCSSColor(a.color, b.color) &&
           isCSSFont(a.font, b.font);
}

bool KXHTMLUtilities::isCSSSpan(const KXHTML_CSS_Span& a, const KXHTML_CSS_Span& b) {
    return a.textDecoration == b.textDecoration && isCSSColor(a.color, b.color) && isCSSFont(a.font, b.font);
}

std::string KXHTMLUtilities::cssTextDecoration(int index) {
    static const char* const words[] = {"none", "underline", "line-through", "blink", "inherit"};
    if (index < 0 || index >= 5) return words[0];
    return words[index];
}

std::string KXHTMLUtilities::cssQuotedFontName(const std::string& rawName) {
    // Font names come from the PDF and need not be valid UTF-8.
    const std::string name = kx::isValidUtf8(rawName) ? rawName : kx::utf16ToUtf8(kx::utf8ToUtf16(rawName));
    std::string out;
    out.reserve(name.size());
    for (char ch : name) {
        unsigned char c = static_cast<unsigned char>(ch);
        if (c == '\'' || c == '\\') {
            out += '\\';
            out += ch;
        } else if (c == '<') {
            out += "\\3c ";
        } else if (c == '>') {
            out += "\\3e ";
        } else if (c < 0x20 || c == 0x7F) {
            // A CSS string cannot hold a raw line break; other control characters show nothing.
        } else {
            out += ch;
        }
    }
    return out;
}
