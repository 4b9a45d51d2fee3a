#pragma once
// The runs of the three flow-text families (HTML, RTF, plain text): one record for all three, which
// the page lays out into paragraphs; each family's page writes them in its own syntax.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <memory_resource>
#include <string>

#include "docx/model/KXDocxPropertyRecords.h"
#include "docx/model/KXDocxUtilities.h"
#include "pdf/interpreter/KXPDF_CTMInfo.h"

namespace kx::detail {

// The default run properties, made once: every run starts from them.
inline const std::shared_ptr<const KXDocx_RPr>& defaultRunProperty() {
    static const std::shared_ptr<const KXDocx_RPr> property =
        std::make_shared<const KXDocx_RPr>(KXDocxUtilities::defaultRProperty());
    return property;
}

// A run of a page: character properties and the geometry of the shown string.
class FlowRun : public std::enable_shared_from_this<FlowRun> {
public:
    FlowRun() : rProperty_(defaultRunProperty()) {}
    virtual ~FlowRun() = default;
    FlowRun(const FlowRun&) = default;
    FlowRun& operator=(const FlowRun&) = default;

    const KXDocx_RPr& rProperty() const { return *rProperty_; }
    void setRProperty(const KXDocx_RPr& p) { rProperty_ = std::make_shared<const KXDocx_RPr>(p); }
    // Runs of one style share one record (the record is never changed in place, only replaced).
    void setRProperty(std::shared_ptr<const KXDocx_RPr> p) { rProperty_ = std::move(p); }
    const KXPDF_CTMInfo& ctmInfo() const { return ctmInfo_; }
    void setCtmInfo(const KXPDF_CTMInfo& info) { ctmInfo_ = info; }
    std::uint64_t pdfScanIndex() const { return pdfScanIndex_; }
    void setPdfScanIndex(std::uint64_t index) { pdfScanIndex_ = index; }

private:
    std::shared_ptr<const KXDocx_RPr> rProperty_;
    KXPDF_CTMInfo ctmInfo_{};
    std::uint64_t pdfScanIndex_ = 0;
};

// A run with text: what the exporter makes for every shown string on a horizontal baseline. Its
// geometry (the display-space frame of the shown string, its width and the width of a blank in its
// font) is what the page's layout reads; its text is what the page writes.
class FlowRunText final : public FlowRun {
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
    // The frame the run is read in (FlowReadingFrame_p.h): the direction of its baseline in whole
    // degrees, 0 for upright text. The run's geometry is that frame's.
    int readingFrame() const { return readingFrame_; }
    void setReadingFrame(int frame) { readingFrame_ = frame; }
    // Scratch for the page's layout: a step numbers the runs it works through here, which finds a
    // run's entry in the step's own tables without a search.
    std::size_t layoutSlot() const { return layoutSlot_; }
    void setLayoutSlot(std::size_t slot) { layoutSlot_ = slot; }


private:
    double spaceWidth_ = 0;
    double textWidth_ = 0;
    std::size_t layoutSlot_ = 0;
    int readingFrame_ = 0;
    std::u16string runText_;
};

// Where a page's runs live. A page makes one run per shown character, and all of them go at once
// when the page is done, so each run taking and giving back its own block of the heap is wasted
// work: runs are cut from larger blocks instead, which go back when the last run made in them does
// (each run keeps the arena alive through its allocator, so a run kept past its page stays valid).
template <class T>
class RunArenaAllocator {
public:
    using value_type = T;

    RunArenaAllocator() : arena_(std::make_shared<std::pmr::monotonic_buffer_resource>(kFirstBlock)) {}
    template <class U>
    RunArenaAllocator(const RunArenaAllocator<U>& other) noexcept : arena_(other.arena()) {}

    T* allocate(std::size_t n) { return static_cast<T*>(arena_->allocate(n * sizeof(T), alignof(T))); }
    // A run's block is given back with the arena as a whole.
    void deallocate(T*, std::size_t) noexcept {}

    const std::shared_ptr<std::pmr::monotonic_buffer_resource>& arena() const noexcept { return arena_; }
    template <class U>
    bool operator==(const RunArenaAllocator<U>& other) const noexcept { return arena_ == other.arena(); }

private:
    static constexpr std::size_t kFirstBlock = 64 * 1024;
    std::shared_ptr<std::pmr::monotonic_buffer_resource> arena_;
};

}  // namespace kx::detail
