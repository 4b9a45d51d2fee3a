// A path run written into the document body: a w:r holding a VML picture, made of a shape type
// that carries the path and a shape placed absolutely on the page with its fill, stroke, opacity
// and dash.
//
// VML lengths: the path and the coordinate space are in twentieths of a point, with the page's
// origin, so that a path point (x, y) in points is written as (20x, 20y); the coordinate origin
// and size are the run's frame. The shape's box is that frame grown by one point on every side.
// Opacities are VML fixed-point fractions (alpha × 65792, with an "f").

#include <algorithm>
#include <cmath>

#include "docx/model/KXDocxRunPath.h"
#include "docx/model/KXDocxPictRun_p.h"
#include "docx/model/KXDocxUtilities.h"
#include "ooxml/KXOpenXMLNameSpace.h"
#include "ooxml/XMLFileWriter.h"
#include "platform/Format.h"
#include "platform/Numeric.h"
#include "platform/Unicode.h"

namespace {

constexpr std::string_view V = KXOpenXMLNameSpace::nameSpace_v();
constexpr std::string_view W10 = KXOpenXMLNameSpace::nameSpace_w10();

// A length in points as twentieths of a point, whole.
std::string twips(double points) { return kx::format("%0.0f", kx::finiteOr(points) * 20.0); }

std::string opacity(float alpha) {
    const float a = std::clamp(std::isnan(alpha) ? 1.0f : alpha, 0.0f, 1.0f);
    return kx::format("%0.0ff", static_cast<double>(a * 65792.0f));
}

kx::Point lerp(kx::Point a, kx::Point b, double t) { return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t}; }

}  // namespace

std::string KXDocxRunPath::VMLPathString(const kx::Path& path) {
    std::string text;
    std::optional<kx::Point> pendingMove;
    kx::Point current{}, subpathStart{};
    auto point = [](kx::Point p) { return twips(p.x) + "," + twips(p.y); };
    auto flushMove = [&] {
        if (!pendingMove) return;
        text += "m" + point(*pendingMove);
        pendingMove.reset();
    };
    for (const kx::PathElement& e : path.elements()) {
        switch (e.type) {
            case kx::PathElementType::MoveToPoint:
                pendingMove = e.points[0];
                current = subpathStart = e.points[0];
                break;
            case kx::PathElementType::AddLineToPoint:
                flushMove();
                text += "l" + point(e.points[0]);
                current = e.points[0];
                break;
            case kx::PathElementType::AddCurveToPoint:
                flushMove();
                text += "c" + point(e.points[0]) + "," + point(e.points[1]) + "," + point(e.points[2]);
                current = e.points[2];
                break;
            case kx::PathElementType::AddQuadCurveToPoint: {
                // VML's curve is cubic: the same curve with its control points raised.
                flushMove();
                const kx::Point q = e.points[0], end = e.points[1];
                text += "c" + point(lerp(current, q, 2.0 / 3.0)) + "," + point(lerp(end, q, 2.0 / 3.0)) + "," +
                        point(end);
                current = end;
                break;
            }
            case kx::PathElementType::CloseSubpath:
                text += "x";
                current = subpathStart;
                break;
        }
    }
    return text + "e";
}

void KXDocxRunPath::writeWithXMLWriter(XMLFileWriter& writer) {
    kx::detail::writePictRun(writer, rProperty(), [&] { _writePath2006(writer); });
}

