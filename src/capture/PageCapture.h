#pragma once
// The page capture: the base of every exporter family that rebuilds pages from the interpreter's
// reports (flow text, DOCX, spreadsheet, presentation). It owns what the families share:
//   - the conversion's lifecycle: the family's document (CaptureDocument) begun, paged, ended or
//     cancelled, and an unusable output reported through failOutput;
//   - the page: its geometry (rotation, boxes, the transform into display space), a fresh state
//     stack and the content interpreter run with the capture as its delegate;
//   - shown text: the display transforms of the text position, the glyph geometry, where the next
//     character is expected (`nextChar...`) and where main text stood last (`mainText...`), the
//     routing of each string to the main text, the open text box or the open text path, the text
//     path itself, the run counter, the style and fill caches and the straightening of tilted
//     lines;
//   - paths, images, shadings and patterns: their display-space path and box and the placement
//     of a picture from its transform; what the clip lets show and the pictures drawn through it
//     are asked of the clip helper it owns (CaptureClip), with the state on top.
// What a family does differently is an override of one of the hooks below; what it makes (runs,
// paragraphs, shapes, pictures of its own model) it makes in those overrides.
//
// Display space: points, origin at the top-left corner of the page as shown, x to the right, y
// downward; the top of anything is its smallest y.
//
// How a family plugs in:
//   class KXFooPDFExporter : public kx::PageCapture {
//       kx::CaptureDocument* openDocument(dest, document) override;       // makes and keeps its writer
//       void makeMainTextRun(text, offset, t, g) override;                // main text becomes its run
//       void openTextBox(...), continueTextBox(...), closeTextBox() override;  // its text boxes
//       void didScanPath(...), didScanXObjectImage(...), ... override;     // its shapes and pictures
//   };
// and the other hooks where its rules differ from the ones given here (placeOfText,
// textBoxAngle, pageGeometryOf, acceptsText, ...). A family whose page needs two passes (the DOCX
// page turned by its text) overrides convertPDFPage with beginPage / interpretPage / endPage.
//
// Everything runs on the conversion's thread, inside the engine's calls, except cancelConvertPDF.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <typeinfo>
#include <vector>

#include "capture/CaptureClip.h"
#include "docx/model/KXDocxTextPathInfo.h"
#include "engine/KXPDFExporter.h"
#include "pdf/interpreter/KXPDF_CTMInfo.h"
#include "pdf/color/KXPDFColor.h"
#include "pdf/page/KXPDFPageGeometry.h"
#include "platform/Geometry.h"
#include "platform/Image.h"
#include "platform/Path.h"

class KXPDFColorSpace;
class KXPDFFont;
class KXPDFRenderState;
class KXPDFRenderStateStack;
class KXPDFShading;
class KXPDFXObject;

namespace kx {

class CaptureDocument;

// Where a shown string goes.
enum class TextPlace { MainText, TextBox, TextPath, Dropped };

// What the open text box made of a string (continueTextBox).
enum class TextBoxStep {
    Kept,             // the box took it
    OpensAnotherBox,  // the box ends and the string opens the next one
    LeavesTheBox,     // the box ends and the string goes back to the main text
};

// A reported path in display space, and its box.
struct DisplayPath {
    kx::Path path;
    kx::Rect box;
};

// Where a picture painted into the unit square under a transform stands in display space.
struct PicturePlacement {
    // The unit square's corners (0,0), (1,0), (1,1), (0,1) under the transform.
    kx::Point vertices[4];
    // From the first corner to the second, and from the second to the third.
    double displayWidth = 0;
    double displayHeight = 0;
    // The unturned box of that size around the middle of the first and third corners.
    kx::Rect displayRect;
    // The direction from the first corner to the second, degrees in [0, 360) (single precision).
    float angle = 0;
    // The transform mirrors (its determinant, in single precision, is above 0 in display space,
    // where y runs downward).
    bool mirrored = false;
};

class PageCapture : public KXPDFExporter {
public:
    PageCapture();
    ~PageCapture() override;

