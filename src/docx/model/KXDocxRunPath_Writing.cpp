// A path run written into the document body: a w:r holding a VML picture, made of a shape type
// that carries the path and a shape placed absolutely on the page with its fill, stroke, opacity
// and dash.
//
// VML lengths: the path and the shape's coordinate space are in twentieths of a point, with the
// page's origin, so that a path point (x, y) in points is written as (20x, 20y). The shape's box is
// the run's frame grown by one point on every side (room for the stroke), and its coordinate
// origin and size are that same box in twentieths: path coordinates land where they are on the
// page, unstretched. Opacities are VML fixed-point fractions (alpha × 65792, with an "f").

#include <algorithm>
#include <cmath>

#include "docx/model/KXDocxCounters.h"
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

    // A filled bar thinner than a point is written as a line through its middle, as thick as the bar.
    kx::Path path = runCGPath_;
    if (i.filled() && !i.stroked() && (i.displayWidth < 1.0 || i.displayHeight < 1.0)) {
        path = kx::Path();
        if (i.displayWidth < 1.0) {
            const double x = i.displayX + i.displayWidth / 2;
            path.moveTo({x, i.displayY});
            path.lineTo({x, i.displayY + i.displayHeight});
            i.setStrokeweight(i.displayWidth);
        } else {
            const double y = i.displayY + i.displayHeight / 2;
            path.moveTo({i.displayX, y});
            path.lineTo({i.displayX + i.displayWidth, y});
            i.setStrokeweight(i.displayHeight);
        }
        i.setStroked(true);
        i.setFilled(false);
        i.setStrokeAlpha(i.fillAlpha());
        i.setStrokecolor(i.fillcolor());
    }
    if (i.stroked()) {
        i.displayWidth = std::max(i.displayWidth, i.strokeweight());
        i.displayHeight = std::max(i.displayHeight, i.strokeweight());
    }
    const double left = kx::finiteOr(i.displayX) - 1.0, top = kx::finiteOr(i.displayY) - 1.0;
    const double width = std::max(kx::finiteOr(i.displayWidth), 0.0) + 2.0;
    const double height = std::max(kx::finiteOr(i.displayHeight), 0.0) + 2.0;

    // Shape ids name one shape in the whole document part.
    const std::string typeID = kx::format("Shape%llu", static_cast<unsigned long long>(
                                                           KXDocxCounters::sharedInstance().nextVMLShapeIndex()));
    const std::string coordOrigin = twips(left) + "," + twips(top), coordSize = twips(width) + "," + twips(height);
    const std::string pathText = VMLPathString(path);
    // The type is a free form (100): a preset number would draw its preset shape (12 is a star)
    // wherever the path is not read from the type.
    writer.writeStartElementWithNamespace(V, "shapetype");
    writer.writeAttribute("id", typeID);
    writer.writeAttribute("coordorigin", coordOrigin);
    writer.writeAttribute("coordsize", coordSize);
    writer.writeAttribute("o:spt", "100");
    writer.writeAttribute("path", pathText);
    writer.writeStartElementWithNamespace(V, "stroke");
    writer.writeAttribute("joinstyle", "miter");
    writer.writeEndElement();
    writer.writeEndElement();

    // The shape carries its own path and coordinate space too: not every reader takes them from
    // the type.
    writer.writeStartElementWithNamespace(V, "shape");
    writer.writeAttribute("id", "WS_" + typeID);
    writer.writeAttribute("type", "#" + typeID);
    writer.writeAttribute("coordorigin", coordOrigin);
    writer.writeAttribute("coordsize", coordSize);
    writer.writeAttribute("path", pathText);
    writer.writeAttribute(
        "style", kx::format("position:absolute;left:0;text-align:left;margin-left:%0.2fpt;margin-top:%0.2fpt;"
                            "width:%0.2fpt;height:%0.2fpt;mso-position-horizontal-relative:page;"
                            "mso-position-vertical-relative:page;z-index:%lld",
                            left, top, width, height, static_cast<long long>(pictZIndex())));
    writer.writeAttribute("filled", i.filled() ? "t" : "f");
    if (i.filled()) writer.writeAttribute("fillcolor", i.fillcolorString().value_or("#000000"));
    writer.writeAttribute("stroked", i.stroked() ? "t" : "f");
    if (i.stroked()) {
        const float weight = std::max(static_cast<float>(kx::finiteOr(i.strokeweight())), 0.01f);
        writer.writeAttribute("strokeweight", kx::format("%0.2fpt", static_cast<double>(weight)));
        writer.writeAttribute("strokecolor", i.strokecolorString().value_or("#000000"));
    }

    writer.writeStartElementWithNamespace(V, "fill");
    if (i.filled()) {
        writer.writeAttribute("type", "solid");
        if (i.fillAlpha() < 1.0f) writer.writeAttribute("opacity", opacity(i.fillAlpha()));
    } else {
        writer.writeAttribute("opacity", "0");
    }
    writer.writeEndElement();
    if (i.stroked()) {
        const std::optional<std::string_view> dash =
            KXDocxDashStyleForDashArray(i.strokeDashPattern(), std::max(i.strokeweight(), 0.01));
        if (i.strokeAlpha() < 1.0f || dash) {
            writer.writeStartElementWithNamespace(V, "stroke");
            if (i.strokeAlpha() < 1.0f) writer.writeAttribute("opacity", opacity(i.strokeAlpha()));
            // VML's dash style names are lower case ("longdash"); readers match them as written.
            if (dash) writer.writeAttribute("dashstyle", kx::asciiLower(*dash));
            writer.writeEndElement();
        }
    }
    // The wrapping belongs to the shape (w:pict takes only VML and Office drawing elements).
    writer.writeStartElementWithNamespace(W10, "wrap");
    writer.writeAttribute("type", "none");
    writer.writeEndElement();
    writer.writeEndElement();  // shape
}
