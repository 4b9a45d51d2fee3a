#pragma once
// The base of every exporter. The engine drives an exporter through five operations: begin, convert
// page, end, cancel and clean; it sets the options, the destination and the page position through
// the properties. The base does nothing and converts no page; each format overrides what it needs.
//
// Calling order: the properties, then begainConvertPDF once; per page setPageIndex then
// convertPDFPage; then endConvertPDF once, or cleanConvertPDF once when the conversion was
// cancelled. Everything runs on the conversion's worker thread except cancelConvertPDF, which comes
// from the caller's thread at any time and must only raise a flag that the page work polls.
//
// The class operations below are the rasterising steps that every exporter shares.

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/KXPDFExporterDelegate.h"
#include "engine/KXPDFOptions.h"
#include "pdf/interpreter/KXPDFConentParserDelegate.h"
#include "pdf/page/KXPDFPageGeometry.h"
#include "platform/Geometry.h"
#include "platform/Image.h"
#include "platform/KXError.h"
#include "platform/Path.h"

class KXPDFClipPath;
class KXPDFPattern;
class KXPDFShading;

namespace kx {
class PDFDocument;
class PDFPage;
}  // namespace kx

class KXPDFExporter : public KXPDFConentParserDelegate {
public:
    KXPDFExporter() = default;
    virtual ~KXPDFExporter();
    KXPDFExporter(const KXPDFExporter&) = delete;
    KXPDFExporter& operator=(const KXPDFExporter&) = delete;

    // A new plain exporter; no field is copied.
    virtual std::unique_ptr<KXPDFExporter> copy() const;

    virtual void begainConvertPDF(const std::string& destPath, const std::shared_ptr<kx::PDFDocument>& document);
    // True when the page was converted.
    virtual bool convertPDFPage(const kx::PDFPage& page);
    virtual void endConvertPDF(const std::shared_ptr<kx::PDFDocument>& document);
    virtual void cancelConvertPDF();
    virtual void cleanConvertPDF();

    // Options of the conversion; never null once the engine has set them.
    const std::shared_ptr<const KXPDFOptions>& moreOptions() const { return moreOptions_; }
    void setMoreOptions(std::shared_ptr<const KXPDFOptions> options) { moreOptions_ = std::move(options); }
    // Output type key.
    const std::string& destDocType() const { return destDocType_; }
    void setDestDocType(std::string type) { destDocType_ = std::move(type); }
    // Cancel request seen by the exporter.
    bool isShouldCancel() const { return isShouldCancel_.load(); }
    void setIsShouldCancel(bool v) { isShouldCancel_.store(v); }
    // 0-based output position of the page being converted.
    std::uint64_t pageIndex() const { return pageIndex_; }
    void setPageIndex(std::uint64_t v) { pageIndex_ = v; }
    // 0-based position of the page being converted in the engine's page list: unlike pageIndex(),
    // it counts the pages that failed before it (files named after it keep their number).
    std::uint64_t requestIndex() const { return requestIndex_; }
    void setRequestIndex(std::uint64_t v) { requestIndex_ = v; }
    // Number of entries in the engine's page list.
    std::uint64_t numberOfPagesToConvert() const { return numberOfPagesToConvert_; }
    void setNumberOfPagesToConvert(std::uint64_t v) { numberOfPagesToConvert_ = v; }
    // Destination file, or destination folder for page images.
    const std::string& destDocPath() const { return destDocPath_; }
    void setDestDocPath(std::string path) { destDocPath_ = std::move(path); }
    KXPDFExporterDelegate* delegate() const { return delegate_; }
    void setDelegate(KXPDFExporterDelegate* delegate) { delegate_ = delegate; }
    // An error that makes the output unusable (the destination cannot be created or written). The
    // engine looks at it after begainConvertPDF, after each page and after endConvertPDF: once set,
    // no further page is converted, the exporter is cleaned up (unless the document was already
    // ended) and the conversion ends with this error.
    const std::optional<KXError>& exportError() const { return exportError_; }
    void setExportError(std::optional<KXError> error) { exportError_ = std::move(error); }

    // The reason an exporter gives when its output file cannot be created or written.
    static constexpr const char* kOutputWriteFailure = "Can't write the output file.";

    // ---- Rasterising operations shared by the exporters ----

    // The transform that maps `from` onto `to`.
    static kx::AffineTransform CGAffineTransformFromRect(const kx::Rect& from, const kx::Rect& to);
    // The whole page (its crop box, turned by its rotation) drawn at `dpi` (dots per inch across and
    // down) on white; nullptr when the bitmap would be empty or too large ("Context not created!").
    static kx::ImageRef CapturePDFPage(const kx::PDFPage& page, kx::Size dpi);
    // The same with the page's geometry made already (its crop box in PDF space and its rotation).
    static kx::ImageRef CapturePDFPage(const kx::PDFPage& page, const KXPDFPageGeometry& geometry, kx::Size dpi);
    // Writes the image as a temporary PNG at 72 dpi; its path, or nullopt when there is no image or
    // the write failed.
    static std::optional<std::string> SaveTempCGImage(const kx::ImageRef& image);

