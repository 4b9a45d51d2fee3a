#include "docx/model/KXDocxRun.h"

#include "docx/model/KXDocxUtilities.h"

namespace {

const std::shared_ptr<const KXDocx_RPr>& defaultRunProperty() {
    static const std::shared_ptr<const KXDocx_RPr> property =
        std::make_shared<const KXDocx_RPr>(KXDocxUtilities::defaultRProperty());
    return property;
}

}  // namespace

KXDocxRun::KXDocxRun() : rProperty_(defaultRunProperty()) {}

std::shared_ptr<KXDocxRun> KXDocxRun::copy() const { return std::shared_ptr<KXDocxRun>(new KXDocxRun(*this)); }

void KXDocxRun::setRProperty(std::shared_ptr<const KXDocx_RPr> property) {
    rProperty_ = property ? std::move(property) : defaultRunProperty();
}

void KXDocxRun::setPdfScanIndex(std::uint64_t index) {
    pdfScanIndex_ = index;
    if (pdfScanIndex_orignal_ != kScanIndexNotSet) pdfScanIndex_orignal_ = index;
}

bool KXDocxRun::isPDFScanIndexContinue(const KXDocxRun& other) const {
    std::uint64_t a = pdfScanIndex_, b = other.pdfScanIndex_;
    return a == b || a + 1 == b || b + 1 == a;
}

kx::Rect KXDocxRun::displayRect() const { return kx::Rect::zero(); }
