#pragma once
// What the three flow-text exporters add to the page capture. An exporter owns one document
// writer; each reported character becomes a text run of the writer's current page: one on an
// upright baseline in the page's upright runs, any other (turned text, text on a slant, vertical
// writing) in its turned runs, with its geometry in the frame of its baseline, so that the page
// reads each frame's lines as it reads upright ones. A glyph wholly outside the clip or the page's
// media box is not seen and makes no run. Only text reaches the output: paths and images are not looked at.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "capture/PageCapture.h"
#include "docx/model/KXDocxPropertyRecords.h"
#include "docx/model/KXDocxTextPathInfo.h"
#include "flowtext/FlowDocument.h"
#include "pdf/interpreter/KXPDF_CTMInfo.h"
#include "platform/Geometry.h"

class KXPDFFont;

namespace kx::detail {

class FlowExporter : public kx::PageCapture {
public:
    // `styleFromRendering`: HTML and RTF also take bold from the fill-and-stroke text render modes
    // and italic from a slanted text transform; plain text takes both from the font only.
    explicit FlowExporter(bool styleFromRendering);

    // Only text reaches the output: images need not be decoded.
    bool usesImagePixels() const override { return false; }

    // The run properties of the current text state.
    KXDocx_RPr currentRProperty() const;
    // The same at the display transform `t`, shared by the runs of one style.
    std::shared_ptr<const KXDocx_RPr> sharedRProperty(const kx::AffineTransform& t) const;

    // Appends the string to the last paragraph of the page's text-box cache: to its last run when
    // the run properties are equal, else as a new run.
    void appendDocxTextBox(const std::u16string& text, kx::Size offset);

protected:
    // The family's document writer for a conversion at `destPath` of `numOfPages` pages.
    virtual std::unique_ptr<FlowDocument> makeDocument(const std::string& destPath, std::int64_t numOfPages) = 0;
    // The document writer of the conversion in progress (made by makeDocument).
    FlowDocument* flowDocument() const { return writer_.get(); }

    kx::CaptureDocument* openDocument(const std::string& destPath, const std::shared_ptr<kx::PDFDocument>&) final;
    // Every string is text of the page, whatever its angle: none opens a text box or a text path.
    kx::TextPlace placeOfText(const KXPDF_CTMInfo& g) const final;
    void makeMainTextRun(const std::u16string& text, kx::Size offset, const kx::AffineTransform& t,
                         const KXPDF_CTMInfo& g) final;
    void openTextBox(const std::u16string& text, kx::Size offset, const KXPDF_CTMInfo& g, double angle) final;
    kx::TextBoxStep continueTextBox(const std::u16string& text, kx::Size offset, const KXPDF_CTMInfo& g) final;
    void closeTextBox() final;
    KXDocxTextPathInfo textPathInfoAt(const KXPDF_CTMInfo& g) final;

private:
    // The run of an upright string at the display transform `t`, with the geometry `g`; it may
    // extend `previous`, the run made or extended for the string shown before (FlowPage::extendLastRun).
    void makeUprightRun(const std::u16string& text, const kx::AffineTransform& t, const KXPDF_CTMInfo& g,
                        FlowRunText* previous);
    // Whether a glyph's display-space box lies wholly outside the clip's bounds (clipDisplayBounds).
    static bool isOutsideClip(const kx::Rect& box, const kx::Rect& clip);
    KXDocx_RPr makeRProperty(const KXPDFFont& font, const kx::AffineTransform& t) const;

    bool styleFromRendering_;
    std::unique_ptr<FlowDocument> writer_;
    // The run that the string shown last made or extended; null after a string that made none.
    FlowRunText* lastRun_ = nullptr;
};

}  // namespace kx::detail