    // Rasterising through the clip (KXPDFExporter_Rasterising.cpp). `size` is the crop box's size
    // in points; `scaleTransform` maps display space (points, y down) to bitmap pixels;
    // `pageTransform` maps page space to display space; the clip paths are in page space. A bitmap
    // with a side below one pixel writes "Context Size Zero!", one that cannot be made "Context not
    // created!", and the operation answers nothing. `clipRect` receives the clip's bounding box in
    // display space, and the picture is cut to it. Only the part of the page that the clip leaves
    // is allocated, and a picture of more than 32 Mi pixels is drawn at a scale lowered to fit.
    static kx::ImageRef DrawShadingInContextSize(kx::Size size, const kx::AffineTransform& transform,
                                                 const kx::AffineTransform& scaleTransform,
                                                 const kx::AffineTransform& pageTransform,
                                                 const std::vector<std::shared_ptr<const KXPDFClipPath>>& clipBezierPaths,
                                                 kx::Rect* clipRect, const KXPDFShading* shading);
    // The path (display space through `pageTransform`) filled with the fill pattern and/or stroked
    // with the stroke pattern, within the clip; nothing when no pattern is there to paint.
    static kx::ImageRef DrawPatternInContextSize(kx::Size size, const kx::AffineTransform& transform,
                                                 const kx::AffineTransform& scaleTransform,
                                                 const kx::AffineTransform& pageTransform,
                                                 const std::vector<std::shared_ptr<const KXPDFClipPath>>& clipBezierPaths,
                                                 kx::Rect* clipRect, const kx::Path& cgPath,
                                                 const KXPDFPattern* fillPattern, const KXPDFPattern* strokePattern,
                                                 bool stroke, bool fill, bool isText);
    // The picture (drawn into the unit square under `imageTransform`) cut by the clip; nothing when
    // the clip does not cut `imageRect` or there is no picture, and the caller keeps its own.
    static kx::ImageRef ClipImageInContextSize(kx::Size size, const kx::ImageRef& imageRef,
                                               const kx::AffineTransform& scaleTransform,
                                               const kx::AffineTransform& pageTransform,
                                               const kx::AffineTransform& imageTransform, kx::Rect imageRect,
                                               const std::vector<std::shared_ptr<const KXPDFClipPath>>& clipBezierPaths,
                                               kx::Rect* clipRect);
    // The same picture held as its painted part (a clipped picture is mostly transparent).
    static kx::PlacedImage ClipPlacedImageInContextSize(
        kx::Size size, const kx::ImageRef& imageRef, const kx::AffineTransform& scaleTransform,
        const kx::AffineTransform& pageTransform, const kx::AffineTransform& imageTransform, kx::Rect imageRect,
        const std::vector<std::shared_ptr<const KXPDFClipPath>>& clipBezierPaths, kx::Rect* clipRect);
    // The same with the identity as scale transform.
    static kx::ImageRef ClipImageInContextSize(kx::Size size, const kx::ImageRef& imageRef,
                                               const kx::AffineTransform& pageTransform,
                                               const kx::AffineTransform& imageTransform, kx::Rect imageRect,
                                               const std::vector<std::shared_ptr<const KXPDFClipPath>>& clipBezierPaths,
                                               kx::Rect* clipRect);
    // The bounding box of the clip in the space that `transform` maps into the bitmap (page space
    // for the page transform); the null rectangle when the size is unusable or nothing is visible.
    static kx::Rect ClipRectInContextSize(kx::Size size, const kx::AffineTransform& transform,
                                          const std::vector<std::shared_ptr<const KXPDFClipPath>>& clipBezierPaths);
    // The path when its box (widened to the line width where thinner) meets the clip, else
    // nothing; `clipBound` receives the clip's bounding box in the path's space.
    static std::optional<kx::Path> ClipPathInContextSize(kx::Size size, const kx::Path& cgPath, double lineWidth,
                                                         const kx::AffineTransform& transform,
                                                         const std::vector<std::shared_ptr<const KXPDFClipPath>>& clipBezierPaths,
                                                         kx::Rect* clipBound);
    // The two steps of ClipPathInContextSize, for a caller that tries many paths under one clip:
    // the clip's box (drawn into a bitmap; nullopt when no bitmap can be made, the null rectangle
    // when nothing is visible), and whether the path's box, widened to the line width where
    // thinner, meets that box.
    static std::optional<kx::Rect> ClipBoxInContextSize(kx::Size size, const kx::AffineTransform& transform,
                                                        const std::vector<std::shared_ptr<const KXPDFClipPath>>& clipBezierPaths);
    static bool PathBoxMeetsClipBox(const kx::Path& cgPath, double lineWidth, const kx::Rect& clipBox);

protected:
    // Sets the export error to the reason, in the engine's error domain with the code of an
    // unknown conversion error (KXDocuvaneErrorUnknown): how an exporter says that its output is
    // unusable.
    void failOutput(const std::string& reason);

private:
    std::shared_ptr<const KXPDFOptions> moreOptions_;
    std::string destDocType_;
    std::atomic<bool> isShouldCancel_{false};
    std::uint64_t pageIndex_ = 0;
    std::uint64_t requestIndex_ = 0;
    std::uint64_t numberOfPagesToConvert_ = 0;
    std::string destDocPath_;
    KXPDFExporterDelegate* delegate_ = nullptr;
    std::optional<KXError> exportError_;
};