    // ---- The engine's operations ----

    // Makes the family's document (openDocument) and begins it; a document that cannot be made
    // or begun ends the conversion with kOutputWriteFailure.
    void begainConvertPDF(const std::string& destPath, const std::shared_ptr<kx::PDFDocument>& document) override;
    // beginPage with the page's geometry and size, interpretPage, endPage; false once the document
    // failed.
    bool convertPDFPage(const kx::PDFPage& page) override;
    // Ends the document and completes the output; kOutputWriteFailure when it could not be written.
    void endConvertPDF(const std::shared_ptr<kx::PDFDocument>& document) override;
    // The page work stops taking text at once; the engine then cleans up.
    void cancelConvertPDF() override;
    // Cancelled: no work folder and no half-written output stay behind.
    void cleanConvertPDF() override;

    // ---- Shown text ----

    // A shown character code: dropped while cancelled or when acceptsText says so; otherwise to
    // the open text box, else the open text path, else the main text.
    void didScanText(KXPDFConentParser& parser, const std::u16string& text, kx::Size offset) final;

    // The main text: a lone blank or control character before the page's first main-text run is
    // dropped; the string goes where placeOfText says.
    void usingDocxMainText(const std::u16string& text, kx::Size offset);
    // Opens a text box at the string (opensTextBox, openTextBox).
    void newDocxTextBox(const std::u16string& text, kx::Size offset);
    // A string while a box is open: continueTextBox says whether the box takes it.
    void usingDocxTextBox(const std::u16string& text, kx::Size offset);
    // Closes the open box (closeTextBox), if any.
    void endTextBoxWritingIfNeed();
    // Opens a text path at the string: textPathInfoAt, then the string is appended.
    void newDocxTextPath(const std::u16string& text, kx::Size offset);
    // A string while a path is open: appended when continuesTextPath, else the path ends and the
    // string goes back to the main text.
    void usingDocxTextPath(const std::u16string& text, kx::Size offset);
    // Adds the string to the path and advances the next-character position.
    void appendDocxTextPath(const std::u16string& text, kx::Size offset);
    // Hands the open path to closeTextPath, if one is open.
    void endTextPathWritingIfNeed();

    // The display transform of the current text position: the font's glyph orientation (a Type 3
    // font's matrix may mirror or turn its glyphs), text matrix, CTM, page transform. Its origin is
    // the text position; its axes are those of the glyphs as they are drawn.
    kx::AffineTransform currentDisplayTextTransform() const;
    // The display transform of the text position after an advance by the offset (text space).
    kx::AffineTransform nextDisplayTextTransform(kx::Size offset) const;
    // The displayed size of a width in text space at the current position: the horizontal distance
    // the text position moves, and the height of the text. (Measured from the top of the text, as
    // the display rectangle of the advance is, the width of slanted text would lose the slant's
    // offset and could come out near zero, so that a gap would take a hundred blanks.)
    kx::Size convertToDisplaySpaceWidth(double width) const;

    // The page in progress: its geometry (the interpreter carries it too), and its size as shown.
    const KXPDFPageGeometry& pageGeometry() const { return pageGeometry_; }
    kx::Size pageSize() const { return pageSize_; }
    const kx::Rect& currentPageMediaBox() const { return pageGeometry_.mediaBox; }
    const kx::Rect& currentPageCropBox() const { return pageGeometry_.cropBox; }
    const kx::AffineTransform& currentPageTransform() const { return pageGeometry_.pageTransform; }
    std::int64_t currentPageRotationAngle() const { return pageGeometry_.rotationAngle; }
    double mainTextFontSize() const { return mainTextFontSize_; }
    const kx::AffineTransform& mainTextTransform() const { return mainTextTransform_; }
    const KXPDF_CTMInfo& mainTextCTMInfo() const { return mainTextCTMInfo_.get(); }
    double nextCharFontSize() const { return nextCharFontSize_; }
    const kx::AffineTransform& nextCharTransform() const { return nextCharTransform_; }
    const KXPDF_CTMInfo& nextCharCTMInfo() const { return nextCharCTMInfo_.get(); }
    bool isNotScanTextYet() const { return isNotScanTextYet_; }
    bool isUsingTextBox() const { return openText_ == OpenText::Box; }
    bool isUsingTextPath() const { return openText_ == OpenText::Path; }
    // The open box's angle (textBoxAngle of the string that opened it).
    double openTextBoxAngle() const { return openTextBoxAngle_; }
    // The open path's record and text.
    const KXDocxTextPathInfo& cachedTextPathInfo() const { return cachedTextPathInfo_; }
    const std::u16string& cachedTextPathString() const { return cachedTextPathString_; }

