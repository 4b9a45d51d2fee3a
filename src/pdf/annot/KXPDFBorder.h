#pragma once
// An annotation's border: the width and dash pattern with which the drawn annotation kinds stroke
// their outlines. The two forms a file may give (the old /Border array and the /BS dictionary) are
// parsed by the subclasses.

#include <cstdint>
#include <optional>
#include <vector>

namespace kx {
class PDFObject;
}

class KXPDFBorder {
public:
    KXPDFBorder() = default;
    virtual ~KXPDFBorder() = default;

    // Reads a dash array (at most ten numbers, none negative); on success sets `dashPattern` and
    // makes the style dashed. On failure the border is left unchanged.
    bool parseDashArray(const kx::PDFObject& array);
    // The style's name in a /BS dictionary: "S", "D", "B", "I" or "U".
    const char* getStyleName() const;

    // 0 from a /Border array or a plain border, 1 from a /BS dictionary.
    std::int64_t type() const { return type_; }
    void setType(std::int64_t type) { type_ = type; }
    // 0 solid, 1 dashed, 2 beveled, 3 inset, 4 underline.
    std::int64_t style() const { return style_; }
    void setStyle(std::int64_t style) { style_ = style; }
    double lineWidth() const { return lineWidth_; }
    void setLineWidth(double width) { lineWidth_ = width; }
    // Dash lengths; nullopt for none.
    const std::optional<std::vector<float>>& dashPattern() const { return dashPattern_; }
    void setDashPattern(std::optional<std::vector<float>> pattern) { dashPattern_ = std::move(pattern); }

protected:
    std::int64_t type_ = 0;
    std::int64_t style_ = 0;
    double lineWidth_ = 1.0;
    std::optional<std::vector<float>> dashPattern_;
};
