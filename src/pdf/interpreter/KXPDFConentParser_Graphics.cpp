// Paths, colours, clipping, painting, graphics-state operators and marked content.

#include <algorithm>
#include <string>

#include "pdf/color/KXPDFColorSpaceCollection.h"
#include "pdf/interpreter/KXPDFConentParser.h"
#include "pdf/interpreter/KXPDFConentParser_p.h"
#include "pdf/color/KXPDFDeviceCMYKColorSpace.h"
#include "pdf/color/KXPDFDeviceGrayColorSpace.h"
#include "pdf/color/KXPDFDeviceRGBColorSpace.h"
#include "pdf/state/KXPDFExtGStateCollection.h"
#include "pdf/shading/KXPDFPattern.h"
#include "pdf/color/KXPDFPatternColorSpace.h"
#include "pdf/interpreter/OperandNumbers.h"
#include "platform/LeftOut.h"
#include "platform/Numeric.h"

namespace kx::detail {

namespace {

constexpr int kMaxComponents = 32;

// A colour component: the operand times 255, truncated toward zero (clamped to 16 bits).
std::int16_t component(double operand) { return kx::toInt<std::int16_t>(operand * 255.0); }

// The device spaces the colour operators install, one shared instance per operator key.
template <class Space>
std::shared_ptr<const KXPDFColorSpace> operatorSpace(const char* key) {
    auto s = std::make_shared<Space>();
    s->setObjectKey(key);
    return s;
}

const std::shared_ptr<const KXPDFColorSpace>& spaceFor(char op) {
    static const std::shared_ptr<const KXPDFColorSpace> G = operatorSpace<KXPDFDeviceGrayColorSpace>("opt_G");
    static const std::shared_ptr<const KXPDFColorSpace> g = operatorSpace<KXPDFDeviceGrayColorSpace>("opt_g");
    static const std::shared_ptr<const KXPDFColorSpace> K = operatorSpace<KXPDFDeviceCMYKColorSpace>("opt_K");
    static const std::shared_ptr<const KXPDFColorSpace> k = operatorSpace<KXPDFDeviceCMYKColorSpace>("opt_k");
    static const std::shared_ptr<const KXPDFColorSpace> R = operatorSpace<KXPDFDeviceRGBColorSpace>("opt_RG");
    static const std::shared_ptr<const KXPDFColorSpace> r = operatorSpace<KXPDFDeviceRGBColorSpace>("opt_rg");
    switch (op) {
        case 'G': return G;
        case 'g': return g;
        case 'K': return K;
        case 'k': return k;
        case 'R': return R;
        default: return r;
    }
}

void setColor(KXPDFRenderState& st, bool stroke, std::shared_ptr<const KXPDFColorSpace> space, const KXPDFColor& c) {
    if (stroke) {
        st.setStrokePattern(nullptr);
        if (space) st.setStrokeColorSpace(std::move(space));
        st.setStrokeColor(c);
    } else {
        st.setFillPattern(nullptr);
        if (space) st.setFillColorSpace(std::move(space));
        st.setFillColor(c);
    }
}

void colorSpaceOperator(PDFScanner& s, void* info, bool stroke) {
    KXPDFConentParser& p = parserOf(info);
    PDFOperand op;
    if (!s.popObject(op)) return;
    std::shared_ptr<const KXPDFColorSpace> space;
    if (op.type == PDFObjectType::Name) {
        if (p.colorSpaceCollection()) space = p.colorSpaceCollection()->colorSpaceNamed(op.text);
        if (!space) space = KXPDFColorSpace::ColorSpaceWithName(op.text, std::string("opt_CS"));
    } else {
        space = KXPDFColorSpace::ColorSpaceWithObject(op.object, std::string("opt_CS"));
    }
    if (!space) return;
    KXPDFColor c = space->getDefaultColor();
    setColor(p.currentRenderingState(), stroke, std::move(space), c);
}

// G/g (N = 1), RG/rg (3) and K/k (4): the operator's device space and its N numbers; the
// upper-case forms set the stroke colour.
template <size_t N>
void deviceColorOperator(PDFScanner& s, void* info, char op) {
    double v[N];
    if (!popNumbers(s, v)) return;
    KXPDFColor c = KXPDFColorSpace::defaultPDFColor();
    for (size_t i = 0; i < N; ++i) c.c[i] = component(v[i]);
    setColor(parserOf(info).currentRenderingState(), op == 'G' || op == 'R' || op == 'K', spaceFor(op), c);
}

// The numbers of SC/sc in operand order (popOperandNumbers gives the last operand first).
KXPDFColor colorFromNumbers(const std::vector<double>& lastFirst, bool grayCopy) {
    KXPDFColor c = KXPDFColorSpace::defaultPDFColor();
    const size_t n = lastFirst.size();
    for (size_t i = 0; i < n; ++i) c.c[i] = component(lastFirst[n - 1 - i]);
    if (grayCopy && n == 1) c.c[1] = c.c[2] = c.c[0];
    return c;
}

int componentCount(const std::shared_ptr<const KXPDFColorSpace>& space) {
    return space ? std::clamp(space->getNComps(), 0, kMaxComponents) : 0;
}

void colorOperator(PDFScanner& s, void* info, bool stroke) {
    KXPDFRenderState& st = parserOf(info).currentRenderingState();
    int n = componentCount(stroke ? st.strokeColorSpace() : st.fillColorSpace());
    KXPDFColor c = colorFromNumbers(popOperandNumbers(s, n), true);
    setColor(st, stroke, nullptr, c);
}

void colorNOperator(PDFScanner& s, void* info, bool stroke) {
    KXPDFConentParser& p = parserOf(info);
    KXPDFRenderState& st = p.currentRenderingState();
    const auto& space = stroke ? st.strokeColorSpace() : st.fillColorSpace();
    if (!space || space->getMode() != KXPDFColorSpace::ModePattern) {
        colorOperator(s, info, stroke);
        return;
    }
    // A pattern space takes the pattern's name; the colour stays. An uncoloured pattern is painted
    // in the colour of the underlying space given before the name.
    std::string name;
    if (s.popName(name)) {
        const auto* patternSpace = dynamic_cast<const KXPDFPatternColorSpace*>(space.get());
        int n = patternSpace ? componentCount(patternSpace->under()) : 0;
        KXPDFColor paint = colorFromNumbers(popOperandNumbers(s, n), false);
        auto pattern = KXPDFPattern::patternForPainting(p.patternNamed(name), *space, paint);
        if (stroke)
            st.setStrokePattern(std::move(pattern));
        else
            st.setFillPattern(std::move(pattern));
        return;
    }
    KXPDFColor c = colorFromNumbers(popOperandNumbers(s, componentCount(space)), false);
    if (stroke)
        st.setStrokeColor(c);
    else
        st.setFillColor(c);
}

void paintOperator(void* info, bool close, bool stroke, bool fill, bool evenOdd) {
    KXPDFConentParser& p = parserOf(info);
    KXPDFRenderState& st = p.currentRenderingState();
    st.setUsesEvenOddFillRule(evenOdd);
    if (close) st.mutableCgPath().closeSubpath();
    paintCurrentPath(p, stroke, fill);
}

bool startsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

bool hasActualText(const PDFObject& dict) { return dict.isDictionary() && dict.dictGet("ActualText").isString(); }

void pushMarkedContentForOperator(PDFScanner& s, void* info) {
    KXPDFConentParser& p = parserOf(info);
    KXPDFMarkedContent& entry = p.markedContentStack().pushMarkedContent();
    PDFOperand last;
    if (!s.popObject(last)) return;
    if (last.type == PDFObjectType::Dictionary) {
        if (hasActualText(last.object)) entry.setKind(1);
    } else if (last.type == PDFObjectType::Name && startsWith(last.text, "OC")) {
        std::string name;
        if (s.popName(name)) {
            entry.setKind(0);
            entry.setOcSuppressed(1);
        }
    } else if (last.type == PDFObjectType::Name && startsWith(last.text, "Sp")) {
        PDFObject dict;
        if (s.popDictionary(dict) && hasActualText(dict)) entry.setKind(1);
    }
}

}  // namespace

void endCurrentPath(KXPDFConentParser& p) {
    if (p.droppedPathElements > 0) {
        static const std::string kDropped =
            "path elements past the " + std::to_string(KXPDFConentParser::kMaxPathElements) + " a path holds";
        kx::LeftOut::note(kDropped, p.droppedPathElements);
        p.droppedPathElements = 0;
    }
    KXPDFRenderState& st = p.currentRenderingState();
    st.setCgPath(kx::Path());
    st.setClip(KXPDFRenderState::ClipNone);
}

void applyPendingClip(KXPDFConentParser& p) {
    KXPDFRenderState& st = p.currentRenderingState();
    if (st.clip() != KXPDFRenderState::ClipNone) st.clipState(st.cgPath().transformed(st.ctm()), st.clip());
}

void paintCurrentPath(KXPDFConentParser& p, bool stroke, bool fill) {
    KXPDFRenderState& st = p.currentRenderingState();
    const kx::Path pagePath = st.cgPath().transformed(st.ctm());

    // Nearly transparent paint is not reported.
    constexpr double kMinAlpha = static_cast<double>(0.01f);
    bool visible = true;
    if (stroke && fill)
        visible = !(st.currentStrokeAlpha() < kMinAlpha && st.currentFillAlpha() < kMinAlpha);
    else if (stroke)
        visible = !(st.currentStrokeAlpha() < kMinAlpha);
    else if (fill)
        visible = !(st.currentFillAlpha() < kMinAlpha);

    if (!st.isStateTextClip() && visible && !pagePath.isEmpty()) {
        // The receiver reads the same page-space path from the state.
        st.setCgPath(pagePath);
        const bool strokePattern =
            stroke && st.strokeColorSpace() && st.strokeColorSpace()->getMode() == KXPDFColorSpace::ModePattern;
        const bool fillPattern =
            fill && st.fillColorSpace() && st.fillColorSpace()->getMode() == KXPDFColorSpace::ModePattern;
        if (KXPDFConentParserDelegate* d = p.delegate()) {
            if (strokePattern || fillPattern)
                d->didScanPatternPath(p, pagePath, strokePattern, fillPattern);
            else
                d->didScanPath(p, pagePath, stroke, fill);
        }
    }
    // "re W f" paints the rectangle and clips what follows to it: a pending clip takes effect
    // after the painting operator, whichever it is.
    KXPDFRenderState& top = p.currentRenderingState();
    if (top.clip() != KXPDFRenderState::ClipNone) top.clipState(pagePath, top.clip());
    endCurrentPath(p);
}

// Marked content. EMC closes the innermost sequence; the first entry of the stack stays.
void opMP(PDFScanner&, void*) {}
void opDP(PDFScanner&, void*) {}
void opBMC(PDFScanner& s, void* info) { pushMarkedContentForOperator(s, info); }
void opBDC(PDFScanner& s, void* info) { pushMarkedContentForOperator(s, info); }
void opEMC(PDFScanner&, void* info) {
    KXPDFMarkedContentStack& stack = parserOf(info).markedContentStack();
    if (stack.stack().size() > 1) stack.popMarkedContent();
}

// Colours.
void opCS(PDFScanner& s, void* info) { colorSpaceOperator(s, info, true); }
void opcs(PDFScanner& s, void* info) { colorSpaceOperator(s, info, false); }
void opG(PDFScanner& s, void* info) { deviceColorOperator<1>(s, info, 'G'); }
void opg(PDFScanner& s, void* info) { deviceColorOperator<1>(s, info, 'g'); }
void opK(PDFScanner& s, void* info) { deviceColorOperator<4>(s, info, 'K'); }
void opk(PDFScanner& s, void* info) { deviceColorOperator<4>(s, info, 'k'); }
void opRG(PDFScanner& s, void* info) { deviceColorOperator<3>(s, info, 'R'); }
void oprg(PDFScanner& s, void* info) { deviceColorOperator<3>(s, info, 'r'); }
void opri(PDFScanner& s, void*) {
    std::string intent;
    s.popName(intent);
}
void opSC(PDFScanner& s, void* info) { colorOperator(s, info, true); }
void opsc(PDFScanner& s, void* info) { colorOperator(s, info, false); }
void opSCN(PDFScanner& s, void* info) { colorNOperator(s, info, true); }
void opscn(PDFScanner& s, void* info) { colorNOperator(s, info, false); }

// Graphics state.
void opgs(PDFScanner& s, void* info) {
    KXPDFConentParser& p = parserOf(info);
    std::string name;
    if (!s.popName(name) || !p.extGStateCollection()) return;
    std::shared_ptr<const KXPDFExtGState> gs = p.extGStateCollection()->objectNamed(name);
    KXPDFRenderState& st = p.currentRenderingState();
    st.setGraphicState(gs.get());
    if (!gs) return;
    auto it = gs->gStateValue().find("SMask-XObject-" + name);
    if (it == gs->gStateValue().end() || !it->second.object()) return;
    // Receivers that do not draw soft-mask content test this flag in their reports. The state
    // object outlives the nested run: pushes do not move it and the run cannot pop it.
    st.setIsParseringExtGState(true);
    p.doSoftMaskGroup(*it->second.object(), name);
    st.setIsParseringExtGState(false);
}

void opcm(PDFScanner& s, void* info) {
    double m[6];
    if (!popNumbers(s, m)) return;
    KXPDFRenderState& st = parserOf(info).currentRenderingState();
    st.setCtm(kx::AffineTransform{m[0], m[1], m[2], m[3], m[4], m[5]}.concat(st.ctm()));
}

void opq(PDFScanner&, void* info) { parserOf(info).saveRenderingState(); }

void opQ(PDFScanner&, void* info) { parserOf(info).restoreRenderingState(); }

void opBX(PDFScanner&, void*) {}
void opEX(PDFScanner&, void*) {}

// Painting.
void opb(PDFScanner&, void* info) { paintOperator(info, true, true, true, false); }
void opB(PDFScanner&, void* info) { paintOperator(info, false, true, true, false); }
void opbStar(PDFScanner&, void* info) { paintOperator(info, true, true, true, true); }
void opBStar(PDFScanner&, void* info) { paintOperator(info, false, true, true, true); }
void opf(PDFScanner&, void* info) { paintOperator(info, false, false, true, false); }
void opF(PDFScanner&, void* info) { paintOperator(info, false, false, true, false); }
void opfStar(PDFScanner&, void* info) { paintOperator(info, false, false, true, true); }
void ops(PDFScanner&, void* info) { paintOperator(info, true, true, false, false); }
void opS(PDFScanner&, void* info) { paintOperator(info, false, true, false, false); }

void opsh(PDFScanner& s, void* info) {
    KXPDFConentParser& p = parserOf(info);
    std::string name;
    if (!s.popName(name)) return;
    std::shared_ptr<KXPDFShading> shading = p.shadingNamed(name);
    if (KXPDFConentParserDelegate* d = p.delegate()) d->didScanPaintShading(p, shading);
}

// Line style.
void opi(PDFScanner& s, void* info) {
    double v[1];
    if (popNumbers(s, v)) parserOf(info).currentRenderingState().setLineFlatness(v[0]);
}

void opd(PDFScanner& s, void* info) {
    double phase = 0;
    PDFObject array;
    if (!s.popNumber(phase) || !s.popArray(array)) return;
    std::vector<double> dash;
    dash.reserve(array.arrayCount());
    for (size_t i = 0; i < array.arrayCount(); ++i) {
        double v = 0;
        if (array.arrayAt(i).getNumber(v)) dash.push_back(v);
    }
    KXPDFRenderState& st = parserOf(info).currentRenderingState();
    st.setLineDashPattern(std::move(dash));
    st.setLineDashPhase(kx::roundToInt<std::int64_t>(phase));
}

void opw(PDFScanner& s, void* info) {
    double v[1];
    if (popNumbers(s, v)) parserOf(info).currentRenderingState().setLineWidth(v[0]);
}

void opj(PDFScanner& s, void* info) {
    double v[1];
    if (popNumbers(s, v)) parserOf(info).currentRenderingState().setLineJoinStyle(kx::toInt<std::int32_t>(v[0]));
}

void opJ(PDFScanner& s, void* info) {
    double v[1];
    if (popNumbers(s, v)) parserOf(info).currentRenderingState().setLineCapStyle(kx::toInt<std::int32_t>(v[0]));
}

void opM(PDFScanner& s, void* info) {
    double v[1];
    if (popNumbers(s, v)) parserOf(info).currentRenderingState().setLineMiterLimit(v[0]);
}

// Path construction, in user space. A path that holds kMaxPathElements elements takes no more: a
// content stream can say more path operators than memory holds, and what it says past that is
// dropped.
kx::Path* pathUnderConstruction(void* info) {
    KXPDFConentParser& p = parserOf(info);
    kx::Path& path = p.currentRenderingState().mutableCgPath();
    if (path.elements().size() < KXPDFConentParser::kMaxPathElements) return &path;
    ++p.droppedPathElements;
    return nullptr;
}

void opre(PDFScanner& s, void* info) {
    double v[4];
    if (!popNumbers(s, v)) return;
    if (kx::Path* path = pathUnderConstruction(info)) path->addRect(kx::Rect(v[0], v[1], v[2], v[3]));
}

void opl(PDFScanner& s, void* info) {
    double v[2];
    if (!popNumbers(s, v)) return;
    if (kx::Path* path = pathUnderConstruction(info)) path->lineTo({v[0], v[1]});
}

void opm(PDFScanner& s, void* info) {
    double v[2];
    if (!popNumbers(s, v)) return;
    if (kx::Path* path = pathUnderConstruction(info)) path->moveTo({v[0], v[1]});
}

void oph(PDFScanner&, void* info) {
    if (kx::Path* path = pathUnderConstruction(info)) path->closeSubpath();
}

void opc(PDFScanner& s, void* info) {
    double v[6];
    if (!popNumbers(s, v)) return;
    if (kx::Path* path = pathUnderConstruction(info)) path->curveTo({v[0], v[1]}, {v[2], v[3]}, {v[4], v[5]});
}

void opv(PDFScanner& s, void* info) {
    double v[4];
    if (!popNumbers(s, v)) return;
    if (kx::Path* path = pathUnderConstruction(info)) path->curveTo(path->currentPoint(), {v[0], v[1]}, {v[2], v[3]});
}

void opy(PDFScanner& s, void* info) {
    double v[4];
    if (!popNumbers(s, v)) return;
    if (kx::Path* path = pathUnderConstruction(info)) path->curveTo({v[0], v[1]}, {v[2], v[3]}, {v[2], v[3]});
}

// Clipping: W and W* only mark the path; the painting operator that ends it applies the clip.
void opn(PDFScanner&, void* info) {
    KXPDFConentParser& p = parserOf(info);
    applyPendingClip(p);
    endCurrentPath(p);
}

void opW(PDFScanner&, void* info) { parserOf(info).currentRenderingState().setClip(KXPDFRenderState::ClipNonZero); }
void opWStar(PDFScanner&, void* info) {
    parserOf(info).currentRenderingState().setClip(KXPDFRenderState::ClipEvenOdd);
}

}  // namespace kx::detail