    // The run counter: the reading order of what a page's reports make. 0 when a document and
    // when a page begins.
    std::uint64_t scanIndexCounter() const { return scanIndexCounter_; }

    // Where the string reported last stands in the page's content: the interpreter's count of the
    // text objects begun (BT) and of the show operators met when it reported the string.
    struct ShowPlace {
        std::uint64_t begainText = 0;
        std::uint64_t showText = 0;
    };
    const ShowPlace& showPlace() const { return showPlace_; }

protected:
    // ---- Hooks: one line each says what the family gives ----

    // Makes the document writer of a new conversion at `destPath` (for numberOfPagesToConvert()
    // pages), keeps it, and returns it (the capture begins, pages and ends it); nullptr when it
    // cannot be made. Any other set-up of the conversion goes here too.
    virtual CaptureDocument* openDocument(const std::string& destPath, const std::shared_ptr<kx::PDFDocument>& document) = 0;
    // The page's geometry. Given: the page as its /Rotate shows it (KXPDFPageGeometry::ofPage: the
    // rotation, the boxes turned with it, the transform of the shown media box).
    virtual KXPDFPageGeometry pageGeometryOf(const kx::PDFPage& page) const;
    // The size of the page as shown, in points: the size of the family's page, and the area the
    // pictures are drawn over. Given: the shown media box's size.
    virtual kx::Size pageSizeOf(const KXPDFPageGeometry& geometry) const { return geometry.mediaBox.size; }
    // Whether a shown string is looked at at all (visibility, annotations, the family's own
    // blank rule); every string by default.
    virtual bool acceptsText(const std::u16string& /*text*/) const { return true; }
    // Where a string whose glyph geometry is `g` goes. Given: below 5 degrees and from 355 to 360
    // the main text, above 85 and below 95 or above 265 and below 275 a text box, any other angle
    // a text path.
    virtual TextPlace placeOfText(const KXPDF_CTMInfo& g) const;
    // Makes the family's main-text run of a string placed in the main text; `t` is the current
    // display transform and `g` the glyph geometry under it. The family advances the next-character
    // position (advanceNextChar...) and keeps the main-text position (keepMainTextPosition) as its
    // rules say.
    virtual void makeMainTextRun(const std::u16string& text, kx::Size offset, const kx::AffineTransform& t,
                                 const KXPDF_CTMInfo& g) = 0;
    // The angle of a text box for a glyph rotation. Given: 90 above 85 and below 95, 270 above 265
    // and below 275, 0 where placeOfText's main text is, the rotation itself otherwise.
    virtual double textBoxAngle(double rotation) const;
    // Whether the string may open a text box. Given: not a lone blank or control character
    // (one UTF-16 unit below U+0021).
    virtual bool opensTextBox(const std::u16string& text) const;
    // Opens the family's box for the string and takes the string into it. The capture has marked
    // the box open with `angle` (textBoxAngle of g's rotation) before.
    virtual void openTextBox(const std::u16string& text, kx::Size offset, const KXPDF_CTMInfo& g, double angle) = 0;
    // A string while the box is open: the family takes it into the box (Kept) or says where it
    // goes instead; the capture then closes the box, and opens the next one or goes back to the
    // main text (restoring the next-character position from the main text's).
    virtual TextBoxStep continueTextBox(const std::u16string& text, kx::Size offset, const KXPDF_CTMInfo& g) = 0;
    // The open box ends: the family keeps it or drops it. The capture marks it closed after.
    virtual void closeTextBox() = 0;
    // The record of a text path opened at a glyph. Given: its start point (displayX, displayY) at
    // g's top left and g's rotation.
    virtual KXDocxTextPathInfo textPathInfoAt(const KXPDF_CTMInfo& g);
    // Whether a string with geometry `g` goes on along the open path. Given: g's rotation equals
    // that of the next-character geometry, and the line from the path's start to g's top left runs
    // at that angle.
    virtual bool continuesTextPath(const KXPDF_CTMInfo& g) const;
    // The open path ends (cachedTextPathInfo, cachedTextPathString): the family keeps it or drops
    // it (nothing by default). The capture clears it after.
    virtual void closeTextPath() {}

