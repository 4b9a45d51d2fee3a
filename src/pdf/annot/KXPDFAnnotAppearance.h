#pragma once
// An annotation's appearance dictionary /AP, from which the stream to replay is chosen. The
// dictionary belongs to the open document.

#include <cstdint>
#include <string>

#include "platform/pdf/PDFObject.h"

class KXPDFAnnotAppearance {
public:
    KXPDFAnnotAppearance() = default;
    explicit KXPDFAnnotAppearance(kx::PDFObject dictionary) : appearDict_(std::move(dictionary)) {}

    // The stream of mode 0 (normal, /N), 1 (rollover, /R) or 2 (down, /D) for the appearance state;
    // the null object when there is none.
    kx::PDFObject getAppearanceStream(std::int64_t mode, const std::string& state) const;

    const kx::PDFObject& appearDict() const { return appearDict_; }
    void setAppearDict(kx::PDFObject dictionary) { appearDict_ = std::move(dictionary); }

private:
    kx::PDFObject appearDict_;
};
