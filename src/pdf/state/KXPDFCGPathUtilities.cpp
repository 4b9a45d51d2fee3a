#include "pdf/state/KXPDFCGPathUtilities.h"

std::optional<KXPDFPathElementArray> KXPDFCGPathUtilities::NSArrayWithCGPath(const kx::Path& path) {
    KXPDFPathElementArray array;
    array.elements.reserve(path.elements().size());
    for (const kx::PathElement& e : path.elements()) {
        int type = static_cast<int>(e.type);
        if (type < 0 || type > 4) {
            array.valid = false;
            continue;
        }
        KXPDFPathElement out;
        out.type = type;
        out.points.assign(e.points.begin(), e.points.begin() + e.pointCount());
        array.elements.push_back(std::move(out));
    }
    if (!array.valid) return std::nullopt;
    return array;
}

std::optional<kx::Path> KXPDFCGPathUtilities::CGPathWithNSArray(const KXPDFPathElementArray& array) {
    static constexpr size_t kPointsOfType[5] = {1, 1, 2, 3, 0};
    kx::Path path;
    for (const KXPDFPathElement& e : array.elements) {
        if (e.type < 0 || e.type > 4) return std::nullopt;
        if (e.points.size() < kPointsOfType[e.type]) return std::nullopt;
        const auto& p = e.points;
        switch (e.type) {
            case 0: path.moveTo(p[0]); break;
            case 1: path.lineTo(p[0]); break;
            case 2: path.quadTo(p[0], p[1]); break;
            case 3: path.curveTo(p[0], p[1], p[2]); break;
            case 4: path.closeSubpath(); break;
        }
    }
    return path;
}
