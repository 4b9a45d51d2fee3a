#pragma once
// What the document-properties parts of an output package say about the source: the PDF version and
// page count, the strings of the document information dictionary, and the creator texts that ship
// with the program ("KXPDFInfo.plist" of the KXQuendrel bundle). Strings are UTF-8.

#include <cstdint>
#include <optional>
#include <string>

#include "platform/pdf/PDFObject.h"

namespace kx {
class PDFDocument;
}

class KXPDFInfo {
public:
    // Fills the defaults from the resource list, then reads the document.
    explicit KXPDFInfo(const kx::PDFDocument& document);

    // Reads the version and the information dictionary; a missing entry keeps its value.
    void loadDocumentInfo(const kx::PDFDocument& document);

    std::int32_t majorVersion() const { return majorVersion_; }
    std::int32_t minorVersion() const { return minorVersion_; }
    const std::string& title() const { return title_; }
    void setTitle(std::string v) { title_ = std::move(v); }
    const std::string& author() const { return author_; }
    void setAuthor(std::string v) { author_ = std::move(v); }
    const std::string& subject() const { return subject_; }
    void setSubject(std::string v) { subject_ = std::move(v); }
    const std::string& keywords() const { return keywords_; }
    void setKeywords(std::string v) { keywords_ = std::move(v); }
    const std::string& creator() const { return creator_; }
    void setCreator(std::string v) { creator_ = std::move(v); }
    const std::string& producer() const { return producer_; }
    void setProducer(std::string v) { producer_ = std::move(v); }
    const std::string& note() const { return note_; }
    void setNote(std::string v) { note_ = std::move(v); }
    // nullopt when the document gives none, or not a valid PDF date.
    const std::optional<kx::PDFDate>& creationDate() const { return creationDate_; }
    const std::optional<kx::PDFDate>& modificationDate() const { return modificationDate_; }
    std::uint64_t numPages() const { return numPages_; }
    void setNumPages(std::uint64_t v) { numPages_ = v; }

private:
    std::int32_t majorVersion_ = 0;
    std::int32_t minorVersion_ = 0;
    std::string title_;
    std::string author_;
    std::string subject_;
    std::string keywords_;
    std::string creator_;
    std::string producer_;
    std::string note_;
    std::optional<kx::PDFDate> creationDate_;
    std::optional<kx::PDFDate> modificationDate_;
    std::uint64_t numPages_ = 0;
};