    // ---- Building blocks ----

    // The document made by openDocument (nullptr outside a conversion).
    CaptureDocument* document() const { return document_; }
    // Sets up a page: the geometry and size, the text positions back to their start, a fresh state
    // stack, the style caches emptied, the run counter at 0; then the document begins the page
    // (`again`: a fresh page for the PDF page begun last, read a second time; whether the page's
    // first main text was seen, and whether the page failed, stay as the first reading left them).
    void beginPage(const KXPDFPageGeometry& geometry, kx::Size pageSize, bool again = false);
    // Runs the interpreter over the page (annotations as the job's options say; the page's geometry
    // handed to it), then closes the text box and the text path still open.
    void interpretPage(const kx::PDFPage& page);
    // The document ends the page; the state stack goes.
    void endPage();
    // An image the interpreter could not decode within the pixel budget at any reduction: the
    // page cannot be converted whole, so convertPDFPage answers false for it (the engine reports the
    // page failed, the rest of the page is still written), and it is said on standard error. True
    // for such an image, which the family leaves out.
    bool failsPageForImage(const KXPDFXObject& image);
    // Whether something on the page in progress failed it (failsPageForImage).
    bool hasPageFailed() const { return pageFailed_; }

    // The top of the state stack (nullptr when it is empty).
    const KXPDFRenderState* topState() const;
    const KXPDFFont* currentFont() const;
    double fontSize() const;
    // The size the current font's glyphs stand at, in text space: the state's font size times the
    // font's glyphSize(). The size a family writes its text at, and the height of its glyphs;
    // advances and widths per unit of font size stay at fontSize().
    double shownFontSize() const;
    // The glyph geometry of a string at the display transform `t`, with the size its glyphs stand
    // at and the font's ascent and descent.
    KXPDF_CTMInfo geometry(const kx::AffineTransform& t) const;

    // The next-character position after an advance by `offset` from the current position.
    void advanceNextChar(kx::Size offset);
    // The same from the display transform of the position after the string, at hand already.
    void advanceNextCharTo(const kx::AffineTransform& next);
    // The page's first main-text run is made: the main-text position takes the next-character one.
    void keepMainTextPosition();
    // The next-character position goes back to where the main text stood (a box or a path ends).
    void restoreMainTextPosition();
    // The displayed width of `width` (text space) from the display transform `t` at hand:
    // convertToDisplaySpaceWidth's width without working the transform out again.
    static double displayWidthAt(const kx::AffineTransform& t, double width);
    // Text on a baseline a few degrees off the horizontal is taken as horizontal, but each of its
    // characters starts a little higher or lower than the one before. Over a long line that adds
    // up to more than a page's tolerance for one baseline, and the line would fall apart into
    // pieces read in the wrong order. A run that goes on along the tilted baseline of the run
    // before it therefore takes that run's top and bottom, which keeps the line one line. `t` is
    // the run's display transform and `g` its geometry, whose top and bottom may change.
    void straightenTiltedRun(const kx::AffineTransform& t, KXPDF_CTMInfo& g);
    // The counter's value for the next run; the counter moves on.
    std::uint64_t nextScanIndex() { return scanIndexCounter_++; }

