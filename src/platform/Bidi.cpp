#include "platform/Bidi.h"

#include <unicode/normalizer2.h>
#include <unicode/uchar.h>
#include <unicode/ubidi.h>
#include <unicode/unistr.h>

#include <limits>
#include <memory>

namespace kx {

namespace {

bool isArabicPresentationForm(char16_t u) { return (u >= 0xFB50 && u <= 0xFDFF) || (u >= 0xFE70 && u <= 0xFEFF); }

struct BidiCloser {
    void operator()(UBiDi* b) const { ubidi_close(b); }
};

}  // namespace

bool isRightToLeftCharacter(char32_t c) {
    if (c < 0x0590) return false;
    const UCharDirection d = u_charDirection(static_cast<UChar32>(c));
    return d == U_RIGHT_TO_LEFT || d == U_RIGHT_TO_LEFT_ARABIC;
}

bool isCombiningMark(char32_t c) {
    const int8_t type = u_charType(static_cast<UChar32>(c));
    return type == U_NON_SPACING_MARK || type == U_ENCLOSING_MARK;
}

std::vector<std::uint8_t> levelsOfVisualText(std::u16string_view visual, bool rightToLeftParagraph) {
    if (visual.empty() || visual.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max())) return {};
    std::unique_ptr<UBiDi, BidiCloser> bidi(ubidi_open());
    if (!bidi) return {};
    // Text shown in visual order is read back as the inverse of the usual reordering.
    ubidi_setReorderingMode(bidi.get(), UBIDI_REORDER_INVERSE_LIKE_DIRECT);
    UErrorCode status = U_ZERO_ERROR;
    ubidi_setPara(bidi.get(), reinterpret_cast<const UChar*>(visual.data()), static_cast<int32_t>(visual.size()),
                  rightToLeftParagraph ? 1 : 0, nullptr, &status);
    if (U_FAILURE(status)) return {};
    const UBiDiLevel* levels = ubidi_getLevels(bidi.get(), &status);
    if (U_FAILURE(status) || !levels || ubidi_getProcessedLength(bidi.get()) != static_cast<int32_t>(visual.size()))
        return {};
    return std::vector<std::uint8_t>(levels, levels + visual.size());
}

bool hasArabicPresentationForm(std::u16string_view text) {
    for (char16_t u : text)
        if (isArabicPresentationForm(u)) return true;
    return false;
}

std::u16string withArabicPresentationFormsNormalized(std::u16string_view text) {
    UErrorCode status = U_ZERO_ERROR;
    const icu::Normalizer2* nfkc = icu::Normalizer2::getNFKCInstance(status);
    std::u16string out;
    out.reserve(text.size());
    for (char16_t u : text) {
        if (!isArabicPresentationForm(u) || U_FAILURE(status) || !nfkc) {
            out.push_back(u);
            continue;
        }
        icu::UnicodeString form(static_cast<UChar>(u));
        UErrorCode s = U_ZERO_ERROR;
        const icu::UnicodeString letters = nfkc->normalize(form, s);
        if (U_FAILURE(s) || letters.isEmpty()) {
            out.push_back(u);
            continue;
        }
        int32_t from = 0;
        // A mark's isolated or medial form decomposes to the mark on a blank or on a tatweel.
        if (letters.length() == 2 && (letters[0] == u' ' || letters[0] == 0x0640) && isCombiningMark(letters[1]))
            from = 1;
        out.append(reinterpret_cast<const char16_t*>(letters.getBuffer()) + from,
                   static_cast<size_t>(letters.length() - from));
    }
    return out;
}

}  // namespace kx
