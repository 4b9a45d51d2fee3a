#pragma once
// A family made for the capture's tests: its document and its hooks write what they are handed
// into one log ("main x#0 | box 270 u | ..."), so a test reads off what the capture routed where.

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "capture/CaptureDocument.h"
#include "capture/PageCapture.h"
#include "engine/KXPDFOptions.h"
#include "platform/FileSystem.h"
#include "platform/Format.h"
#include "platform/Unicode.h"
#include "platform/pdf/PDFDocument.h"
#include "support/PDFBuilder.h"
#include "support/TestSupport.h"

namespace capturetest {

using Log = std::vector<std::string>;

inline std::string joined(const Log& log) {
    std::string out;
    for (const std::string& s : log) out += (out.empty() ? "" : " | ") + s;
    return out;
}

struct DocumentScript {
    bool failAtBegin = false;
    bool failAtEnd = false;
};

class LogDocument : public kx::CaptureDocument {
public:
    LogDocument(const std::string& path, std::int64_t pages, Log& log, DocumentScript script)
        : CaptureDocument(path, pages), log_(log), script_(script) {}

    void begainWriteDocument() override {
        setBegainDocxOptions();
        if (script_.failAtBegin) setFailed();
    }
    bool packetZipFileIfNeed() override {
        finish(!hasFailed() && !script_.failAtEnd);
        return !hasFailed();
    }
    // Open for the document tests.
    using CaptureDocument::finish;
    using CaptureDocument::setFailed;
    int writersClosed = 0;

protected:
    void startPage(kx::Size size, std::int64_t index, bool last) override {
        log_.push_back(kx::format("page %lld %gx%g%s", static_cast<long long>(index), size.width, size.height,
                                  last ? " last" : ""));
    }
    void finishPage(std::int64_t index) override { log_.push_back(kx::format("end page %lld", static_cast<long long>(index))); }
    void closeWriters() override { ++writersClosed; }

private:
    Log& log_;
    DocumentScript script_;
};

// Main text and text boxes follow the flow-text rules: a box takes text turned its own way.
class LogCapture : public kx::PageCapture {
public:
    Log log;
    DocumentScript script;
    bool noDocument = false;
    // Replaces placeOfText when set.
    std::function<kx::TextPlace(const KXPDF_CTMInfo&)> place;
    // Called for every image the interpreter reports.
    std::function<void(LogCapture&)> onImage;

    bool usesImagePixels() const override { return false; }

    using PageCapture::closeTextForPicture;
    using PageCapture::displayPathOf;
    using PageCapture::isPathInsideClip;
    using PageCapture::paintTransform;
    using PageCapture::placementOf;
    using PageCapture::topState;
    using PageCapture::visibleClipRect;
    using PageCapture::writeClippedImage;
    using PageCapture::writePatternPicture;
    using PageCapture::writeShadingPicture;

    void didScanXObjectImage(KXPDFConentParser&, const std::shared_ptr<KXPDFXObject>&) override {
        if (onImage) onImage(*this);
    }
    void didScanPaintShading(KXPDFConentParser&, const std::shared_ptr<KXPDFShading>& shading) override {
        if (shading && onShading) onShading(*this, *shading);
    }
    void didScanPatternPath(KXPDFConentParser&, const kx::Path& path, bool stroke, bool fill) override {
        if (onPattern) onPattern(*this, path, stroke, fill);
    }
    void didScanPath(KXPDFConentParser&, const kx::Path& path, bool stroke, bool fill) override {
        if (onPath) onPath(*this, path, stroke, fill);
    }
    std::function<void(LogCapture&, const KXPDFShading&)> onShading;
    std::function<void(LogCapture&, const kx::Path&, bool, bool)> onPattern;
    std::function<void(LogCapture&, const kx::Path&, bool, bool)> onPath;

protected:
    kx::CaptureDocument* openDocument(const std::string& dest, const std::shared_ptr<kx::PDFDocument>&) override {
        document_.reset();
        if (noDocument) return nullptr;
        document_ = std::make_unique<LogDocument>(dest, static_cast<std::int64_t>(numberOfPagesToConvert()), log, script);
        return document_.get();
    }
    kx::TextPlace placeOfText(const KXPDF_CTMInfo& g) const override { return place ? place(g) : PageCapture::placeOfText(g); }
    void makeMainTextRun(const std::u16string& text, kx::Size offset, const kx::AffineTransform& t,
                         const KXPDF_CTMInfo&) override {
        advanceNextCharTo(t.translated(offset.width, offset.height));
        keepMainTextPosition();
        log.push_back("main " + kx::utf16ToUtf8(text) + "#" + std::to_string(nextScanIndex()));
    }
    void openTextBox(const std::u16string& text, kx::Size offset, const KXPDF_CTMInfo&, double angle) override {
        log.push_back(kx::format("box %g ", angle) + kx::utf16ToUtf8(text));
        advanceNextChar(offset);
    }
    kx::TextBoxStep continueTextBox(const std::u16string& text, kx::Size offset, const KXPDF_CTMInfo& g) override {
        const double angle = textBoxAngle(g.rotation);
        if (angle != 90 && angle != 270) return kx::TextBoxStep::LeavesTheBox;
        if (angle != openTextBoxAngle()) return kx::TextBoxStep::OpensAnotherBox;
        log.push_back("box+ " + kx::utf16ToUtf8(text));
        advanceNextChar(offset);
        return kx::TextBoxStep::Kept;
    }
    void closeTextBox() override { log.push_back("close box"); }
    void closeTextPath() override {
        log.push_back(kx::format("path %g ", cachedTextPathInfo().rotation) + kx::utf16ToUtf8(cachedTextPathString()));
    }

private:
    std::unique_ptr<LogDocument> document_;
};

// A document of pages with content streams over Helvetica (/F1).
inline std::string pagesDocument(const std::vector<std::string>& contents,
                                 const std::string& extra = "/MediaBox [0 0 612 792]",
                                 const std::string& moreResources = "") {
    kx::test::PDFBuilder pdf;
    const int font = pdf.add("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>");
    for (const std::string& content : contents)
        pdf.addPage(content, "<< /Font << /F1 " + std::to_string(font) + " 0 R >> " + moreResources + " >>", extra);
    return pdf.build();
}

// One string shown at (x, y) with its baseline turned `degrees` counter-clockwise (PDF space).
inline std::string shown(double x, double y, double degrees, const std::string& text) {
    const double r = degrees * M_PI / 180.0;
    return kx::format("BT /F1 12 Tf %.6f %.6f %.6f %.6f %.2f %.2f Tm (%s) Tj ET\n", std::cos(r), std::sin(r),
                      -std::sin(r), std::cos(r), x, y, text.c_str());
}

// Runs the capture over every page of the document.
inline void convert(LogCapture& capture, const std::string& pdf) {
    auto document = kx::PDFDocument::openFromMemory(pdf);
    ASSERT_TRUE(document);
    capture.setMoreOptions(std::make_shared<KXPDFOptions>());
    capture.setNumberOfPagesToConvert(static_cast<std::uint64_t>(document->pageCount()));
    static int n = 0;
    capture.begainConvertPDF(kx::pathJoin(kx::test::tempDir(), "capture" + std::to_string(++n) + ".out"), document);
    for (int i = 1; i <= document->pageCount(); ++i) capture.convertPDFPage(*document->page(i));
    capture.endConvertPDF(document);
}

}  // namespace capturetest
