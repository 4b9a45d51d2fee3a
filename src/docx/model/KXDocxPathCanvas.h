#pragma once
// A picture that painted paths are drawn into one after another: a bitmap over a part of the page
// (display space: points, origin at the top left, y downward) at a resolution, written as a PNG
// picture once everything is drawn. A group of a DOCX page's path runs becomes such a picture
// (KXDocxRunPath::CreateImageFromRunPaths), and so do the paths and pictures of a slide beyond what
// a presentation reader loads as shapes, drawn as they are reported, without being kept.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "docx/model/KXDocxPathInfo.h"
#include "pdf/state/ClipPathChain.h"
#include "pdf/state/KXPDFClipPath.h"
#include "platform/Geometry.h"
#include "platform/Image.h"
#include "platform/Path.h"

namespace kx {
class BitmapContext;
}

class KXDocxPathCanvas {
public:
    // The most pixels one picture of paths is drawn with; a larger one is drawn at a lower
    // resolution (the drawing is still shown, a little softer, and a page of large drawings cannot
    // exhaust memory).
    static constexpr double kMaxPicturePixels = 24.0 * 1024 * 1024;

    // The pixels per point for drawing `area` at `imageDPI`: imageDPI / 72 (1 for no resolution),
    // less where the area would take more than kMaxPicturePixels.
    static double scaleFor(const kx::Rect& area, int imageDPI);
    // A canvas of the pixel rectangle `crop` of the page scaled by `scale` (pixels per point);
    // nullptr, with "Context Size Zero!" or "Context not created!" on standard error, when none can
    // be made.
    static std::unique_ptr<KXDocxPathCanvas> create(const kx::Rect& crop, double scale);
    // A canvas over the whole of `area`, whole pixels from its corner, at `imageDPI` (within the
    // pixel budget).
    static std::unique_ptr<KXDocxPathCanvas> createOver(const kx::Rect& area, int imageDPI);

    ~KXDocxPathCanvas();
    KXDocxPathCanvas(const KXDocxPathCanvas&) = delete;
    KXDocxPathCanvas& operator=(const KXDocxPathCanvas&) = delete;

    // Draws a path (display space) with its paint: filled, then stroked (round caps and joins, its
    // dash kept), each only when painted and not wholly transparent. With clip paths, only what
    // they let show: they are in page space and `pageTransform` takes them to display space. False
    // when neither is painted: a fill or stroke, or a clip, past the bitmap's budget of edge rows
    // (kx::BitmapContext::edgeRowBudget) is left out; a path past it is drawn simplified to the
    // pixels first (see kx::BitmapContext::addPath).
    static bool drawPath(kx::BitmapContext& context, const kx::Path& path, const KXDocxPathInfo& info,
                         const kx::ClipPathChain* clips,
                         const kx::AffineTransform& pageTransform);
    // Draws on this canvas: false when the path is not drawn (empty, or past the budget). Paints one
    // after another under the same clip paths (the same chain, or chains of the same paths) share
    // one clip, made once while they follow each other.
    bool drawPath(const kx::Path& path, const KXDocxPathInfo& info,
                  const kx::ClipPathChain* clips = nullptr,
                  const kx::AffineTransform& pageTransform = kx::AffineTransform::identity());
    // Draws a picture painted into the unit square under `imageTransform` (display space), at the
    // opacity given, within the clip paths when given.
    void drawImage(const kx::Image& image, const kx::AffineTransform& imageTransform, double opacity,
                   const kx::ClipPathChain* clips = nullptr,
                   const kx::AffineTransform& pageTransform = kx::AffineTransform::identity());
    kx::BitmapContext& context() { return *context_; }

    // The picture written as a PNG file named after "ShapesImage" in the temporary folder (held in
    // memory instead while a KXPictureStore::Deferral is active), with its resolution; its path, or
    // none when it could not be written. The canvas is done with afterwards.
    std::optional<std::string> writePicture();

    int pixelWidth() const;
    int pixelHeight() const;
    // Pixels per point.
    double scale() const { return scale_; }

private:
    KXDocxPathCanvas(std::unique_ptr<kx::BitmapContext> context, double scale);
    // Puts the context under `clips` (none for null or empty), keeping the clip in force when it is
    // the same as the last one.
    void holdClips(const kx::ClipPathChain* clips, const kx::AffineTransform& pageTransform);

    std::unique_ptr<kx::BitmapContext> context_;
    double scale_;
    // The clip paths the context is under (in a state saved for them), and their transform.
    std::optional<kx::ClipPathChain> heldClips_;
    kx::AffineTransform heldTransform_ = kx::AffineTransform::identity();
};
