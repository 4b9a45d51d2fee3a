#pragma once
// The exporter of the "docx" output type: a family on the shared page capture. It keeps the
// conversion's DOCX options where the page code reads them, makes the package writer, lays each
// page out in display space (its crop box, turned with the page and held to a size Word can show)
// and turns main text into text runs with their Word run properties, painted paths into path
// runs (KXDocxPDFExporter_Paths.cpp), and images, shadings and pattern fills into image runs
// (KXDocxPDFExporter_Images.cpp, _Shadings.cpp, _SoftMasks.cpp). The page is then built and
// written by the writer's page (KXDocxPage).

#include <memory>
#include <optional>
#include <string>

#include "capture/PageCapture.h"
#include "docx/model/KXDocxPropertyRecords.h"
#include "docx/model/KXDocxRunImage.h"
#include "docx/model/KXDocxRunPath.h"
#include "docx/model/KXDocxRunText.h"
#include "docx/page/KXDocxWriter.h"

class KXDocxPDFExporter : public kx::PageCapture {
public:
    // The largest and smallest side of a page in display space: Word shows pages of at most 22
    // inches a side, and a page narrower than 7 points has no room for text.
    static constexpr double kMaxPageSide = 1583;
    static constexpr double kMinPageSide = 7;
    // The font name of runs whose font has none.
    static constexpr const char* kUnknownFontName = "Unknow Font";

    KXDocxPDFExporter() = default;

    // The most pixels the pictures drawn for one page may take together (shadings, patterns,
    // clipped images); beyond them a page's pictures are drawn softer, never below
    // kMinPictureScale pixels a point, and the page says so. At the job's usual 144 dpi this is
    // some thirty pictures the size of the page.
    static constexpr double kMaxPagePicturePixels = 64.0 * 1024 * 1024;
    static constexpr double kMinPictureScale = 0.25;
    // The most path elements the path runs of one page take together. A page keeps its paths until
    // it is done, a picture of them or shapes, at some 75 bytes an element (the run's path and its
    // points), and a stroke of a quarter of a million segments takes over 100 MB more while it is
    // drawn; a content stream of a few hundred kilobytes can paint paths of millions of elements.
    // The heaviest drawings hold a few hundred thousand (a CAD layer of 200,000 lines is 400,000);
    // twice this bound took a crafted page of such layers to 280 MB. A path that would take the
    // page past this is left out, and the page says so.
    static constexpr std::size_t kMostPagePathElements = std::size_t{1} << 20;

    // The page is read once as it is shown; when most of its text then stands in text boxes turned
    // the same way, it is read again turned by that angle, so that its text reads upright.
    bool convertPDFPage(const kx::PDFPage& page) override;

    // The conversion's writer (nullptr outside a conversion).
    KXDocxWriter* pdfWriter() const { return writer_.get(); }

    // The run properties of the current text state at the display transform.
    KXDocx_RPr currentRProperty(const kx::AffineTransform& t) const;
    // The geometry of a page: its crop box as shown (origin held to the page), the transform into
    // it, and the size clamp (see kMaxPageSide).
    static KXPDFPageGeometry docxPageGeometry(const KXPDFPageGeometry& shown);

    // A painted path becomes a path run of the page, unless it cannot be seen, is clipped away, has
    // no extent, or is the page's background (then it takes away the text under it).
    void didScanPath(KXPDFConentParser& parser, const kx::Path& path, bool stroke, bool fill) override;
    // A painted image becomes an image run where it is painted: cut into a new picture by a clip
    // that cuts it, seen through the soft mask the state holds (KXDocxPDFExporter_Images.cpp).
    void didScanXObjectImage(KXPDFConentParser& parser, const std::shared_ptr<KXPDFXObject>& image) override;
    // Shadings and pattern-painted paths become pictures of what the clip lets show
    // (KXDocxPDFExporter_Shadings.cpp).
    void didScanPaintShading(KXPDFConentParser& parser, const std::shared_ptr<KXPDFShading>& shading) override;
    void didScanPatternPath(KXPDFConentParser& parser, const kx::Path& path, bool stroke, bool fill) override;