void KXDocxRunPath::_writePath2006(XMLFileWriter& writer) {
    if (!pictInfo_) pictInfo_.emplace();
    KXDocxPathInfo& i = *pictInfo_;

    // A filled bar thinner than a point is written as a line along its edge, as thick as the bar.
    kx::Path path = runCGPath_;
    if (i.filled() && !i.stroked() && (i.displayWidth < 1.0 || i.displayHeight < 1.0)) {
        path = kx::Path();
        path.moveTo({i.displayX, i.displayY});
        if (i.displayWidth < 1.0) {
            path.lineTo({i.displayX, i.displayY + i.displayHeight});
            i.setStrokeweight(i.displayWidth);
        } else {
            path.lineTo({i.displayX + i.displayWidth, i.displayY});
            i.setStrokeweight(i.displayHeight);
        }
        i.setStroked(true);
        i.setFilled(false);
        i.setStrokecolor(i.fillcolor());
    }

    // The type's coordinate space is the run's frame in twentieths of a point: path points are
    // written where they are on the page.
    const std::string typeID = kx::format("Shape%llu", static_cast<unsigned long long>(pdfScanIndex()));
    const std::string coordOrigin = twips(i.displayX) + "," + twips(i.displayY);
    const std::string coordSize = twips(i.displayWidth) + "," + twips(i.displayHeight);
    const std::string pathText = VMLPathString(path);
    writer.writeStartElementWithNamespace(V, "shapetype");
    writer.writeAttribute("id", typeID);
    writer.writeAttribute("coordorigin", coordOrigin);
    writer.writeAttribute("coordsize", coordSize);
    writer.writeAttribute("o:spt", "12");
    writer.writeAttribute("path", pathText);
    writer.writeStartElementWithNamespace(V, "stroke");
    writer.writeAttribute("joinstyle", "miter");
    writer.writeEndElement();
    writer.writeEndElement();

    writer.writeStartElementWithNamespace(V, "shape");
    writer.writeAttribute("id", "WS_" + typeID);
    writer.writeAttribute("type", typeID);
    // The shape repeats the path and coordinate space of its type: LibreOffice takes neither from
    // the type, and draws the type's preset (12, a star) or nothing at all in place of the path.
    writer.writeAttribute("coordorigin", coordOrigin);
    writer.writeAttribute("coordsize", coordSize);
    writer.writeAttribute("path", pathText);
    if (i.stroked()) {
        i.displayWidth = std::max(i.displayWidth, i.strokeweight());
        i.displayHeight = std::max(i.displayHeight, i.strokeweight());
    }
    // The shape's box is one point larger than the run on every side.
    writer.writeAttribute(
        "style", kx::format("position:%s;left:%0.0f;text-align:%s;margin-left:%0.2fpt;margin-top:%0.2fpt;"
                            "width:%0.2fpt;height:%0.2fpt;mso-position-horizontal-relative:%s;"
                            "mso-position-vertical-relative:%s;z-index:%lld",
                            "absolute", 0.0, "left", kx::finiteOr(i.displayX) - 1.0, kx::finiteOr(i.displayY) - 1.0,
                            kx::finiteOr(i.displayWidth) + 2.0, kx::finiteOr(i.displayHeight) + 2.0, "page", "page",
                            static_cast<long long>(pictZIndex())));
    writer.writeAttribute("filled", i.filled() ? "t" : "f");
    if (i.filled()) writer.writeAttribute("fillcolor", i.fillcolorString().value_or("#000000"));
    writer.writeAttribute("stroked", i.stroked() ? "t" : "f");
    if (i.stroked()) {
        const float weight = std::max(static_cast<float>(kx::finiteOr(i.strokeweight())), 0.01f);
        writer.writeAttribute("strokeweight", kx::format("%0.2fpt", static_cast<double>(weight)));
        writer.writeAttribute("strokecolor", i.strokecolorString().value_or("#000000"));
    }

    if (i.filled()) {
        writer.writeStartElementWithNamespace(V, "fill");
        writer.writeAttribute("type", "solid");
        writer.writeEndElement();
        if (i.fillAlpha() < 1.0f) {
            writer.writeStartElementWithNamespace(V, "fill");
            writer.writeAttribute("opacity", opacity(i.fillAlpha()));
            writer.writeEndElement();
        }
    } else {
        writer.writeStartElementWithNamespace(V, "fill");
        writer.writeAttribute("opacity", "0");
        writer.writeEndElement();
    }
    if (i.stroked()) {
        if (i.strokeAlpha() < 1.0f) {
            writer.writeStartElementWithNamespace(V, "stroke");
            writer.writeAttribute("opacity", opacity(i.strokeAlpha()));
            writer.writeEndElement();
        }
        if (const std::optional<std::string_view> dash =
                KXDocxDashStyleForDashArray(i.strokeDashPattern(), i.strokeweight())) {
            writer.writeStartElementWithNamespace(V, "stroke");
            writer.writeAttribute("dashstyle", *dash);
            if (i.strokeDashPhase() > 0) writer.writeAttribute("dashPhase", i.strokeDashPhaseString());
            writer.writeEndElement();
        }
    }
    // The wrapping stays inside the shape: "w:pict" takes only VML and Office drawing elements.
    writer.writeStartElementWithNamespace(W10, "wrap");
    writer.writeAttribute("type", "none");
    writer.writeEndElement();
    writer.writeEndElement();  // shape
}
