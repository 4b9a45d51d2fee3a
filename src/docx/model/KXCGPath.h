#pragma once
// One path held as an object: the sub-paths of a painted path are kept as these, so that they can
// be measured and compared one by one. Splitting a path records a sub-path when it is closed or
// when a later move starts the next one; an open last sub-path is not recorded.

#include <memory>
#include <optional>
#include <vector>

#include "platform/Path.h"

class KXCGPath {
public:
    // Holds a copy of the path; no sub-paths yet.
    explicit KXCGPath(const kx::Path& path = kx::Path()) : CGPath_(path) {}

    const kx::Path& CGPath() const { return CGPath_; }
    // Replaces the held path; the sub-paths stay as they are.
    void setCGPath(const kx::Path& path) { CGPath_ = path; }

    // Splits the held path into `subCGPaths` (empty sub-paths are left out).
    void _createSubCGPaths();

    const std::vector<std::shared_ptr<KXCGPath>>& subCGPaths() const { return subCGPaths_; }
    void setSubCGPaths(std::vector<std::shared_ptr<KXCGPath>> paths) { subCGPaths_ = std::move(paths); }
    // The sub-path being collected while splitting.
    const std::optional<kx::Path>& tempCGPath() const { return tempCGPath_; }
    void setTempCGPath(std::optional<kx::Path> path) { tempCGPath_ = std::move(path); }

private:
    kx::Path CGPath_;
    std::vector<std::shared_ptr<KXCGPath>> subCGPaths_;
    std::optional<kx::Path> tempCGPath_;
};

// Calls `f` with each sub-path of `path` (each closed one, or one that a later move ended), built in
// turn in one path; answers the open sub-path at the end, if any. Elements before the first move
// belong to no sub-path.
template <class F>
std::optional<kx::Path> forEachSubPathOf(const kx::Path& path, F&& f) {
    std::optional<kx::Path> open;
    auto keep = [&] {
        if (open) f(*open);
        open.reset();
    };
    for (const kx::PathElement& e : path.elements()) {
        switch (e.type) {
            case kx::PathElementType::MoveToPoint:
                keep();
                open.emplace();
                open->moveTo(e.points[0]);
                break;
            case kx::PathElementType::AddLineToPoint:
            case kx::PathElementType::AddQuadCurveToPoint:
            case kx::PathElementType::AddCurveToPoint:
                if (open) open->addElement(e);
                break;
            case kx::PathElementType::CloseSubpath:
                if (open) {
                    open->closeSubpath();
                    keep();
                }
                break;
        }
    }
    return open;
}
