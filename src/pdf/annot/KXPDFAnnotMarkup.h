#pragma once
// The base of the markup annotations that carry an author, dates, a subject and an opacity (/CA):
// free text and lines.

#include "pdf/annot/KXPDFAnnot.h"

class KXPDFAnnotMarkup : public KXPDFAnnot {
public:
    KXPDFAnnotMarkup() = default;
    explicit KXPDFAnnotMarkup(const kx::PDFObject& dictionary);

    // 1 when the dictionary's /Subtype is "Markup3D", else 0.
    static std::int64_t ParseAnnotExternalData(const kx::PDFObject& dictionary);

    // /T, the author.
    const std::optional<std::u16string>& label() const { return label_; }
    void setLabel(std::optional<std::u16string> v) { label_ = std::move(v); }
    const std::optional<std::u16string>& creationDate() const { return creationDate_; }
    void setCreationDate(std::optional<std::u16string> v) { creationDate_ = std::move(v); }
    const std::optional<std::u16string>& subject() const { return subject_; }
    void setSubject(std::optional<std::u16string> v) { subject_ = std::move(v); }
    // /RT: 0 "R" (a reply), 1 "Group".
    std::int64_t replyTo() const { return replyTo_; }
    void setReplyTo(std::int64_t v) { replyTo_ = v; }
    std::int64_t exData() const { return exData_; }
    void setExData(std::int64_t v) { exData_ = v; }

private:
    std::optional<std::u16string> label_;
    std::optional<std::u16string> creationDate_;
    std::optional<std::u16string> subject_;
    std::int64_t replyTo_ = 0;
    std::int64_t exData_ = 0;
};
