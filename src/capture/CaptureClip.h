#pragma once
// The clip of the page being captured, as the page capture asks about it: the box of what a
// state's clip lets show, its box without drawing anything, whether a painted path shows through
// it, and the pictures drawn through it (a clipped image, a shading, a pattern-painted path),
// written as PNG files. The capture owns one and begins it with each page.
//
// Measuring a clip draws it into a bitmap of the page, and the text and paths shown under one
// clip are many: each measure keeps the clip it measured last with its answer. The clip paths
// are shared and never change, so the same chain gives the same answer on the same page.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "pdf/state/ClipPathChain.h"
#include "platform/Geometry.h"
#include "platform/Image.h"
#include "platform/Path.h"

class KXPDFRenderState;
class KXPDFShading;

namespace kx {

// A picture the capture drew and wrote: its PNG file, where it stands in display space and its
// size in pixels.
struct CapturedPicture {
    std::string path;
    kx::Rect displayRect;
    int pixelWidth = 0;
    int pixelHeight = 0;
};

class CaptureClip {
public:
    using ClipPaths = kx::ClipPathChain;

    // A new page: its size as shown (the area pictures are drawn over) and the transform from
    // page space into display space; what was measured on the page before goes.
    void beginPage(kx::Size pageSize, const kx::AffineTransform& pageTransform);

    // The bounding box of what the clip lets show of the page, in page space; a null rectangle
    // when it leaves nothing.
    kx::Rect visibleRect(const ClipPaths& paths) const;
    // The box outside of which the clip shows nothing, in display space: the intersection of its
    // paths' boxes (nothing drawn); a null rectangle when the boxes leave nothing.
    kx::Rect displayBounds(const ClipPaths& paths) const;
    // Whether a path (page space) stroked `lineWidth` wide shows through the clip; `clipBound`
    // receives the clip's box in page space.
    bool showsPath(const ClipPaths& paths, const kx::Path& path, double lineWidth, kx::Rect* clipBound) const;

    // The image drawn under `imageTransform` into `imageRect` (display space), cut by the clip and
    // drawn at `dpi`, written as a PNG of that resolution named after `name`; nullopt when the clip
    // leaves the image whole or no picture could be made or written.
    std::optional<CapturedPicture> writeClippedImage(const ClipPaths& paths, const kx::ImageRef& image,
                                                     const kx::AffineTransform& imageTransform,
                                                     const kx::Rect& imageRect, double dpi,
                                                     const std::string& name) const;
    // The shading over the page within the clip, painted under `paintTransform` (the CTM, then the
    // page transform), drawn at `scale` pixels a point and written as a "Shading" PNG of 72 dpi.
    std::optional<CapturedPicture> writeShadingPicture(const ClipPaths& paths, const kx::AffineTransform& paintTransform,
                                                       const KXPDFShading& shading, double scale) const;
    // The path painted with the state's fill and stroke patterns within its clip, the same way,
    // as a "Pattern" PNG.
    std::optional<CapturedPicture> writePatternPicture(const KXPDFRenderState& state,
                                                       const kx::AffineTransform& paintTransform, const kx::Path& path,
                                                       bool stroke, bool fill, double scale) const;

private:
    // The box visibleRect answers when every clip path is a rectangle on the page (they intersect
    // in a rectangle, no bitmap needed): null when they leave nothing; nullopt when a path is of
    // another shape.
    std::optional<kx::Rect> rectangularClipBox(const ClipPaths& paths) const;
    std::optional<CapturedPicture> writePicture(const kx::ImageRef& picture, const kx::Rect& rect, const std::string& name,
                                                double dpi) const;
    std::optional<CapturedPicture> writePicture(const kx::PlacedImage& picture, const kx::Rect& rect,
                                                const std::string& name, double dpi) const;

    kx::Size pageSize_;
    kx::AffineTransform pageTransform_;
    // The clip last measured by visibleRect and its box.
    struct ClipCache {
        ClipPaths paths;
        kx::Rect rect;
    };
    mutable std::optional<ClipCache> clipCache_;
    // The same for displayBounds.
    mutable std::optional<ClipCache> clipBoundsCache_;
    // The clip's box as showsPath measures it (nullopt when no bitmap could be made): drawn once
    // for all the paths painted under the same clip.
    struct PathClipCache {
        ClipPaths paths;
        std::optional<kx::Rect> box;
    };
    mutable std::optional<PathClipCache> pathClipCache_;
};

}  // namespace kx
