#include "pptx/KXPPTXFreeform.h"

#include <algorithm>

#include "ooxml/KXOpenXMLNameSpace.h"
#include "ooxml/XMLFileWriter.h"
#include "platform/Format.h"
#include "pptx/KXPPTXUnits_p.h"
#include "pptx/KXPPTXUtilities.h"

namespace {

constexpr std::string_view A = KXOpenXMLNameSpace::nameSpace_a();
constexpr std::string_view P = KXOpenXMLNameSpace::nameSpace_p();

void empty(XMLFileWriter& w, std::string_view name) {
    w.writeStartElementWithNamespace(A, name);
    w.writeEndElement();
}

void schemeColor(XMLFileWriter& w, std::string_view val) {
    w.writeStartElementWithNamespace(A, "schemeClr");
    w.writeAttribute("val", val);
}

void solidFill(XMLFileWriter& w, const std::string& color, float alpha) {
    w.writeStartElementWithNamespace(A, "solidFill");
    w.writeStartElementWithNamespace(A, "srgbClr");
    w.writeAttribute("val", kx::detail::hexColor(color).empty() ? "ffffff" : kx::detail::hexColor(color));
    w.writeStartElementWithNamespace(A, "alpha");
    w.writeAttribute("val", kx::detail::fixedPercentage(alpha));
    w.writeEndElement();
    w.writeEndElement();
    w.writeEndElement();
}

// A length of the path frame in EMU: at least 1, so that guides can divide by it.
std::int64_t frameLength(double points) {
    return std::max<std::int64_t>(1, kx::detail::clampedRound(points * kx::detail::kEMUPerPoint, 0.0, 27273042316900.0));
}

}  // namespace

std::vector<KXPPTXPathElement> KXPPTXFreeform::pointsWithCGPath(const kx::Path& path) {
    std::vector<KXPPTXPathElement> out;
    out.reserve(path.elements().size());
    path.apply([&](const kx::PathElement& e) { out.emplace_back(e); });
    return out;
}

void KXPPTXFreeform::write_nvSpPr(XMLFileWriter& w) {
    w.writeStartElementWithNamespace(P, "nvSpPr");
    writeCNvPr(w, "Freeform");
    w.writeEndElement();
    w.writeStartElementWithNamespace(P, "cNvSpPr");
    w.writeEndElement();
    w.writeStartElementWithNamespace(P, "nvPr");
    w.writeEndElement();
    w.writeEndElement();
}

void KXPPTXFreeform::write_spPr(XMLFileWriter& w) {
    using namespace kx::detail;
    const KXPPTXFreeformInfo& info = spInfo_;
    w.writeStartElementWithNamespace(P, "spPr");
    w.writeStartElementWithNamespace(A, "xfrm");
    w.writeStartElementWithNamespace(A, "off");
    w.writeAttribute("x", emu(info.displayX()));
    w.writeAttribute("y", emu(info.displayY()));
    w.writeEndElement();
    w.writeStartElementWithNamespace(A, "ext");
    w.writeAttribute("cx", positiveEmu(info.displayWidth()));
    w.writeAttribute("cy", positiveEmu(info.displayHeight()));
    w.writeEndElement();
    w.writeEndElement();  // xfrm
    write_SpPr_custGeom(w);
    solidFill(w, info.fillcolorString(), info.fillAlpha());
    w.writeStartElementWithNamespace(A, "ln");
    w.writeAttribute("w", lineWidth(info.strokeweight()));
    if (std::optional<std::string> cap = info.lineCapString()) w.writeAttribute("cap", *cap);
    solidFill(w, info.strokecolorString(), info.strokeAlpha());
    writeDash(w);
    w.writeEndElement();  // ln
    w.writeEndElement();  // spPr
}