    // The fill colour in RGB, converted again only when the colour or its space changes (a
    // conversion through a profile costs more than the rest of a character's run properties).
    KXPDFRGB fillRGB() const;
    // The family's run properties of the current text state at the display transform `t`, made
    // by `make` once per style and shared by the runs of that style: the text state changes far
    // less often than the characters it shows. A family keeps one record type. The styles of a
    // page are forgotten when the next page begins (fonts are a page's).
    template <class Record, class Make>
    std::shared_ptr<const Record> sharedStyle(const kx::AffineTransform& t, Make&& make) const {
        const StyleKey key = styleKeyAt(t);
        if (std::shared_ptr<const void> found = findStyle(key, typeid(Record)))
            return std::static_pointer_cast<const Record>(found);
        std::shared_ptr<const Record> made = std::make_shared<const Record>(make());
        keepStyle(key, typeid(Record), made);
        return made;
    }

    // ---- Paths and pictures ----

    // The painting's space (after the CTM) to display space: the state's CTM, then the page
    // transform. An image's unit square is drawn under it.
    kx::AffineTransform paintTransform() const;
    // Where a picture drawn under `t` stands.
    static PicturePlacement placementOf(const kx::AffineTransform& t);
    // The bounding box of what the state's clip lets show of the page, in page space (after the
    // CTM); nullopt when the state has no clip. Text under a clip too thin to show is dropped by it.
    std::optional<kx::Rect> visibleClipRect() const;
    // The box outside of which the state's clip shows nothing, in display space: the intersection
    // of its paths' boxes. Nothing is drawn, so it is cheap enough to ask for every glyph; nullopt
    // when the state has no clip, a null rectangle when the boxes leave nothing.
    std::optional<kx::Rect> clipDisplayBounds() const;
    // Whether a path (page space, as reported) stroked `lineWidth` wide shows through the state's
    // clip: always without a clip; `clipBound` receives the clip's box in page space.
    bool isPathInsideClip(const kx::Path& path, double lineWidth, kx::Rect* clipBound = nullptr) const;
    // A reported path in display space and its box (curve extrema, not control points); nullopt
    // when the box is null or infinite. A stroked path whose box is thinner than `hairline` takes
    // the line width in that direction, centred on the line.
    std::optional<DisplayPath> displayPathOf(const kx::Path& path, bool stroke, double lineWidth, double hairline) const;
    // A picture takes the place of the text around it: the open text box or text path closes and
    // the next-character position goes back to the main text's.
    void closeTextForPicture();
    // The image drawn under `imageTransform` into `imageRect` (display space), cut by the state's
    // clip and drawn at `dpi`, written as a PNG of that resolution named after `name` (held in
    // memory instead while a KXPictureStore::Deferral is active); nullopt when there is no clip, the
    // clip leaves the image whole, or no picture could be made or written.
    std::optional<CapturedPicture> writeClippedImage(const kx::ImageRef& image, const kx::AffineTransform& imageTransform,
                                                     const kx::Rect& imageRect, double dpi, const std::string& name) const;
    // The shading (the sh operator) over the page within the clip, drawn at `scale` pixels a
    // point and written as a "Shading" PNG of 72 dpi; nullopt when nothing could be drawn or written.
    std::optional<CapturedPicture> writeShadingPicture(const KXPDFShading& shading, double scale) const;
    // The path painted with the state's fill and stroke patterns within the clip, the same way, as
    // a "Pattern" PNG.
    std::optional<CapturedPicture> writePatternPicture(const kx::Path& path, bool stroke, bool fill, double scale) const;

private:
    // A lone blank or control character: nothing to show at the start of a page or as a box.
    static bool isLoneBlank(const std::u16string& text) { return text.size() == 1 && text[0] < 0x21; }
    // Below 5 degrees, and (rounded) from 355 to 360 degrees: a baseline that rises slightly to the
    // right is as horizontal as one that falls slightly.
    static bool isHorizontal(double angle) { return angle < 5 || (angle >= 355 && angle <= 360); }

