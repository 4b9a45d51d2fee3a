// Text objects, text state and text showing: each shown string is decoded through the current
// font one character code at a time; every code that maps to text is reported with its
// displacement before the text matrix advances past it.

#include <algorithm>
#include <cctype>
#include <cmath>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "fonts/KXPDFFont.h"
#include "fonts/KXPDFFontCollection.h"
#include "pdf/interpreter/KXPDFConentParser.h"
#include "pdf/interpreter/KXPDFConentParserDelegate.h"
#include "pdf/interpreter/KXPDFConentParser_p.h"
#include "pdf/state/KXPDFRenderState.h"
#include "platform/Bidi.h"
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

// One step of a text-showing operator: a decoded code with its text (empty for a code that maps to
// none) and its displacement as reported, then the move of the text position after it; an
// adjustment of a TJ array is a move alone.
struct ShownStep {
    std::u16string text;
    kx::Size offset;
    kx::Size move;
};

// Where the steps of a text-showing operator go on: the element of its array (0 for a single
// string) and the byte within it.
struct StepCursor {
    size_t element = 0, byte = 0;
};

// Decodes a shown string one code at a time from byte `start` and hands each step to `take`, which
// returns whether to go on; returns whether every step was taken. Before each step is handed on,
// `after` (if any) is set to where the steps go on after it, in element `element`.
template <class Take>
bool forEachStep(KXPDFConentParser& p, const std::string& bytes, Take& take, size_t start = 0,
                 StepCursor* after = nullptr, size_t element = 0) {
    // The font stays alive for the whole string, whatever the receiver of a report does.
    std::shared_ptr<KXPDFFont> font = p.currentRenderingState().font();
    if (!font || start >= bytes.size()) return true;
    const auto* s = reinterpret_cast<const unsigned char*>(bytes.data()) + start;
    int left = static_cast<int>(bytes.size() - start);
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
        // In vertical writing the spacing moves the position along the vertical, unscaled: put on
        // the horizontal advance, it would push each glyph sideways off the line's column and
        // leave the glyphs an em apart whatever spacing was set.
        const bool vertical = font->isVerticalWriting();
        float& advance = vertical ? dy : dx;
        // Word spacing goes to a blank shown by a one-byte code. A composite font's codes of two or
        // more bytes never take it, whatever they map to: a writer that justifies a line with Tw
        // in such a font has its blanks drawn at their own width, and adding the spacing pushed the
        // words after them over the next words placed on the line.
        if (uLen == 1 && isWhiteSpaceUnit(static_cast<std::uint16_t>(u[0] & 0xFFFF))) {
            u[0] = 0x0020;
            if (used == 1) advance = static_cast<float>(advance + st.wordSpacing());
        }
        std::u16string text;
        if (uLen >= 1) {
            text = textOfUnits(u, uLen);
            advance = static_cast<float>(advance + st.characterSpacing());
        }
        if (!vertical) dx = static_cast<float>(dx * st.horizontalScaling());
        if (after) *after = {element, bytes.size() - static_cast<size_t>(left - used)};
        if (!take(ShownStep{std::move(text), offset, {dx, dy}})) return false;
        s += used;
        left -= used;
    }
    return true;
}

bool holdsRightToLeftText(std::u16string_view text) {
    for (size_t i = 0; i < text.size();)
        if (kx::isRightToLeftCharacter(kx::nextCodePoint(text, i))) return true;
    return false;
}

bool isMarksOnly(std::u16string_view text) {
    if (text.empty()) return false;
    for (size_t i = 0; i < text.size();)
        if (!kx::isCombiningMark(kx::nextCodePoint(text, i))) return false;
    return true;
}

// Held text is reported once this many steps (and operators) are held, whatever follows.
constexpr size_t kMostHeldSteps = 4096;

// An operator that shows more bytes of strings than this is not decoded whole into steps before it
// is shown: a string of megabytes would be held as a step for each of its codes.
constexpr size_t kMostBytesDecodedAtOnce = 64 * 1024;

}  // namespace

}  // namespace kx::detail

