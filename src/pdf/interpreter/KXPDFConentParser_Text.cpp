// Text objects, text state and text showing: each shown string is decoded through the current
// font one character code at a time; every code that maps to text is reported with its
// displacement before the text matrix advances past it.

#include <algorithm>
#include <cmath>
#include <string>

#include "fonts/KXPDFFont.h"
#include "fonts/KXPDFFontCollection.h"
#include "pdf/interpreter/KXPDFConentParser.h"
#include "pdf/interpreter/KXPDFConentParserDelegate.h"
#include "pdf/interpreter/KXPDFConentParser_p.h"
#include "pdf/state/KXPDFRenderState.h"
#include "platform/Unicode.h"

namespace kx::detail {

namespace {

// The white space that takes word spacing (U+2005 to U+2008 are not among it).
bool isWhiteSpaceUnit(std::uint16_t u) {
    switch (u) {
    case 0x0009: case 0x000A: case 0x000B: case 0x000C: case 0x000D: case 0x0020: case 0x0085: case 0x00A0:
    case 0x1680: case 0x180E: case 0x2000: case 0x2001: case 0x2002: case 0x2003: case 0x2004: case 0x2009:
    case 0x200A: case 0x2028: case 0x2029: case 0x202F: case 0x205F: case 0x3000:
        return true;
    default:
        return false;
    }
}

// Two multi-unit mappings that stand for one character: hyphen-minus, soft hyphen and hyphen become
// the hyphen; tab, carriage return, space and no-break space become the space.
void foldUnits(std::uint32_t* u, int& count) {
    static const std::uint32_t kHyphens[] = {0x002D, 0x00AD, 0x2010};
    static const std::uint32_t kSpaces[] = {0x0009, 0x000D, 0x0020, 0x00A0};
    if (count == 3 && std::equal(u, u + 3, kHyphens)) {
        u[0] = 0x2010;
        count = 1;
    } else if (count == 4 && std::equal(u, u + 4, kSpaces)) {
        u[0] = 0x0020;
        count = 1;
    }
}

// A Latin ligature (ff, fi, fl, ffi, ffl) is reported as its letters, the text a reader searches,
// copies and spell-checks; the font's ligature table gives them. The letters æ and œ, which the
// table also lists, are letters of their own and stay as they are.
void expandLigature(const KXPDFFont& font, std::uint32_t* u, int& count, int capacity) {
    if (count != 1 || u[0] < 0xFB00 || u[0] > 0xFB4F) return;
    const auto& ligatures = font.ligatures();
    auto it = ligatures.find(std::to_string(u[0]));
    if (it == ligatures.end() || static_cast<int>(it->second.size()) > capacity) return;
    count = 0;
    for (char letter : it->second) u[count++] = static_cast<unsigned char>(letter);
}

// The text of the decoded values. Values beyond Unicode are skipped, as is U+0000 (which would end
// the text); a high and a low surrogate next to each other make one character, and a surrogate
// without its partner becomes U+FFFD, so the text is always well formed.
std::u16string textOfUnits(const std::uint32_t* u, int count) {
    std::u16string units;
    for (int i = 0; i < count; ++i) {
        if (u[i] == 0 || u[i] > 0x10FFFF) continue;
        if (u[i] < 0x10000) units.push_back(static_cast<char16_t>(u[i]));
        else kx::appendUtf16(units, u[i]);
    }
    std::u16string text;
    text.reserve(units.size());
    for (size_t i = 0; i < units.size();) kx::appendUtf16(text, kx::nextCodePoint(units, i));
    return text;
}

void showTextString(KXPDFConentParser& p, const std::string& bytes) {
    // The font stays alive for the whole string, whatever the receiver of a report does.
    std::shared_ptr<KXPDFFont> font = p.currentRenderingState().font();
    if (!font || bytes.empty()) return;
    const auto* s = reinterpret_cast<const unsigned char*>(bytes.data());
    int left = static_cast<int>(bytes.size());
    while (left > 0) {
        std::uint32_t code = 0;
        std::uint32_t u[16] = {};
        int uLen = 0;
        float dx = 0, dy = 0, ox = 0, oy = 0;
        int used = font->getNextChar(s, left, &code, u, 16, &uLen, &dx, &dy, &ox, &oy);
        used = std::clamp(used, 1, left);
        uLen = std::clamp(uLen, 0, 16);
        foldUnits(u, uLen);
        expandLigature(*font, u, uLen, 16);

        KXPDFRenderState& st = p.currentRenderingState();
        const double fontSize = st.fontSize();
        dx = static_cast<float>(dx * fontSize);
        dy = static_cast<float>(dy * fontSize);
        const kx::Size offset{dx, dy};
        // In vertical writing the spacing moves the position along the vertical, unscaled.
        const bool vertical = font->isVerticalWriting();
        float& advance = vertical ? dy : dx;
        if (uLen == 1 && isWhiteSpaceUnit(static_cast<std::uint16_t>(u[0] & 0xFFFF))) {
            u[0] = 0x0020;
            advance = static_cast<float>(advance + st.wordSpacing());
        }
        std::u16string text;
        if (uLen >= 1) {
            text = textOfUnits(u, uLen);
            advance = static_cast<float>(advance + st.characterSpacing());
        }
        if (!vertical) dx = static_cast<float>(dx * st.horizontalScaling());

        if (!text.empty()) {
            if (KXPDFConentParserDelegate* delegate = p.delegate()) delegate->didScanText(p, text, offset);
        }
        p.currentRenderingState().translateTextPosition({dx, dy});
        s += used;
        left -= used;
    }
}

void countShowOperator(KXPDFConentParser& p) { p.setScanOperatorIndex_ShowText(p.scanOperatorIndex_ShowText() + 1); }

}  // namespace

void opBT(PDFScanner&, void* info) {
    KXPDFConentParser& p = parserOf(info);
    p.currentRenderingState().setTextMatrix(kx::AffineTransform::identity(), true);
    p.setScanOperatorIndex_BegainText(p.scanOperatorIndex_BegainText() + 1);
}

// The text matrix survives ET.
void opET(PDFScanner&, void*) {}

void opTj(PDFScanner& s, void* info) {
    KXPDFConentParser& p = parserOf(info);
    std::string bytes;
    if (!s.popString(bytes)) return;
    countShowOperator(p);
    showTextString(p, bytes);
}

void opQuote(PDFScanner& s, void* info) {
    KXPDFConentParser& p = parserOf(info);
    p.currentRenderingState().newLine();
    opTj(s, info);
}

void opDoubleQuote(PDFScanner& s, void* info) {
    KXPDFConentParser& p = parserOf(info);
    std::string bytes;
    double ac = 0, aw = 0;
    if (!s.popString(bytes) || !s.popNumber(ac) || !s.popNumber(aw)) return;
    KXPDFRenderState& st = p.currentRenderingState();
    st.setWordSpacing(aw);
    st.setCharacterSpacing(ac);
    st.newLine();
    countShowOperator(p);
    showTextString(p, bytes);
}

void opTJ(PDFScanner& s, void* info) {
    KXPDFConentParser& p = parserOf(info);
    // Most arrays hold only strings and numbers and come without a PDF object; any other array is
    // read into the same elements, leaving out what is neither a string nor a number.
    std::vector<kx::PDFOperand> elements;
    if (!s.popPlainArray(elements)) {
        PDFObject array;
        if (!s.popArray(array)) return;
        for (size_t i = 0; i < array.arrayCount(); ++i) {
            PDFObject e = array.arrayAt(i);
            kx::PDFOperand element;
            if (e.isString()) {
                element.type = PDFObjectType::String;
                element.text = e.stringBytes();
            } else if (e.getInteger(element.integer)) {
                element.type = PDFObjectType::Integer;
            } else if (e.isReal() && e.getNumber(element.number)) {
                element.type = PDFObjectType::Real;
            } else {
                continue;
            }
            elements.push_back(std::move(element));
        }
    }
    countShowOperator(p);
    for (const kx::PDFOperand& e : elements) {
        if (e.type == PDFObjectType::String) {
            showTextString(p, e.text);
            continue;
        }
        float adjustment = e.type == PDFObjectType::Integer
                               ? static_cast<float>(e.integer) * 0.001f
                               : static_cast<float>(e.number * 0.0010000000474974513);
        // Adjustments move in thousandths of the absolute font size, without scaling or spacing;
        // in vertical writing they move the position down the line.
        KXPDFRenderState& st = p.currentRenderingState();
        if (!st.font()) return;
        const double move = -adjustment * std::fabs(st.fontSize());
        if (st.font()->isVerticalWriting()) st.translateTextPosition({0, move});
        else st.translateTextPosition({move, 0});
    }
}

void opTm(PDFScanner& s, void* info) {
    double m[6];
    if (!popNumbers(s, m)) return;
    parserOf(info).currentRenderingState().setTextMatrix({m[0], m[1], m[2], m[3], m[4], m[5]}, true);
}

void opTd(PDFScanner& s, void* info) {
    double v[2];
    if (popNumbers(s, v)) parserOf(info).currentRenderingState().newLineWithLeading(v[1], v[0], false);
}

void opTD(PDFScanner& s, void* info) {
    double v[2];
    if (popNumbers(s, v)) parserOf(info).currentRenderingState().newLineWithLeading(v[1], v[0], true);
}

void opTStar(PDFScanner&, void* info) { parserOf(info).currentRenderingState().newLine(); }

void opTw(PDFScanner& s, void* info) {
    double v[1];
    if (popNumbers(s, v)) parserOf(info).currentRenderingState().setWordSpacing(v[0]);
}

void opTc(PDFScanner& s, void* info) {
    double v[1];
    if (popNumbers(s, v)) parserOf(info).currentRenderingState().setCharacterSpacing(v[0]);
}

void opTL(PDFScanner& s, void* info) {
    double v[1];
    if (popNumbers(s, v)) parserOf(info).currentRenderingState().setLeading(v[0]);
}

void opTz(PDFScanner& s, void* info) {
    double v[1];
    if (popNumbers(s, v)) parserOf(info).currentRenderingState().setHorizontalScaling(v[0] * 0.01);
}

void opTs(PDFScanner& s, void* info) {
    double v[1];
    if (popNumbers(s, v)) parserOf(info).currentRenderingState().setTextRise(v[0]);
}

void opTf(PDFScanner& s, void* info) {
    KXPDFConentParser& p = parserOf(info);
    double size = 0;
    std::string name;
    if (!s.popNumber(size) || !s.popName(name)) return;
    const auto& fonts = p.fontCollection();
    std::shared_ptr<KXPDFFont> font = fonts ? fonts->fontForKey(name) : nullptr;
    if (!font) return;  // an unknown name keeps the font and size in use
    KXPDFRenderState& st = p.currentRenderingState();
    st.setFont(std::move(font));
    st.setFontSize(size);
}

void opTr(PDFScanner& s, void* info) {
    std::int64_t mode = 0;
    if (s.popInteger(mode)) parserOf(info).currentRenderingState().setTextRenderMode(static_cast<std::int32_t>(mode));
}

}  // namespace kx::detail

std::shared_ptr<KXPDFFontCollection> KXPDFConentParser::fontCollectionWithDict(const kx::PDFObject& dict) {
    if (resourcesOfDictionary(dict).isNull()) return nullptr;
    return std::make_shared<KXPDFFontCollection>(resourceSubDictionary(dict, "Font"));
}