    const KXPDFRenderState* findTopState() const;
    // The state stack does not change while a character is placed: its top is looked up once per
    // report instead of at each of the dozen reads of the text state that follow.
    struct TopStateScope {
        explicit TopStateScope(const PageCapture& c);
        ~TopStateScope();
        TopStateScope(const TopStateScope&) = delete;
        TopStateScope& operator=(const TopStateScope&) = delete;
        const PageCapture& capture;
    };
    kx::AffineTransform textMatrix() const;
    kx::AffineTransform ctm() const;
    // The current font's glyphOrientation (the identity without a font).
    kx::AffineTransform glyphOrientation() const;

    // A glyph geometry worked out when first read: the position after each character is recorded
    // for every character but read only when text leaves a text path.
    struct PendingGeometry {
        kx::AffineTransform t;
        double fontSize = 0, ascent = 0, descent = 0;
        mutable std::optional<KXPDF_CTMInfo> info = KXPDF_CTMInfo{};

        const KXPDF_CTMInfo& get() const;
    };
    PendingGeometry pendingGeometry(const kx::AffineTransform& t) const;

    // What run properties depend on (the font by identity: a page's fonts live as long as the
    // page's interpretation, and the styles are forgotten with each page).
    struct StyleKey {
        const KXPDFFont* font;
        double fontSize, a, b, c, d;
        int renderMode;
        KXPDFRGB fill;
        bool operator==(const StyleKey&) const = default;
    };
    StyleKey styleKeyAt(const kx::AffineTransform& t) const;
    std::shared_ptr<const void> findStyle(const StyleKey& key, const std::type_info& type) const;
    void keepStyle(const StyleKey& key, const std::type_info& type, std::shared_ptr<const void> record) const;
    // The top state's clip paths; nullptr when there is no state or it has no clip.
    const CaptureClip::ClipPaths* clipPaths() const;

    CaptureDocument* document_ = nullptr;
    std::shared_ptr<KXPDFRenderStateStack> renderingStateStack_;
    KXPDFPageGeometry pageGeometry_;
    kx::Size pageSize_;
    double mainTextFontSize_ = 0;
    kx::AffineTransform mainTextTransform_;
    PendingGeometry mainTextCTMInfo_{};
    double nextCharFontSize_ = 0;
    kx::AffineTransform nextCharTransform_;
    PendingGeometry nextCharCTMInfo_{};
    bool pageFailed_ = false;
    bool isNotScanTextYet_ = false;
    std::uint64_t scanIndexCounter_ = 0;
    ShowPlace showPlace_;

    enum class OpenText { None, Box, Path };
    OpenText openText_ = OpenText::None;
    double openTextBoxAngle_ = 0;
    KXDocxTextPathInfo cachedTextPathInfo_;
    std::u16string cachedTextPathString_;

    struct StyleEntry {
        StyleKey key{};
        std::shared_ptr<const void> record;
    };
    // The styles made last, the latest first: text goes back and forth between a few styles
    // (roman, italic, bold, a code face), and making a record again costs a look at the font's
    // name for its weight and slant.
    static constexpr size_t kStyleCacheSize = 8;
    mutable std::vector<StyleEntry> styleCache_;
    // What the page's clip lets show, and the pictures drawn through it.
    CaptureClip clip_;
    mutable const std::type_info* styleType_ = nullptr;
    struct FillCache {
        bool valid = false;
        std::shared_ptr<const KXPDFColorSpace> space;  // kept, so that its address stays its own
        KXPDFColor color;
        KXPDFRGB rgb;
    };
    mutable FillCache fillCache_;
    mutable std::optional<const KXPDFRenderState*> heldTopState_;
    struct TiltedLine {
        double theta;        // direction of the baseline in display space, radians
        double top, bottom;  // of the line's first run
        kx::Point last;      // where the line's last run starts
        double height;
    };
    std::optional<TiltedLine> tiltedLine_;
};

}  // namespace kx
