#pragma once
// The runs of the three flow-text families (HTML, RTF, plain text) share their fields; each family
// writes them in its own syntax through its own file writer.

#include <cstdint>
#include <string>

#include "docx/model/KXDocxPropertyRecords.h"
#include "docx/model/KXDocxUtilities.h"
#include "pdf/KXPDF_CTMInfo.h"

namespace kx::detail {

// A run of a page: character properties and the geometry of the shown string.
template <class Writer>
class FlowRun {
public:
    FlowRun() : rProperty_(KXDocxUtilities::defaultRProperty()) {}
    virtual ~FlowRun() = default;
    FlowRun(const FlowRun&) = default;
    FlowRun& operator=(const FlowRun&) = default;

    // A plain run writes nothing; text runs write their text.
    virtual void writeWithXMLWriter(Writer&) {}

    const KXDocx_RPr& rProperty() const { return rProperty_; }
    void setRProperty(const KXDocx_RPr& p) { rProperty_ = p; }
    const KXPDF_CTMInfo& ctmInfo() const { return ctmInfo_; }
    void setCtmInfo(const KXPDF_CTMInfo& info) { ctmInfo_ = info; }
    std::uint64_t pdfScanIndex() const { return pdfScanIndex_; }
    void setPdfScanIndex(std::uint64_t index) { pdfScanIndex_ = index; }

private:
    KXDocx_RPr rProperty_;
    KXPDF_CTMInfo ctmInfo_{};
    std::uint64_t pdfScanIndex_ = 0;
};

// A run with text: what the exporter makes for every shown string on a horizontal baseline.
template <class Writer>
class FlowRunText : public FlowRun<Writer> {
public:
    // Width of one blank in the run's font and size, display space.
    double spaceWidth() const { return spaceWidth_; }
    void setSpaceWidth(double w) { spaceWidth_ = w; }
    // Displayed width of the text; the page widens it when it joins a following line part.
    double textWidth() const { return textWidth_; }
    void setTextWidth(double w) { textWidth_ = w; }
    const std::u16string& runText() const { return runText_; }
    std::u16string& runText() { return runText_; }
    void setRunText(std::u16string text) { runText_ = std::move(text); }

private:
    double spaceWidth_ = 0;
    double textWidth_ = 0;
    std::u16string runText_;
};

}  // namespace kx::detail