void KXPPTXFreeform::writeDash(XMLFileWriter& w) {
    std::vector<double> pattern = spInfo_.strokeDashPattern();
    auto preset = [&](std::string_view val) {
        w.writeStartElementWithNamespace(A, "prstDash");
        w.writeAttribute("val", val);
        w.writeEndElement();
    };
    if (pattern.empty()) return preset(spInfo_.prstDashString());
    if (pattern.size() == 6) return preset("lgDashDotDot");
    if (pattern.size() == 2) return preset("dash");
    // A dash array of odd length runs through twice before it repeats: [3] is 3 on, 3 off.
    if (pattern.size() % 2) pattern.insert(pattern.end(), pattern.begin(), pattern.end());
    // Dash stops are thousandths of a percent of the line width.
    double weight = spInfo_.strokeweight() > 0 ? spInfo_.strokeweight() : 1.0;
    auto percentOfWidth = [&](double length) {
        return std::to_string(kx::detail::clampedRound(length / weight * 100000.0, 0.0, 2147483647.0));
    };
    w.writeStartElementWithNamespace(A, "custDash");
    for (size_t i = 0; i + 1 < pattern.size(); i += 2) {
        w.writeStartElementWithNamespace(A, "ds");
        w.writeAttribute("d", percentOfWidth(pattern[i]));
        w.writeAttribute("sp", percentOfWidth(pattern[i + 1]));
        w.writeEndElement();
    }
    w.writeEndElement();
}

void KXPPTXFreeform::write_SpPr_custGeom(XMLFileWriter& w) {
    using kx::detail::appendNumber;
    using kx::detail::emuValue;
    const std::string width = std::to_string(frameLength(spInfo_.displayWidth()));
    const std::string height = std::to_string(frameLength(spInfo_.displayHeight()));
    const kx::Point origin = spInfo_.displayOrigin();
    // A slide holds thousands of path points: their values are built in one reused string, and
    // the path's elements are read where they are.
    const std::vector<kx::PathElement>& elements = runCGPath_.elements();
    std::string value;
    auto numbered = [&](std::string_view name, size_t i) -> const std::string& {
        value.assign(name);
        appendNumber(value, static_cast<std::int64_t>(i));
        return value;
    };
    auto formula = [&](double coordinate, std::string_view side, const std::string& length) -> const std::string& {
        value.assign("*/ ");
        appendNumber(value, emuValue(coordinate));
        value.append(side);
        value.append(length);
        return value;
    };
    auto coordinate = [&](double v) -> const std::string& {
        value.clear();
        appendNumber(value, emuValue(v));
        return value;
    };

    w.writeStartElementWithNamespace(A, "custGeom");
    empty(w, "avLst");
    w.writeStartElementWithNamespace(A, "gdLst");
    for (size_t i = 0; i < elements.size(); ++i) {
        const int count = elements[i].pointCount();
        if (count == 0) continue;
        const kx::Point& end = elements[i].points[static_cast<size_t>(count - 1)];
        w.writeStartElementWithNamespace(A, "gd");
        w.writeAttribute("name", numbered("connsiteX", i));
        w.writeAttribute("fmla", formula(end.x - origin.x, " w ", width));
        w.writeEndElement();
        w.writeStartElementWithNamespace(A, "gd");
        w.writeAttribute("name", numbered("connsiteY", i));
        w.writeAttribute("fmla", formula(end.y - origin.y, " h ", height));
        w.writeEndElement();
    }
    w.writeEndElement();  // gdLst
    empty(w, "ahLst");
    w.writeStartElementWithNamespace(A, "cxnLst");
    for (size_t i = 0; i < elements.size(); ++i) {
        if (elements[i].pointCount() == 0) continue;
        w.writeStartElementWithNamespace(A, "cxn");
        w.writeAttribute("ang", numbered("", i));
        w.writeStartElementWithNamespace(A, "pos");
        w.writeAttribute("x", numbered("connsiteX", i));
        w.writeAttribute("y", numbered("connsiteY", i));
        w.writeEndElement();
        w.writeEndElement();
    }
    w.writeEndElement();  // cxnLst
    w.writeStartElementWithNamespace(A, "rect");
    w.writeAttribute("l", "l");
    w.writeAttribute("t", "t");
    w.writeAttribute("r", "r");
    w.writeAttribute("b", "b");
    w.writeEndElement();
    w.writeStartElementWithNamespace(A, "pathLst");
    w.writeStartElementWithNamespace(A, "path");
    w.writeAttribute("w", width);
    w.writeAttribute("h", height);
    static constexpr std::string_view kCommands[] = {"moveTo", "lnTo", "quadBezTo", "cubicBezTo"};
    for (const kx::PathElement& e : elements) {
        if (e.type == kx::PathElementType::CloseSubpath) {
            // Every sub-path that the path closes is closed here too: a stroked outline keeps its
            // closing side.
            empty(w, "close");
            continue;
        }
        const int count = e.pointCount();
        if (count == 0) continue;
        w.writeStartElementWithNamespace(A, kCommands[static_cast<int>(e.type)]);
        for (int k = 0; k < count; ++k) {
            const kx::Point& p = e.points[static_cast<size_t>(k)];
            w.writeStartElementWithNamespace(A, "pt");
            w.writeAttribute("x", coordinate(p.x - origin.x));
            w.writeAttribute("y", coordinate(p.y - origin.y));
            w.writeEndElement();
        }
        w.writeEndElement();
    }
    w.writeEndElement();  // path
    w.writeEndElement();  // pathLst
    w.writeEndElement();  // custGeom
}

