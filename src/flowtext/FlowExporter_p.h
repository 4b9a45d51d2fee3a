#pragma once
// What the three flow-text exporters add to the page capture. An exporter owns one document
// writer; each reported character on a horizontal baseline becomes a text run of the writer's
// current page. Characters on any other baseline (vertical text, text on a slanted or turned
// baseline) are gathered in the page's text-box cache or the capture's text path and then dropped:
// they never reach the output. Only text reaches the output: paths and images are not looked at.

#include <cstdint>
#include <memory>
#include <string>

#include "capture/PageCapture.h"
#include "docx/model/KXDocxPropertyRecords.h"
#include "docx/model/KXDocxTextPathInfo.h"
#include "flowtext/FlowDocument_p.h"
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
    void makeMainTextRun(const std::u16string& text, kx::Size offset, const kx::AffineTransform& t,
                         const KXPDF_CTMInfo& g) final;
    void openTextBox(const std::u16string& text, kx::Size offset, const KXPDF_CTMInfo& g, double angle) final;
    kx::TextBoxStep continueTextBox(const std::u16string& text, kx::Size offset, const KXPDF_CTMInfo& g) final;
    void closeTextBox() final;
    KXDocxTextPathInfo textPathInfoAt(const KXPDF_CTMInfo& g) final;

private:
    KXDocx_RPr makeRProperty(const KXPDFFont& font, const kx::AffineTransform& t) const;

    bool styleFromRendering_;
    std::unique_ptr<FlowDocument> writer_;
};

}  // namespace kx::detail