// One text-showing operator held back: the state it was shown in (the text position at its
// start) and its steps.
struct KXPDFConentParser::HeldText {
    struct Operator {
        KXPDFRenderState state;
        std::uint64_t beginTextIndex = 0, showTextIndex = 0;
        std::vector<kx::detail::ShownStep> steps;
        // How far its glyphs move along the line after they are put in reading order, in text
        // space: a piece of a long right-to-left operator takes its place in the whole operator.
        double pieceShift = 0;
    };
    std::vector<Operator> operators;
    size_t steps = 0;
};

KXPDFConentParser::HeldText& KXPDFConentParser::heldText() {
    if (!heldText_) heldText_ = {new HeldText, [](HeldText* held) { delete held; }};
    return *heldText_;
}

bool KXPDFConentParser::holdsText() const { return heldText_ && !heldText_->operators.empty(); }

namespace kx::detail {

namespace {

// A glyph of the held text placed on its line: `along` is where it starts along its line's
// direction and `extent` how far it reaches, in page units; `across` is where its baseline lies.
struct PlacedGlyph {
    size_t op, step;
    double u;        // its place along its operator's text line, in text space
    double scale;    // page units of one unit of text space along the line
    kx::Point direction;
    double along, extent, across, em;
    bool movable;
    double shift = 0;      // how far it moves along its line, in page units
    bool onPrevious = false;  // a mark reported with the glyph before it in reading order
};

// Mirrors the clusters of one stretch of glyphs (left to right along their line) as the reading
// order asks: from the highest embedding level down to the lowest odd one, every run of clusters
// at that level or higher is mirrored within its own extent, which reverses its order and keeps
// its gaps. A mark stays with the glyph before it. Returns the stretch's glyphs in reading order.
std::vector<size_t> mirrorForReadingOrder(const std::vector<size_t>& stretch, std::vector<PlacedGlyph>& glyphs,
                                          const std::vector<const std::u16string*>& texts) {
    struct Cluster {
        size_t first, end;  // positions in `stretch`
        double lo, hi;
        std::uint8_t level = 0;
        double shift = 0;
    };
    std::u16string visual;
    std::vector<size_t> unitStart;
    std::vector<Cluster> clusters;
    size_t rightToLeft = 0, leftToRight = 0;
    for (size_t k = 0; k < stretch.size(); ++k) {
        const PlacedGlyph& g = glyphs[stretch[k]];
        const std::u16string& text = *texts[stretch[k]];
        unitStart.push_back(visual.size());
        visual += text;
        if (isMarksOnly(text) && !clusters.empty()) {
            clusters.back().end = k + 1;
            clusters.back().hi = std::max(clusters.back().hi, g.along + g.extent);
        } else {
            clusters.push_back({k, k + 1, g.along, g.along + g.extent});
        }
        for (size_t i = 0; i < text.size();) {
            const char32_t c = kx::nextCodePoint(text, i);
            if (kx::isRightToLeftCharacter(c)) ++rightToLeft;
            else if (c < 0x80 && std::isalpha(static_cast<int>(c)) != 0) ++leftToRight;
        }
    }
    const std::vector<std::uint8_t> levels = kx::levelsOfVisualText(visual, rightToLeft >= leftToRight);
    std::vector<size_t> order(clusters.size());
    int highest = 0, lowestOdd = 256;
    for (size_t c = 0; c < clusters.size(); ++c) {
        order[c] = c;
        clusters[c].level = levels.size() == visual.size() ? levels[unitStart[clusters[c].first]] : 0;
        highest = std::max<int>(highest, clusters[c].level);
        if (clusters[c].level % 2 == 1) lowestOdd = std::min<int>(lowestOdd, clusters[c].level);
    }
    for (int level = highest; level >= lowestOdd; --level) {
        for (size_t a = 0; a < order.size();) {
            if (clusters[order[a]].level < level) {
                ++a;
                continue;
            }
            size_t b = a;
            double lo = clusters[order[a]].lo, hi = clusters[order[a]].hi;
            for (; b < order.size() && clusters[order[b]].level >= level; ++b) {
                lo = std::min(lo, clusters[order[b]].lo);
                hi = std::max(hi, clusters[order[b]].hi);
            }
            for (size_t k = a; k < b; ++k) {
                Cluster& c = clusters[order[k]];
                const double move = (lo + hi - c.hi) - c.lo;
                c.lo += move;
                c.hi += move;
                c.shift += move;
            }
            std::reverse(order.begin() + static_cast<std::ptrdiff_t>(a), order.begin() + static_cast<std::ptrdiff_t>(b));
            a = b;
        }
    }
    std::vector<size_t> read;
    for (size_t c : order)
        for (size_t k = clusters[c].first; k < clusters[c].end; ++k) {
            glyphs[stretch[k]].shift = clusters[c].shift;
            glyphs[stretch[k]].onPrevious = k > clusters[c].first;
            read.push_back(stretch[k]);
        }
    return read;
}

// The held glyphs in the order they are to be reported: stretch by stretch (the glyphs of one
// line that follow each other with gaps of no more than a font size), in the order the stretches
// began to be shown; a stretch with right-to-left text in its reading order, any other as shown.
std::vector<size_t> reportingOrder(std::vector<PlacedGlyph>& glyphs, const std::vector<const std::u16string*>& texts) {
    struct Line {
        double across, em;
        std::vector<size_t> glyphs;
    };
    std::vector<Line> lines;
    std::vector<std::pair<size_t, std::vector<size_t>>> stretches;  // first glyph shown, its glyphs
    // Lines: glyphs of one direction whose baselines lie within a quarter of their size.
    std::vector<size_t> byLine;
    for (size_t i = 0; i < glyphs.size(); ++i) {
        if (glyphs[i].movable) byLine.push_back(i);
        else stretches.push_back({i, {i}});
    }
    auto directionKey = [&](size_t i) {
        return std::pair(std::lround(glyphs[i].direction.x * 1000), std::lround(glyphs[i].direction.y * 1000));
    };
    std::stable_sort(byLine.begin(), byLine.end(), [&](size_t a, size_t b) {
        return directionKey(a) != directionKey(b) ? directionKey(a) < directionKey(b) : glyphs[a].across < glyphs[b].across;
    });
    for (size_t i : byLine) {
        const PlacedGlyph& g = glyphs[i];
        if (lines.empty() || directionKey(lines.back().glyphs.front()) != directionKey(i) ||
            g.across - lines.back().across >= 0.25 * std::max(lines.back().em, g.em))
            lines.push_back(Line{g.across, g.em, {}});
        lines.back().glyphs.push_back(i);
    }
    for (Line& line : lines) {
        std::stable_sort(line.glyphs.begin(), line.glyphs.end(),
                         [&](size_t a, size_t b) { return glyphs[a].along < glyphs[b].along; });
        for (size_t a = 0; a < line.glyphs.size();) {
            double reach = glyphs[line.glyphs[a]].along + glyphs[line.glyphs[a]].extent;
            size_t b = a + 1;
            for (; b < line.glyphs.size(); ++b) {
                const PlacedGlyph& next = glyphs[line.glyphs[b]];
                if (next.along - reach > std::max(next.em, glyphs[line.glyphs[b - 1]].em)) break;
                reach = std::max(reach, next.along + next.extent);
            }
            std::vector<size_t> stretch(line.glyphs.begin() + static_cast<std::ptrdiff_t>(a),
                                        line.glyphs.begin() + static_cast<std::ptrdiff_t>(b));
            const bool rightToLeft = std::any_of(stretch.begin(), stretch.end(),
                                                 [&](size_t i) { return holdsRightToLeftText(*texts[i]); });
            if (rightToLeft) stretch = mirrorForReadingOrder(stretch, glyphs, texts);
            else std::sort(stretch.begin(), stretch.end());
            const size_t first = *std::min_element(stretch.begin(), stretch.end());
            stretches.push_back({first, std::move(stretch)});
            a = b;
        }
    }
    std::stable_sort(stretches.begin(), stretches.end(), [](const auto& x, const auto& y) { return x.first < y.first; });
    std::vector<size_t> order;
    order.reserve(glyphs.size());
    for (const auto& stretch : stretches) order.insert(order.end(), stretch.second.begin(), stretch.second.end());
    return order;
}

// Reports one decoded glyph with the text position at it, then moves the position past it.
void reportStep(KXPDFConentParser& p, const ShownStep& step) {
    if (!step.text.empty()) {
        if (KXPDFConentParserDelegate* delegate = p.delegate()) delegate->didScanText(p, step.text, step.offset);
    }
    p.currentRenderingState().translateTextPosition(step.move);
}

// Reports the decoded glyphs of one text-showing operator at once, each with the text position at
// its glyph, and leaves the text position after the last step.
void reportNow(KXPDFConentParser& p, const std::vector<ShownStep>& steps) {
    for (const ShownStep& step : steps) reportStep(p, step);
}

// Arabic presentation forms are read as the ordinary letters they stand for.
void normalizeStep(ShownStep& step) {
    if (kx::hasArabicPresentationForm(step.text)) step.text = kx::withArabicPresentationFormsNormalized(step.text);
}

// The glyphs of one text-showing operator: reported at once, or, where they hold right-to-left text
// or text is held already, held back until their lines are whole. A piece of a long operator that
// is to move by `pieceShift` is always held.
void showSteps(KXPDFConentParser& p, std::vector<ShownStep>& steps, std::optional<double> pieceShift = std::nullopt) {
    bool rightToLeft = false;
    for (ShownStep& step : steps) {
        normalizeStep(step);
        rightToLeft = rightToLeft || holdsRightToLeftText(step.text);
    }
    if (!rightToLeft && !p.holdsText() && !pieceShift) {
        reportNow(p, steps);
        return;
    }
    KXPDFConentParser::HeldText& held = p.heldText();
    KXPDFRenderState& st = p.currentRenderingState();
    held.operators.push_back({st, p.scanOperatorIndex_BegainText(), p.scanOperatorIndex_ShowText(), {}});
    for (const ShownStep& step : steps) st.translateTextPosition(step.move);
    held.steps += steps.size() + 1;
    held.operators.back().steps = std::move(steps);
    held.operators.back().pieceShift = pieceShift.value_or(0);
    if (held.steps >= kMostHeldSteps) p.reportHeldText();
}

// Whether a piece of a long operator ends with its `count`th step, `step`: after a blank once it
// holds kMostHeldSteps steps, so that no word is cut in two, and at twice that in any case.
bool endsPiece(size_t count, const ShownStep& step) {
    return count >= 2 * kMostHeldSteps || (count >= kMostHeldSteps && step.text == u" ");
}

// A long operator as a line of text, measured before it is shown: where each piece of it that
// showOperator shows lies along the line (in text space), and whether it is one right-to-left
// stretch, to be put in reading order whole.
struct LongOperatorLine {
    struct Piece {
        StepCursor start;       // where its steps begin
        double u = 0;           // where it begins along the line
        size_t steps = 0;
        double lo = 0, hi = 0;  // the reach of its glyphs
        bool hasGlyph = false;
    };
    std::vector<Piece> pieces;
    double lo = 0, hi = 0;
    bool hasGlyph = false;
    double end = 0;          // where the last step leaves the text position
    bool oneStretch = true;  // advancing, without a gap of more than a font size between glyphs
    size_t rightToLeft = 0, leftToRight = 0;

