#pragma once
// Path runs made as the exporter makes them: a display-space path, its paint, its frame (the
// path's box, a stroked hairline taking the stroke width across), its points and reading position.

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "docx/model/KXDocxRunPath.h"
#include "docx/model/KXLineUtilites.h"
#include "platform/Path.h"

namespace kx::test {

struct Paint {
    bool fill = false;
    bool stroke = false;
    kx::Color fillColor{0, 0, 0, 1};
    kx::Color strokeColor{0, 0, 0, 1};
    double weight = 1;
    std::vector<double> dash;
    float fillAlpha = 1;
    float strokeAlpha = 1;
};

inline Paint stroked(double weight, kx::Color color = {0, 0, 0, 1}) {
    Paint p;
    p.stroke = true;
    p.weight = weight;
    p.strokeColor = color;
    return p;
}

inline Paint filled(kx::Color color = {0, 0, 0, 1}) {
    Paint p;
    p.fill = true;
    p.fillColor = color;
    return p;
}

inline kx::Path linePath(double x1, double y1, double x2, double y2) {
    kx::Path p;
    p.moveTo({x1, y1});
    p.lineTo({x2, y2});
    return p;
}

inline kx::Path rectPath(double x, double y, double w, double h) {
    kx::Path p;
    p.addRect({x, y, w, h});
    return p;
}

inline std::shared_ptr<KXDocxRunPath> pathRun(const kx::Path& path, const Paint& paint, std::uint64_t scan = 0) {
    auto run = std::make_shared<KXDocxRunPath>();
    run->setPdfScanIndex(scan);
    KXDocxPathInfo info;
    info.setFillAlpha(paint.fillAlpha);
    info.setStrokeAlpha(paint.strokeAlpha);
    info.setStrokecolor(paint.strokeColor);
    info.setFillcolor(paint.fillColor);
    info.setStrokeweight(paint.weight);
    info.setStroked(paint.stroke);
    info.setFilled(paint.fill);
    info.setStrokeDashPattern(paint.dash);
    kx::Rect r = path.pathBoundingBox();
    if (paint.stroke) {
        if (r.size.width < 0.001) {
            r.origin.x -= paint.weight / 2;
            r.size.width = paint.weight;
        } else if (r.size.height < 0.001) {
            r.origin.y -= paint.weight / 2;
            r.size.height = paint.weight;
        }
    }
    info.displayX = r.origin.x;
    info.displayY = r.origin.y;
    info.displayWidth = r.size.width;
    info.displayHeight = r.size.height;
    run->setPictInfo(info);
    run->setRunCGPath(path);
    run->setRunLinePointArray(KXLineUtilites::NSArrayFromCGPath(path));
    return run;
}

// Expects the rectangle to be (x, y, w, h), to rounding.
inline void expectRect(const kx::Rect& r, double x, double y, double w, double h) {
    EXPECT_NEAR(r.origin.x, x, 1e-9);
    EXPECT_NEAR(r.origin.y, y, 1e-9);
    EXPECT_NEAR(r.size.width, w, 1e-9);
    EXPECT_NEAR(r.size.height, h, 1e-9);
}

inline std::vector<std::uint64_t> scanIndexes(const KXDocxRunPathArray& runs) {
    std::vector<std::uint64_t> out;
    for (const auto& r : runs) out.push_back(r->pdfScanIndex());
    return out;
}

}  // namespace kx::test
