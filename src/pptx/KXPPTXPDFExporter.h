#pragma once
// The exporter of the "pptx" output type: every PDF page becomes one slide of the page's size,
// its text in text boxes of paragraphs and runs, its painted paths as freeform shapes, and its
// images, shadings and pattern fills as pictures.
//
// The slide: the page's crop box as the page's rotation shows it, moved to the slide's origin and
// scaled so that its longer side is at most 1583 points and, where that allows, its shorter side
// at least 72 (the smallest slide a presentation may have).
//
// Text: every shown string goes into a text box. A box is opened by a string that is not a lone
// blank, turned as its text is (angles below 5 degrees count as 0, 85 to 95 as 90, 265 to 275 as
// 270, any other angle as it is); strings turned the same way go on in it: on the same line after
// blanks for the gap, on the next line (less than 96 points further across the text, not before
// the box's start) in a new paragraph; anything else opens a new box. A gap on the line becomes as
// many blanks as it holds whole widths of the font's blank (at most 200), and a gap that parts
// two words at least one. Text turned a quarter is measured along and across its own lines; text
// at any other angle along and across the slide.
//
// A turned box is turned about its centre, and placed so that the corner where its text starts
// stays where the first string's top stood.
//
// Paths: each painted path is a freeform shape, up to 1000 of them on a slide with 50,000 path
// elements in all; a slide with more (a page of a million little rectangles would make a slide part
// of gigabytes, which no presentation program opens) has all its paths drawn into one picture of
// the slide instead, in the place of its first freeform, at the job's image resolution. Pictures
// beyond the 500th of a slide are drawn into that picture too.

#include <memory>
#include <optional>

#include "capture/PageCapture.h"
#include "pptx/KXPPTXPropertyRecords.h"

class KXDocxPathCanvas;
class KXPDFRenderState;
class KXPPTXFreeformInfo;
class KXPPTXWriter;
class KXPPTXPage;
namespace kx::detail {
class PPTXCaptureDocument;
}

class KXPPTXPDFExporter : public kx::PageCapture {
public:
    KXPPTXPDFExporter();
    ~KXPPTXPDFExporter() override;

    // The output-type key.
    static bool supportType(const std::string& key) { return key == "pptx"; }

    // The presentation being written (nullptr outside a conversion).
    KXPPTXWriter* pdfWriter() const;
    // Whether the slide in progress has no shape yet.
    bool isContentCurrentEmpty() const;
    // The run properties of text shown with the current state.
    KXPPTX_RunPr currentRProperty() const;

    // The slide's scale for a page of the size shown: 1583 / the longer side above 1583 points;
    // else, for a shorter side below 72 points, 72 / that side (no more than keeps the longer
    // side within 1583); else 1.
    static double slideScale(double width, double height);

    void didScanPath(KXPDFConentParser& parser, const kx::Path& path, bool stroke, bool fill) override;
    void didScanXObjectImage(KXPDFConentParser& parser, const std::shared_ptr<KXPDFXObject>& image) override;
    void didScanPaintShading(KXPDFConentParser& parser, const std::shared_ptr<KXPDFShading>& shading) override;
    void didScanPatternPath(KXPDFConentParser& parser, const kx::Path& path, bool stroke, bool fill) override;

protected:
    kx::CaptureDocument* openDocument(const std::string& destPath, const std::shared_ptr<kx::PDFDocument>& document) override;
    KXPDFPageGeometry pageGeometryOf(const kx::PDFPage& page) const override;
    kx::Size pageSizeOf(const KXPDFPageGeometry& geometry) const override { return geometry.cropBox.size; }
    // All text goes into text boxes.
    kx::TextPlace placeOfText(const KXPDF_CTMInfo&) const override { return kx::TextPlace::TextBox; }
    // 90 above 85 and below 95 degrees, 270 above 265 and below 275, 0 below 5, else the angle.
    double textBoxAngle(double rotation) const override;
    void makeMainTextRun(const std::u16string&, kx::Size, const kx::AffineTransform&, const KXPDF_CTMInfo&) override {}
    void openTextBox(const std::u16string& text, kx::Size offset, const KXPDF_CTMInfo& g, double angle) override;
    kx::TextBoxStep continueTextBox(const std::u16string& text, kx::Size offset, const KXPDF_CTMInfo& g) override;
    void closeTextBox() override;

private:
    KXPPTXPage* currentSlide() const;
    // Where the current string starts in a box at `angle`: in an upright box, on the font's ascent
    // line above where the string's baseline starts (slanted glyphs lean from the baseline); in a box
    // turned any other way, at the string's origin moved up by the ascent in the text's own "up"
    // direction, the corner of the box that its turn keeps in place.
    kx::Point textTop(const kx::AffineTransform& t, double angle) const;
    // Adds the string to the box's last paragraph, `blankWidth` points of blanks in front of it.
    void appendPPTXTextBox(const std::u16string& text, kx::Size offset, double blankWidth);
    // A new paragraph of the box for the string at `top`, `lineSpacing` below the last one.
    void newParagraph(const kx::Point& top, double lineSpacing, double height);
    // A picture of the page: the file placed as `info` says.
    void addPicture(const std::string& file, const struct KXPPTXImageInfo& info);
    // The slide's paths become one picture: the freeforms made so far are drawn into it and leave
    // the slide; false when no picture can be made.
    bool startPathPicture(KXPPTXPage& slide);
    void drawOnPathPicture(const kx::Path& displayPath, const KXPPTXFreeformInfo& info);
    // The picture of the slide's paths, if there is one, takes the place of its first freeform;
    // the next slide starts without.
    void placePathPicture();
    // Whether the slide holds as many pictures as it takes, so that the next goes into the
    // picture of its paths (made when there is none yet).
    bool isCrowdedWithPictures(KXPPTXPage& slide);
    // The picture in a file, read once for the draws of it that follow one another.
    kx::ImageRef pictureOfFile(const std::string& file);

    std::unique_ptr<kx::detail::PPTXCaptureDocument> document_;
    // The open box's anchor (the top of its first character) and direction.
    kx::Point boxAnchor_;
    double boxAngle_ = 0;
    // The freeforms of the slide and the elements of their paths; beyond kMostFreeforms of them or
    // kMostPathElements, the slide's paths are drawn into one picture, which goes where the first
    // freeform was.
    std::size_t freeformsOnSlide_ = 0;
    std::size_t pathElementsOnSlide_ = 0;
    std::unique_ptr<KXDocxPathCanvas> pathPicture_;
    std::size_t pathPictureAt_ = 0;
    // The pictures of the slide; beyond kMostPictures the next are drawn into that picture too.
    std::size_t picturesOnSlide_ = 0;
    std::string lastPictureFile_;
    kx::ImageRef lastPicture_;
};
