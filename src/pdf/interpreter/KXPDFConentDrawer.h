#pragma once
// A content interpreter that draws the images of a content stream into a bitmap instead of
// reporting them; text and shadings are not drawn, and paths only in a tiling pattern's cell.

#include <memory>

#include "pdf/interpreter/KXPDFConentParser.h"
#include "platform/BitmapContext.h"

class KXPDFConentDrawer : public KXPDFConentParser, public KXPDFConentParserDelegate {
public:
    KXPDFConentDrawer();
    // An interpreter of the stream with a transparent bitmap of the box's size (one pixel a unit,
    // or `pixelsPerUnit`).
    KXPDFConentDrawer(kx::PDFObject contentDict, kx::PDFContentStream contentStream, const kx::Rect& mediaBox,
                      double pixelsPerUnit = 1.0);

    // The bitmap's current contents; null without a bitmap.
    kx::ImageRef CGImage() const;
    // The images of a content stream (with the stream's own /Resources) drawn into a bitmap of the box's size at `pixelsPerUnit`; null for what is not a stream or
    // when no bitmap can be made. Tiling patterns render their cells with it.
    static kx::ImageRef drawContentStream(const kx::PDFObject& stream, const kx::Rect& box, double pixelsPerUnit);
    // The same with the painted paths too: a tiling pattern's cell. A hatched or dotted fill is a
    // cell of nothing but stroked lines or filled dots; drawn with its images alone, such a cell is
    // wholly clear and the fill is lost from every page that uses it.
    static kx::ImageRef drawPatternCell(const kx::PDFObject& stream, const kx::Rect& box, double pixelsPerUnit);
    kx::BitmapContext* bitmapContext() const { return bitmapContext_.get(); }

    void didScanText(KXPDFConentParser&, const std::u16string&, kx::Size) override {}
    // When paths are drawn: fills and strokes the path (reported after the CTM, in the bitmap's
    // user space) in the state's colours and alphas.
    void didScanPath(KXPDFConentParser& parser, const kx::Path& path, bool stroke, bool fill) override;
    void didScanPatternPath(KXPDFConentParser&, const kx::Path&, bool, bool) override {}
    void didScanPaintShading(KXPDFConentParser&, const std::shared_ptr<KXPDFShading>&) override {}
    // Draws the image upright in the box of its size around the centre of where the CTM puts it.
    void didScanXObjectImage(KXPDFConentParser& parser, const std::shared_ptr<KXPDFXObject>& image) override;

private:
    static kx::ImageRef draw(const kx::PDFObject& stream, const kx::Rect& box, double pixelsPerUnit, bool paths);

    std::unique_ptr<kx::BitmapContext> bitmapContext_;
    bool drawsPaths_ = false;
};