    // Soft masks (KXDocxPDFExporter_SoftMasks.cpp). The path seen through the mask's picture, over
    // the part where the two overlap; with `applyRunImage` the mask's record takes that part as its
    // frame. The image seen through the mask's picture, its record upright over the frame it is
    // shown in. Each answers the new PNG, or nothing when nothing could be drawn or written (the
    // runs then keep what they had).
    static std::optional<std::string> RunPath(const KXDocxRunPath& path, KXDocxRunImage* mask,
                                              const kx::AffineTransform& transform, bool applyRunImage);
    static std::optional<std::string> RunImage(KXDocxRunImage& image, const KXDocxRunImage& mask,
                                               const kx::AffineTransform& transform);
    // The page holds nothing painted yet but main text.
    bool isContentCurrentEmpty() const;
    // The main text and paths that lie wholly inside the rectangle leave the page.
    void removeObjectsHidenBehindInRect(const kx::Rect& rect);
    // Whether the annotation is one that lies under the text (a highlight or a form field).
    bool isUnderTextAnnotForPDFAnnotionIndex(KXPDFConentParser& parser, std::int64_t index) const;

protected:
    kx::CaptureDocument* openDocument(const std::string& destPath, const std::shared_ptr<kx::PDFDocument>& document) override;
    KXPDFPageGeometry pageGeometryOf(const kx::PDFPage& page) const override;
    kx::Size pageSizeOf(const KXPDFPageGeometry& geometry) const override { return geometry.cropBox.size; }
    bool acceptsText(const std::u16string& text) const override;
    void makeMainTextRun(const std::u16string& text, kx::Size offset, const kx::AffineTransform& t,
                         const KXPDF_CTMInfo& g) override;
    // Turned and mirrored text (KXDocxPDFExporter_TextBoxes.cpp): text turned by about a right
    // angle or upside down gathers in a floating text box, text at any other angle or mirrored in a
    // text path; each becomes a page object when it closes.
    kx::TextPlace placeOfText(const KXPDF_CTMInfo& g) const override;
    double textBoxAngle(double rotation) const override;
    // A lone control character opens no box; a lone blank does.
    bool opensTextBox(const std::u16string& text) const override;
    void openTextBox(const std::u16string& text, kx::Size offset, const KXPDF_CTMInfo& g, double angle) override;
    kx::TextBoxStep continueTextBox(const std::u16string& text, kx::Size offset, const KXPDF_CTMInfo& g) override;
    void closeTextBox() override;
    KXDocxTextPathInfo textPathInfoAt(const KXPDF_CTMInfo& g) override;
    bool continuesTextPath(const KXPDF_CTMInfo& g) const override;
    void closeTextPath() override;

public:
    // A free-text annotation becomes a floating text box of its own at its place on the page.
    void didScanTextBox(KXPDFConentParser& parser, const kx::Rect& rect, const std::u16string& text,
                        const std::string& fontName, const KXPDFColor& fontColor, double fontSize, std::int64_t alignment,
                        bool borderStroke, bool borderFill) override;

private:
    // One reading of the page into a fresh page of the writer that takes the page's geometry
    // (`again`: the second reading, turned, of the page read last).
    void reDoContentPDFParser(const kx::PDFPage& page, const KXPDFPageGeometry& geometry, bool again);
    // A path painted under a soft mask cuts the picture the mask made; false when there is none to
    // cut, and the path is then shown as painted.
    bool cutSoftMaskPictureWithPath(const KXDocxRunPath& run);
    // An image painted under a soft mask takes the mask's picture, which leaves the page; false
    // when there is none or nothing could be made.
    bool maskImageWithSoftMask(KXDocxRunImage& run, const kx::AffineTransform& transform);
    // The page's last image run when the mask's group painted it; null otherwise.
    std::shared_ptr<KXDocxRunImage> softMaskImageRun() const;
    // A picture the capture drew becomes an image run where it was drawn.
    void addDrawnPicture(const kx::CapturedPicture& picture);
    // Past kx::kRunsBeforeExtending main-text runs on the page, text at `g` (its run geometry),
    // its baseline running along `direction`, in `style` that goes on where the page's last run
    // ends (kx::continuesRun) joins that run, provided that run is the newest object of the page
    // and of the same annotation; returns whether it did.
    bool extendLastTextRun(KXDocxPage& page, const std::u16string& text, const KXPDF_CTMInfo& g,
                           kx::Point direction, const KXDocx_RPr* style, double spaceWidth);
    // A text run at the next reading place, with the annotation of the state on top and the places
    // of the text object and show operator its string comes from (showPlace).
    std::shared_ptr<KXDocxRunText> newTextRun();
    // An image run of the picture file the package holds as `id`, placed by `info`; it takes the
    // state's soft-mask group and annotation, the next reading and stacking places and the current
    // run properties.
    std::shared_ptr<KXDocxRunImage> newImageRun(const KXPDFRenderState& state, std::string id,
                                                const std::string& file, const KXDocxImageInfo& info);
    // The job's image resolution held between 72 and 600.
    static int pictureDPI();
    // The scale (pixels a point) at which a picture of `area` (display space) is drawn: `scale`,
    // lowered once the page's pictures have used kMaxPagePicturePixels.
    double pictureScale(const kx::Rect& area, double scale);
    // What the state's clip leaves of the page, in display space (the page without a clip).
    kx::Rect visibleDisplayArea() const;
    std::shared_ptr<const KXDocx_RPr> sharedRProperty(const kx::AffineTransform& t) const;
    // Adds the string to the open text box's last paragraph and moves the box on with it; `gap` is
    // the room left before the string on its line (nothing when it is not above 0).
    void appendDocxTextBox(const std::u16string& text, kx::Size offset, const KXPDF_CTMInfo& g, double gap = 0);
    // The current text is drawn mirrored.
    bool isMirroredText() const;
    // The displayed width of one blank of the current font along the baseline.
    double textBoxSpaceWidth() const;

    std::unique_ptr<KXDocxWriter> writer_;
    // The pixels the pictures of the page in progress took so far (each reading of a page starts
    // at 0).
    double pagePicturePixels_ = 0;
    // The path elements the page in progress took so far (likewise).
    std::size_t pagePathElements_ = 0;
};
