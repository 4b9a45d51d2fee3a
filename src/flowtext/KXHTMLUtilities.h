#pragma once
// The CSS records of the HTML output and the class operations on them: defaults, clamping to what
// a browser can show, and the comparisons that decide when two records share a CSS class.

#include <cstdint>
#include <string>

// Lengths in CSS pixels.
struct KXHTML_CSS_Margin {
    float top = 0, right = 0, bottom = 0, left = 0;
};

struct KXHTML_CSS_Font {
    float fontSize = 0;    // CSS pixels
    std::string fontName;  // UTF-8, at most 217 bytes once clamped
};

struct KXHTML_CSS_Color {
    int16_t red = 0, green = 0, blue = 0, alpha = 0;  // 0 to 255 once clamped
};

struct KXHTML_CSS_Paragraph {
    float textIndent = 0;
    KXHTML_CSS_Margin margin;
    KXHTML_CSS_Font font;
    KXHTML_CSS_Color color;
};

struct KXHTML_CSS_Span {
    int textDecoration = 0;  // index into the decoration words: 0 none, 1 underline
    int fontWeight = 0;      // non-zero: bold
    int fontStyle = 0;       // non-zero: italic
    KXHTML_CSS_Font font;
    KXHTML_CSS_Color color;
};

class KXHTMLUtilities {
public:
    static KXHTML_CSS_Paragraph defaultCssParagraphProperty();
    static KXHTML_CSS_Span defaultCssSpanProperty();

    // Each channel into 0..255.
    static KXHTML_CSS_Color fixedCssColor(KXHTML_CSS_Color color);
    // Size into 8..288 pixels (a size that is not a number becomes 8); an empty name becomes
    // "Times New Roman"; a longer name is cut to 217 bytes at a character boundary.
    static KXHTML_CSS_Font fixedCssFont(KXHTML_CSS_Font font);

    static bool isCSSMargin(const KXHTML_CSS_Margin& a, const KXHTML_CSS_Margin& b);
    static bool isCSSColor(const KXHTML_CSS_Color& a, const KXHTML_CSS_Color& b);
    static bool isCSSFont(const KXHTML_CSS_Font& a, const KXHTML_CSS_Font& b);
    static bool isCSSParagraph(const KXHTML_CSS_Paragraph& a, const KXHTML_CSS_Paragraph& b);
    // Bold and italic are tags inside the span, not part of its class: they are not compared.
    static bool isCSSSpan(const KXHTML_CSS_Span& a, const KXHTML_CSS_Span& b);

    // "none", "underline", "line-through", "blink", "inherit"; "none" outside that table.
    static std::string cssTextDecoration(int index);

    // A font name as a single-quoted CSS string body: quotes and backslashes escaped, "<" and ">"
    // written as CSS escapes so that no name can end the style sheet, control characters dropped.
    static std::string cssQuotedFontName(const std::string& name);
};
