#pragma once
// A rubber stamp: its appearance stream is replayed under the name of its icon.

#include "pdf/annot/KXPDFAnnot.h"

class KXPDFAnnotStamp : public KXPDFAnnot {
public:
    KXPDFAnnotStamp() = default;
    explicit KXPDFAnnotStamp(const kx::PDFObject& dictionary);

    void startParser() override { replayAppearance(icon_); }

    // /Name; "Draft" when absent.
    const std::string& icon() const { return icon_; }
    void setIcon(std::string v) { icon_ = std::move(v); }

private:
    std::string icon_ = "Draft";
};
