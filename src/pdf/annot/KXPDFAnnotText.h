#pragma once
// A text note ("sticky note"). It reports nothing, not even its appearance stream: its icon is
// no content of the page.

#include "pdf/annot/KXPDFAnnot.h"

class KXPDFAnnotText : public KXPDFAnnot {
public:
    KXPDFAnnotText() = default;
    explicit KXPDFAnnotText(const kx::PDFObject& dictionary);

    // "Comment" 0, "Key" 1, "Note" 2, "Help" 3, "NewParagraph" 4, "Paragraph" 5, "Insert" 6,
    // "Cross" 7, "Circle" 8; anything else 2.
    static std::int64_t PDFTextAnnotationIconTypeForName(const std::optional<std::string>& name);

    void startParser() override {}

    bool open() const { return open_; }
    void setOpen(bool v) { open_ = v; }
    std::int64_t iconType() const { return iconType_; }
    void setIconType(std::int64_t v) { iconType_ = v; }
    // Review state: 0 none given, 1 Marked, 2 Unmarked, 3 Accepted, 4 Rejected, 5 Cancelled,
    // 6 Completed, 7 None.
    std::int64_t state() const { return state_; }
    void setState(std::int64_t v) { state_ = v; }

private:
    bool open_ = false;
    std::int64_t iconType_ = 2;
    std::int64_t state_ = 0;
};
