#pragma once
// The character formatting of one RTF document: the font and colour tables (in order of first
// use; entry 0 of each is there from the start) and the running state against which each run
// writes only the control words that change. One process-wide instance, used from the conversion
// thread only; the document writer resets it when a document begins.

#include <map>
#include <string>
#include <tuple>
#include <unordered_map>
#include <vector>

#include "flowtext/KXRTFColorEntry.h"
#include "flowtext/KXRTFFontEntry.h"
#include "flowtext/KXRTFUtilities.h"

class KXRTFFileWriter;

class KXRTFState {
public:
    static KXRTFState& sharedInstance();
    KXRTFState();

    void resetToDefault();

    // Table index of the font (by name only) and of the colour (by red, green and blue),
    // registering a copy when new.
    int _fontIndexByFont(const KXRTFFontEntry& font);
    int _colorIndexByColor(const KXRTFColorEntry& color);

    void writeFontAttributesIfNeed(const KXRTFFontEntry& font, KXRTFFileWriter& writer);
    void writeForegroundColorAttributesIfNeed(const KXRTFColorEntry& color, KXRTFFileWriter& writer);

    void writeRegistedFonts(KXRTFFileWriter& writer) const;
    void writeRegistedColors(KXRTFFileWriter& writer) const;

    const KXRTF_State& state() const { return state_; }
    const std::vector<KXRTFFontEntry>& registeredFonts() const { return _registeredFonts; }
    const std::vector<KXRTFColorEntry>& registeredColors() const { return _registeredColors; }

private:
    KXRTF_State state_;
    std::vector<KXRTFColorEntry> _registeredColors;
    std::vector<KXRTFFontEntry> _registeredFonts;
    std::unordered_map<std::string, int> fontIndex_;
    std::map<std::tuple<double, double, double>, int> colorIndex_;
};
