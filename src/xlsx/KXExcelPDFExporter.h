#pragma once
// The exporter of the "xlsx" and "csv" output types: a family on the page capture. When its
// document opens it installs the job's spreadsheet options in the spreadsheet state, where the
// page and writer code read them. Every shown character becomes a positioned text run with its
// properties; characters that continue the last run of the page join it at once, so the page
// collects words and phrases; each run's font is registered with the workbook's style registry;
// large filled paths that are not black become cell fills when the options ask for them. Images
// are not looked at. At the end of each page the writer lays the page out into a grid
// (KXExcelPage) and writes it.
//
// Text at every angle stays main text: upright text (below 5 degrees) reads as it is, text near 90
// or 270 degrees is measured along its height, and any other angle keeps its own.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "capture/PageCapture.h"
#include "engine/KXPDFInfo.h"
#include "xlsx/KXExcelRunTextProperty.h"

class KXExcelRunText;
class KXExcelWriter;

class KXExcelPDFExporter : public kx::PageCapture {
public:
    // `isExcelConvert`: a workbook ("xlsx"); otherwise CSV files ("csv").
    explicit KXExcelPDFExporter(bool isExcelConvert);
    ~KXExcelPDFExporter() override;

    KXExcelWriter* pdfWriter() const { return pdfWriter_.get(); }
    // Characters captured since the conversion began.
    std::uint64_t runTextCount() const { return runTextCount_; }

    void didScanPath(KXPDFConentParser& parser, const kx::Path& path, bool stroke, bool fill) override;
    bool usesImagePixels() const override { return false; }

    // The run properties of the current text state at the display transform `t`.
    KXExcelRunTextProperty currentRProperty(const kx::AffineTransform& t) const;

protected:
    // The writer of a new conversion (a writer that also records what it is handed can stand in).
    virtual std::unique_ptr<KXExcelWriter> newWriter(const std::string& destPath, std::int64_t numOfPages,
                                                     bool isExcelConvert, std::optional<KXPDFInfo> info);
    kx::CaptureDocument* openDocument(const std::string& destPath, const std::shared_ptr<kx::PDFDocument>& document) override;
    // Text is taken only while the writer's page collects it.
    bool acceptsText(const std::u16string& text) const override;
    kx::TextPlace placeOfText(const KXPDF_CTMInfo&) const override { return kx::TextPlace::MainText; }
    void makeMainTextRun(const std::u16string& text, kx::Size offset, const kx::AffineTransform& t,
                         const KXPDF_CTMInfo& g) override;
    // The spreadsheet keeps no text boxes: nothing opens one.
    void openTextBox(const std::u16string&, kx::Size, const KXPDF_CTMInfo&, double) override {}
    kx::TextBoxStep continueTextBox(const std::u16string&, kx::Size, const KXPDF_CTMInfo&) override {
        return kx::TextBoxStep::LeavesTheBox;
    }
    void closeTextBox() override {}

private:
    // Joins the run to the last run of the page when it continues it (on the same baseline, within
    // 1 of its right edge, directly or after one word space, with equal properties); else appends it.
    void addToAllRunTextArray(std::unique_ptr<KXExcelRunText> run, double wordSpace);
    // Whether the glyph of this display-space geometry, up to the next glyph's start, lies wholly
    // outside the page's media box.
    bool isOffThePage(const KXPDF_CTMInfo& geometry) const;
    // Registers the font of run properties with the style registry.
    void registerFont(const KXExcelRunTextProperty& properties);
    void collectFills(const kx::Rect& box);

    bool isExcelConvert_ = true;
    std::unique_ptr<KXExcelWriter> pdfWriter_;
    std::uint64_t runTextCount_ = 0;
    // The style record the last font registration was made for: characters of one style register
    // one font.
    std::shared_ptr<const KXExcelRunTextProperty> registeredStyle_;
};