void KXPPTXFreeform::write_style(XMLFileWriter& w) {
    w.writeStartElementWithNamespace(P, "style");
    w.writeStartElementWithNamespace(A, "lnRef");
    w.writeAttribute("idx", "1");
    schemeColor(w, "accent1");
    w.writeStartElementWithNamespace(A, "shade");
    w.writeAttribute("val", "50000");
    w.writeEndElement();
    w.writeEndElement();  // schemeClr
    w.writeEndElement();  // lnRef
    w.writeStartElementWithNamespace(A, "fillRef");
    w.writeAttribute("idx", "1");
    schemeColor(w, "accent1");
    w.writeEndElement();
    w.writeEndElement();
    w.writeStartElementWithNamespace(A, "effectRef");
    w.writeAttribute("idx", "0");
    schemeColor(w, "accent1");
    w.writeEndElement();
    w.writeEndElement();
    w.writeStartElementWithNamespace(A, "fontRef");
    w.writeAttribute("idx", "minor");
    schemeColor(w, "lt1");
    w.writeEndElement();
    w.writeEndElement();
    w.writeEndElement();  // style
}

void KXPPTXFreeform::write_txBody(XMLFileWriter& w) {
    // The last paragraph's alignment and end-of-paragraph languages; the defaults without one.
    const KXPPTX_PPr properties =
        paragraphs().empty() ? KXPPTXUtilities::defaultPProperty() : paragraphs().back()->pProperty();
    w.writeStartElementWithNamespace(P, "txBody");
    w.writeStartElementWithNamespace(A, "bodyPr");
    w.writeAttribute("rtlCol", bodyPr().rtlCol ? "1" : "0");
    w.writeAttribute("anchor", bodyPr().anchor);
    w.writeEndElement();
    empty(w, "lstStyle");
    w.writeStartElementWithNamespace(A, "p");
    w.writeStartElementWithNamespace(A, "pPr");
    w.writeAttribute("algn", properties.algn);
    w.writeEndElement();
    w.writeStartElementWithNamespace(A, "endParaRPr");
    w.writeAttribute("lang", properties.endParaRPr.lang);
    w.writeAttribute("altLang", properties.endParaRPr.altLang);
    w.writeEndElement();
    w.writeEndElement();  // p
    w.writeEndElement();  // txBody
}