    bool readRightToLeft() const { return oneStretch && hasGlyph && rightToLeft > 0 && rightToLeft >= leftToRight; }
};

// One text-showing operator of `bytes` bytes of strings, whose steps `eachStep(take, from, at)`
// hands to `take` in order from the cursor `from` (until it returns false), setting `at` to where
// they go on after each before handing it on. A long operator is decoded and shown in pieces of a
// few thousand steps (endsPiece), each as showSteps shows an operator: a string of megabytes is
// never held as a step for each of its codes, whatever its direction (right-to-left text held whole
// took gigabytes). It is decoded once before, to measure it. When it is one stretch of
// right-to-left text, its pieces are shown from the last to the first, as they are read, each put
// in reading order within its own reach and then moved to the place that the whole line put in
// reading order gives it: the line reads, and is reported, as one held whole would be.
template <class EachStep>
void showOperator(KXPDFConentParser& p, size_t bytes, EachStep&& eachStep) {
    std::vector<ShownStep> steps;
    StepCursor at;
    if (bytes > kMostBytesDecodedAtOnce) {
        const std::shared_ptr<KXPDFFont>& font = p.currentRenderingState().font();
        LongOperatorLine line;
        if (font && !font->isVerticalWriting()) {
            const double em = std::fabs(p.currentRenderingState().fontSize());
            double u = 0, reach = 0;
            bool ended = true;
            auto measure = [&](ShownStep step) {
                if (ended) line.pieces.push_back({line.pieces.empty() ? StepCursor{} : at, u});
                // `at` is where the steps go on after this one, where a next piece begins.
                LongOperatorLine::Piece& piece = line.pieces.back();
                ended = endsPiece(++piece.steps, step);
                normalizeStep(step);
                if (!(step.move.width >= 0) || step.move.height != 0 || !std::isfinite(step.move.width)) line.oneStretch = false;
                if (!step.text.empty()) {
                    if (line.hasGlyph && u - reach > em) line.oneStretch = false;
                    const double end = u + step.move.width;
                    piece.lo = piece.hasGlyph ? std::min(piece.lo, u) : u;
                    piece.hi = piece.hasGlyph ? std::max(piece.hi, end) : end;
                    piece.hasGlyph = true;
                    line.lo = line.hasGlyph ? std::min(line.lo, u) : u;
                    line.hi = line.hasGlyph ? std::max(line.hi, end) : end;
                    line.hasGlyph = true;
                    reach = std::max(reach, end);
                    for (size_t i = 0; i < step.text.size();) {
                        const char32_t c = kx::nextCodePoint(step.text, i);
                        if (kx::isRightToLeftCharacter(c)) ++line.rightToLeft;
                        else if (c < 0x80 && std::isalpha(static_cast<int>(c)) != 0) ++line.leftToRight;
                    }
                }
                u += step.move.width;
                line.end = u;
                return line.oneStretch;
            };
            StepCursor next;
            // The cursor after a step is known only as it is handed on: each piece's start is
            // taken from the step before it.
            auto measureWithCursor = [&](ShownStep step) {
                const bool go = measure(std::move(step));
                at = next;
                return go;
            };
            eachStep(measureWithCursor, StepCursor{}, next);
        }
        if (line.readRightToLeft()) {
            // Text held from before is read on its own: the pieces of this line are placed by
            // the line alone.
            p.reportHeldText();
            KXPDFRenderState& st = p.currentRenderingState();
            const kx::AffineTransform start = st.textMatrix();
            for (size_t k = line.pieces.size(); k-- > 0;) {
                const LongOperatorLine::Piece& piece = line.pieces[k];
                auto collect = [&](ShownStep step) {
                    steps.push_back(std::move(step));
                    return steps.size() < piece.steps;
                };
                eachStep(collect, piece.start, at);
                st.setTextMatrix(start.translated(piece.u, 0));
                const double shift = piece.hasGlyph ? (line.lo + line.hi) - (piece.lo + piece.hi) : 0.0;
                showSteps(p, steps, shift);
                steps.clear();
                p.reportHeldText();
            }
            st.setTextMatrix(start.translated(line.end, 0));
            return;
        }
        auto show = [&](ShownStep step) {
            steps.push_back(std::move(step));
            if (endsPiece(steps.size(), steps.back())) {
                showSteps(p, steps);
                steps.clear();
            }
            return true;
        };
        eachStep(show, StepCursor{}, at);
        if (!steps.empty()) showSteps(p, steps);
        return;
    }
    auto keep = [&](ShownStep step) {
        steps.push_back(std::move(step));
        return true;
    };
    eachStep(keep, StepCursor{}, at);
    showSteps(p, steps);
}

void showTextString(KXPDFConentParser& p, const std::string& bytes) {
    showOperator(p, bytes.size(), [&](auto& take, StepCursor from, StepCursor& at) {
        forEachStep(p, bytes, take, from.byte, &at);
    });
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
    // The whole array is one piece of text: its glyphs are reported together.
    size_t bytes = 0;
    for (const kx::PDFOperand& e : elements)
        if (e.type == PDFObjectType::String) bytes += e.text.size();
    showOperator(p, bytes, [&](auto& take, StepCursor from, StepCursor& at) {
        for (size_t i = from.element; i < elements.size(); ++i) {
            const kx::PDFOperand& e = elements[i];
            if (e.type == PDFObjectType::String) {
                if (!forEachStep(p, e.text, take, i == from.element ? from.byte : 0, &at, i)) return;
                continue;
            }
            float adjustment = e.type == PDFObjectType::Integer
                                   ? static_cast<float>(e.integer) * 0.001f
                                   : static_cast<float>(e.number * 0.0010000000474974513);
            // Adjustments move in thousandths of the absolute font size, without scaling or
            // spacing; in vertical writing they move the position down the line.
            KXPDFRenderState& st = p.currentRenderingState();
            if (!st.font()) break;
            const double move = -adjustment * std::fabs(st.fontSize());
            at = {i + 1, 0};
            if (!take(st.font()->isVerticalWriting() ? ShownStep{{}, {}, {0, move}} : ShownStep{{}, {}, {move, 0}}))
                return;
        }
    });
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

// Right-to-left text shown in visual order (each glyph left of the one before it in reading order,
// as writers of such text draw it) would be read backwards, left to right as every page is. Its
// glyphs are reported moved along their line so that, left to right, they come in the order they
// are read: each line and cell keeps its place, and each stretch of right-to-left text its gaps.
void KXPDFConentParser::reportHeldText() {
    using namespace kx::detail;
    if (!holdsText()) return;
    HeldText held = std::move(*heldText_);
    heldText_->operators.clear();
    heldText_->steps = 0;

    std::vector<PlacedGlyph> glyphs;
    std::vector<const std::u16string*> texts;
    for (size_t k = 0; k < held.operators.size(); ++k) {
        const HeldText::Operator& op = held.operators[k];
        const kx::AffineTransform t = kx::concat(op.state.textMatrix(), op.state.ctm());
        const double scale = std::hypot(t.a, t.b), height = std::hypot(t.c, t.d);
        const std::shared_ptr<KXPDFFont>& font = op.state.font();
        bool movable = font && !font->isVerticalWriting() && std::isfinite(scale) && scale > 0 && std::isfinite(height);
        for (const ShownStep& step : op.steps) movable = movable && step.move.height == 0;
        const kx::Point direction = movable ? kx::Point{t.a / scale, t.b / scale} : kx::Point{1, 0};
        double u = 0;
        for (size_t i = 0; i < op.steps.size(); ++i) {
            const ShownStep& step = op.steps[i];
            if (!step.text.empty()) {
                const kx::Point origin = t.apply(kx::Point{u, 0});
                PlacedGlyph g{k, i, u, scale, direction, 0, 0, 0, 0, movable};
                if (movable) {
                    g.along = origin.x * direction.x + origin.y * direction.y;
                    g.across = origin.y * direction.x - origin.x * direction.y;
                    g.extent = std::max(0.0, step.move.width) * scale;
                    g.em = std::fabs(op.state.fontSize()) * height;
                    g.movable = std::isfinite(g.along) && std::isfinite(g.across) && std::isfinite(g.extent);
                }
                glyphs.push_back(g);
                texts.push_back(&step.text);
            }
            u += step.move.width;
        }
    }

    KXPDFRenderState& top = currentRenderingState();
    const KXPDFRenderState now = top;
    const std::uint64_t beginText = scanOperatorIndex_BegainText_, showText = scanOperatorIndex_ShowText_;
    size_t current = held.operators.size();
    const std::vector<size_t> order = reportingOrder(glyphs, texts);
    for (size_t n = 0; n < order.size();) {
        const PlacedGlyph& g = glyphs[order[n]];
        const HeldText::Operator& op = held.operators[g.op];
        if (g.op != current) {
            top = op.state;
            scanOperatorIndex_BegainText_ = op.beginTextIndex;
            scanOperatorIndex_ShowText_ = op.showTextIndex;
            current = g.op;
        }
        // A letter and the marks drawn on it are one piece of text, so that no reader of the
        // reports places a mark apart from its letter.
        std::u16string text = op.steps[g.step].text;
        kx::Size offset = op.steps[g.step].offset;
        for (++n; n < order.size() && glyphs[order[n]].onPrevious && glyphs[order[n]].op == g.op; ++n) {
            const ShownStep& mark = op.steps[glyphs[order[n]].step];
            text += mark.text;
            offset = {offset.width + mark.offset.width, offset.height + mark.offset.height};
        }
        top.setTextMatrix(op.state.textMatrix().translated(g.u + (g.movable ? g.shift / g.scale + op.pieceShift : 0.0), 0));
        if (delegate_) delegate_->didScanText(*this, text, offset);
    }
    currentRenderingState() = now;
    scanOperatorIndex_BegainText_ = beginText;
    scanOperatorIndex_ShowText_ = showText;
}
