#include "flowtext/KXRTFState.h"

#include "flowtext/KXRTFFileWriter.h"
#include "platform/Format.h"
#include "platform/Numeric.h"

KXRTFState& KXRTFState::sharedInstance() {
    static KXRTFState state;
    return state;
}

KXRTFState::KXRTFState() { resetToDefault(); }

void KXRTFState::resetToDefault() {
    state_ = KXRTFUtilities::defaultStateProperty();
    KXRTFFontEntry font;
    font.fontIndex = 0;
    _registeredFonts.assign(1, font);
    fontIndex_.clear();
    fontIndex_.emplace(font.fontName, 0);
    _registeredColors.assign(1, KXRTFColorEntry());
    colorIndex_.clear();
    colorIndex_.emplace(std::make_tuple(0.0, 0.0, 0.0), 0);
}

int KXRTFState::_fontIndexByFont(const KXRTFFontEntry& font) {
    auto [it, inserted] = fontIndex_.try_emplace(font.fontName, static_cast<int>(_registeredFonts.size()));
    if (inserted) {
        KXRTFFontEntry copy = font;
        copy.fontIndex = it->second;
        _registeredFonts.push_back(std::move(copy));
    }
    return it->second;
}

int KXRTFState::_colorIndexByColor(const KXRTFColorEntry& color) {
    // A channel that is not a number equals nothing, not even itself: such a colour is always new.
    if (color.red != color.red || color.green != color.green || color.blue != color.blue) {
        _registeredColors.push_back(color);
        return static_cast<int>(_registeredColors.size() - 1);
    }
    auto [it, inserted] = colorIndex_.try_emplace(std::make_tuple(color.red, color.green, color.blue),
                                                  static_cast<int>(_registeredColors.size()));
    if (inserted) _registeredColors.push_back(color);
    return it->second;
}

void KXRTFState::writeFontAttributesIfNeed(const KXRTFFontEntry& font, KXRTFFileWriter& writer) {
    const KXRTF_State s = state_;
    const bool first = s.fontIndex == -1;
    const int i = _fontIndexByFont(font);
    std::string words;
    if (first || s.fontIndex != i) words += kx::format("\\f%d", i);
    if (first || s.flags.italic != font.italic) words += font.italic ? "\\i" : "\\i0";
    if (first || s.flags.bold != font.bold) words += font.bold ? "\\b" : "\\b0";
    if (first || s.underline != font.underline) words += font.underline >= 1 ? "\\ul" : "\\ul0";
    const int z = kx::toInt<int>(font.fontSize);
    if (first || s.fontSize != static_cast<float>(z)) words += kx::format("\\fs%d", z);
    state_.fontIndex = i;
    state_.fontSize = static_cast<float>(z);
    state_.flags.bold = font.bold;
    state_.flags.italic = font.italic;
    state_.underline = font.underline;
    if (!words.empty()) {
        words += ' ';
        writer.write(words);
    }
}

void KXRTFState::writeForegroundColorAttributesIfNeed(const KXRTFColorEntry& color, KXRTFFileWriter& writer) {
    const int n = _colorIndexByColor(color);
    if (n == state_.foregroundColorIndex) return;
    writer.write(kx::format("\\cf%d ", n));
    state_.foregroundColorIndex = n;
}

void KXRTFState::writeRegistedFonts(KXRTFFileWriter& writer) const {
    for (const KXRTFFontEntry& font : _registeredFonts) writer.write(font.rtfFormat());
}

void KXRTFState::writeRegistedColors(KXRTFFileWriter& writer) const {
    for (const KXRTFColorEntry& color : _registeredColors) writer.write(color.rtfFormat());
}
