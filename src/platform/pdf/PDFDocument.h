#pragma once
// An open PDF document and its pages.

#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "platform/Geometry.h"
#include "platform/pdf/PDFObject.h"

namespace kx {

// Page boxes, numbered as the page-box operations number them (0 media box, 1 crop box, ...).
enum class PDFBox { MediaBox = 0, CropBox = 1, BleedBox = 2, TrimBox = 3, ArtBox = 4 };

class PDFPage;

class PDFDocument : public std::enable_shared_from_this<PDFDocument> {
public:
    // Opens a regular file (repairing a damaged cross-reference table when needed); nullptr when the
    // file cannot be read as a PDF. Anything but a regular file (a folder, a device, a pipe, a socket)
    // is refused before a byte is read from it: a device may never end. `whyNot` receives the reason
    // of a refusal ("no such file", "permission denied", "not a regular file", "not a PDF file",
    // ...). A locked document opens and reports its page count.
    static std::shared_ptr<PDFDocument> open(const std::string& path, std::string* whyNot = nullptr);
    static std::shared_ptr<PDFDocument> openFromMemory(std::string data);
    ~PDFDocument();
    PDFDocument(const PDFDocument&) = delete;
    PDFDocument& operator=(const PDFDocument&) = delete;

    bool isEncrypted() const;
    // False while a password is needed and has not been given.
    bool isUnlocked() const;
    // Unlocks with a user or owner password (UTF-8); true when the document is unlocked afterwards.
    bool unlockWithPassword(const std::string& password);
    // 0 not unlocked, 2 unlocked by the user password, 4 by the owner password (1 when no password
    // was needed).
    int unlockLevel() const { return unlockLevel_; }
    bool allowsPrinting() const;
    bool allowsCopying() const;
    bool wasRepaired() const;

    // The PDF version as major * 10 + minor (17 for 1.7): the catalog's /Version when it has one,
    // else the file header's.
    int version() const;

    // The pages the page tree holds, counted in the tree once: a /Count entry is never trusted, as a
    // file may declare two billion pages over one. A tree node is what the page look-up below
    // descends into, so for a sound tree page n of the count is page n of page(n).
    int pageCount() const;
    // Page `number`, 1-based; nullopt outside 1..pageCount() or when the page tree is broken there.
    std::optional<PDFPage> page(int number) const;

    PDFObject trailer() const;
    PDFObject catalog() const;
    PDFObject info() const;
    // Objects by number (for caches and tests); null when missing.
    PDFObject object(int number) const;

    const std::shared_ptr<detail::PDFSession>& session() const { return session_; }

private:
    explicit PDFDocument(std::shared_ptr<detail::PDFSession> session);
    std::shared_ptr<detail::PDFSession> session_;
    int unlockLevel_ = 1;
    mutable std::once_flag pageCountOnce_;
    mutable int pageCount_ = 0;
};

class PDFPage {
public:
    PDFPage(std::shared_ptr<PDFDocument> document, int number, PDFObject dictionary);

    int pageNumber() const { return number_; }  // 1-based
    const PDFObject& dictionary() const { return dictionary_; }
    const std::shared_ptr<PDFDocument>& document() const { return document_; }

    // The box as the file gives it (inherited through the page tree), with the usual fallbacks: no
    // crop box → media box; no bleed, trim or art box → crop box; each intersected with the media
    // box. A missing or unusable media box gives the null rectangle.
    Rect boxRect(PDFBox box) const;
    // /Rotate (inherited), normalised to 0, 90, 180 or 270.
    int rotationAngle() const;
    // Resources (inherited through the page tree).
    PDFObject resources() const;

private:
    std::shared_ptr<PDFDocument> document_;
    int number_;
    PDFObject dictionary_;
};

}  // namespace kx
