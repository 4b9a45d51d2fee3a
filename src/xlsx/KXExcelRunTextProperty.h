#pragma once
// The properties of a spreadsheet text run: style flags, size, font names and colour.

#include <cstdint>
#include <optional>
#include <string>

class KXExcelRunTextProperty {
public:
    // Size 12, font and family "Arial Unicode MS", colour "2f2b20", no flag.
    KXExcelRunTextProperty();

    // Italic, bold, struck through.
    bool i() const { return i_; }
    void setI(bool v) { i_ = v; }
    bool b() const { return b_; }
    void setB(bool v) { b_ = v; }
    bool strike() const { return strike_; }
    void setStrike(bool v) { strike_ = v; }
    std::int32_t charset() const { return charset_; }
    void setCharset(std::int32_t v) { charset_ = v; }
    // Points.
    double sz() const { return sz_; }
    void setSz(double v) { sz_ = v; }
    // The font name written for the run.
    const std::string& rFont() const { return rFont_; }
    void setRFont(std::string v) { rFont_ = std::move(v); }
    // The installed font that stands in for the PDF font.
    const std::string& rFont_replace() const { return rFont_replace_; }
    void setRFont_replace(std::string v) { rFont_replace_ = std::move(v); }
    const std::string& family() const { return family_; }
    void setFamily(std::string v) { family_ = std::move(v); }
    const std::optional<std::string>& scheme() const { return scheme_; }
    void setScheme(std::optional<std::string> v) { scheme_ = std::move(v); }
    // Six hexadecimal digits; empty for none.
    const std::string& rgbColor() const { return rgbColor_; }
    void setRgbColor(std::string v) { rgbColor_ = std::move(v); }

    // Equal size, and equal font name, colour and family (an empty text equals nothing). Characters
    // join into one run, and a cell's runs count as alike, only under this test.
    bool isEqualToRPr(const KXExcelRunTextProperty& other) const;
    // Equal size and colour: the looser test of joining runs of one line.
    bool isSameToRPr(const KXExcelRunTextProperty& other) const;

private:
    bool i_ = false;
    bool b_ = false;
    bool strike_ = false;
    std::int32_t charset_ = 0;
    double sz_ = 12.0;
    std::string rFont_;
    std::string rFont_replace_;
    std::string family_;
    std::optional<std::string> scheme_;
    std::string rgbColor_;
};
