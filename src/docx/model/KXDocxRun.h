#pragma once
// The base of every object that stands in a paragraph's run sequence: text runs, tab runs,
// floating pictures and tables. A run carries its run properties, the geometry of what it shows
// (display space: points, origin at the top left of the page, y downward) and its place in the
// page's reading order: runs are made in the order the content shows them, each taking the next
// value of the page's counter as `pdfScanIndex`; a run that stands for several shown pieces covers
// `pdfScanLength` consecutive positions, and two runs follow on when the first one's index plus
// length is the second one's index.

#include <cstdint>
#include <limits>
#include <memory>
#include <vector>

#include "docx/model/KXDocxPropertyRecords.h"
#include "docx/model/KXDocxSort.h"
#include "docx/model/KXDocxWriterObject.h"
#include "pdf/interpreter/KXPDF_CTMInfo.h"
#include "platform/Geometry.h"

class KXDocxRun : public KXDocxWriterObject {
public:
    // The value of `pdfScanIndex_orignal` until it is first set.
    static constexpr std::uint64_t kScanIndexNotSet = std::numeric_limits<std::uint64_t>::max();

    // Default run properties, index 0, length 1.
    KXDocxRun();
    ~KXDocxRun() override = default;

    // A copy of the same class with every field of the run.
    virtual std::shared_ptr<KXDocxRun> copy() const;

    const KXDocx_RPr& rProperty() const { return *rProperty_; }
    void setRProperty(const KXDocx_RPr& property) { rProperty_ = std::make_shared<const KXDocx_RPr>(property); }
    // Runs of one style may share one record: it is never changed in place, only replaced.
    void setRProperty(std::shared_ptr<const KXDocx_RPr> property);
    const std::shared_ptr<const KXDocx_RPr>& sharedRProperty() const { return rProperty_; }

    const KXPDF_CTMInfo& ctmInfo() const { return ctmInfo_; }
    void setCtmInfo(const KXPDF_CTMInfo& info) { ctmInfo_ = info; }

    std::uint64_t pdfScanIndex_orignal() const { return pdfScanIndex_orignal_; }
    void setPdfScanIndex_orignal(std::uint64_t index) { pdfScanIndex_orignal_ = index; }
    std::uint64_t pdfScanIndex() const { return pdfScanIndex_; }
    // Also moves `pdfScanIndex_orignal` along once that has been set.
    void setPdfScanIndex(std::uint64_t index);
    std::uint64_t pdfScanLength() const { return pdfScanLength_; }
    void setPdfScanLength(std::uint64_t length) { pdfScanLength_ = length; }
    bool isExtGStateSMask() const { return isExtGStateSMask_; }
    void setIsExtGStateSMask(bool value) { isExtGStateSMask_ = value; }
    bool isAnnotion() const { return isAnnotion_; }
    void setIsAnnotion(bool value) { isAnnotion_ = value; }
    std::int64_t pdfAnnotionIndex() const { return pdfAnnotionIndex_; }
    void setPdfAnnotionIndex(std::int64_t index) { pdfAnnotionIndex_ = index; }

    // Whether the two indexes are equal or one apart.
    bool isPDFScanIndexContinue(const KXDocxRun& other) const;
    // Where the run stands on the page; the empty rectangle for a run without geometry.
    virtual kx::Rect displayRect() const;

    // Orders the runs by reading position (equal positions keep their order) and numbers them
    // 0, 1, 2, ... with length 1.
    template <class R>
    static void UpdateRunArrayPDFScanIndex(std::vector<std::shared_ptr<R>>& runs);
    // Orders the runs by reading position, then whether their indexes are consecutive (true for
    // fewer than two runs).
    template <class R>
    static bool IsPDFScanIndexContinue(std::vector<std::shared_ptr<R>>& runs);
    // The run with the largest index, the first of equals; null for no runs.
    template <class R>
    static std::shared_ptr<R> FindMaxPDFScanIndex(const std::vector<std::shared_ptr<R>>& runs);

protected:
    KXDocxRun(const KXDocxRun&) = default;
    KXDocxRun& operator=(const KXDocxRun&) = default;

private:
    std::shared_ptr<const KXDocx_RPr> rProperty_;
    KXPDF_CTMInfo ctmInfo_{};
    std::uint64_t pdfScanIndex_orignal_ = kScanIndexNotSet;
    std::uint64_t pdfScanIndex_ = 0;
    std::uint64_t pdfScanLength_ = 1;
    bool isExtGStateSMask_ = false;
    bool isAnnotion_ = false;
    std::int64_t pdfAnnotionIndex_ = 0;
};

template <class R>
void KXDocxRun::UpdateRunArrayPDFScanIndex(std::vector<std::shared_ptr<R>>& runs) {
    kx::detail::stableSortByKey(runs, [](const std::shared_ptr<R>& r) { return r->pdfScanIndex(); });
    std::uint64_t k = 0;
    for (auto& run : runs) {
        run->setPdfScanIndex(k);
        run->setPdfScanLength(1);
        k += run->pdfScanLength();
    }
}

template <class R>
bool KXDocxRun::IsPDFScanIndexContinue(std::vector<std::shared_ptr<R>>& runs) {
    kx::detail::stableSortByKey(runs, [](const std::shared_ptr<R>& r) { return r->pdfScanIndex(); });
    if (runs.empty()) return true;
    std::uint64_t expected = runs.front()->pdfScanIndex();
    for (const auto& run : runs) {
        if (run->pdfScanIndex() != expected) return false;
        expected = run->pdfScanIndex() + 1;
    }
    return true;
}

template <class R>
std::shared_ptr<R> KXDocxRun::FindMaxPDFScanIndex(const std::vector<std::shared_ptr<R>>& runs) {
    return kx::detail::findByKey(runs, [](const std::shared_ptr<R>& r) { return r->pdfScanIndex(); }, true);
}
