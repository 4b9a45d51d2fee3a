#pragma once
// The engine: the one entry through which a caller converts a PDF file. The caller hands it the
// source path, the password, the page numbers, an output type key, the destination and the options;
// the engine reports the start at once and does the rest on a worker thread of its own: it checks the
// source, opens and unlocks the document, creates the exporter of the key, walks the requested pages
// in the order given and ends the document. Reports reach the delegate on the main thread. What
// the bounds against crafted input leave out of a page (kx::LeftOut) is reported for that page.
//
// One engine serves one conversion at a time; a convert call made while a conversion runs is
// ignored. The caller keeps the engine and reuses it for the next file, and destroys it on the main
// thread.

#include <atomic>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "engine/KXDocuvaneDelegate.h"
#include "engine/KXDocuvaneErrors.h"
#include "engine/KXPDFExporter.h"
#include "engine/KXPDFExporterDelegate.h"
#include "engine/KXPDFOptions.h"
#include "platform/Dispatch.h"
#include "platform/KXError.h"

namespace kx {
class PDFDocument;
}

class KXDocuvane : public KXPDFExporterDelegate {
public:
    KXDocuvane() = default;
    // Cancels a running conversion and waits for its worker; reports still queued are dropped.
    ~KXDocuvane() override;
    KXDocuvane(const KXDocuvane&) = delete;
    KXDocuvane& operator=(const KXDocuvane&) = delete;

    // Starts a conversion and returns at once (after didStartConversion). Page numbers are 1-based,
    // in conversion order, repeats allowed. The destination is the output file, or the output folder
    // for page images. Null options stand for the defaults.
    void convertPDFAtPath(const std::string& pdfPath, const std::string& pdfPassword,
                          std::vector<std::uint64_t> pdfPageIndexs, const std::string& destDocType,
                          const std::string& destDocPath, std::shared_ptr<const KXPDFOptions> moreOptions);

    // Requests cancellation: the conversion ends with KXDocuvaneErrorCanceled at the next page boundary.
    void stopConvertsionIfNeed();

    // The document at the path, unlocked with the password when one is given (nullptr when that
    // fails); without a password the document comes as opened, locked or not. nullptr for an empty
    // path, anything but a regular file, or a file that is no PDF; `whyNot` then says which.
    std::shared_ptr<kx::PDFDocument> initPDFDocumentAtPath(const std::string& path, const std::string& password,
                                                           std::string* whyNot = nullptr) const;

    // Output type key → display name (14 rows, "pdf" included).
    static std::map<std::string, std::string> supportDocTypes();
    static std::optional<std::string> supportDocTypeNameForKey(const std::string& key);
    // True when a row of the exporter table takes the key (engine/ExporterChoice.h: the rows are
    // installed at start-up); a conversion to any other key ends with an error at the start.
    static bool canConvertToDocType(const std::string& key);
    // Begins the set-up a conversion to the key can do before it starts (the exporter table's
    // `prepare`); convertPDFAtPath does it too, a caller that knows the key earlier may call it then.
    static void prepareForDocType(const std::string& key);

    KXDocuvaneDelegate* delegate() const { return delegate_; }
    void setDelegate(KXDocuvaneDelegate* delegate) { delegate_ = delegate; }
    const std::string& pdfPath() const { return pdfPath_; }
    const std::string& pdfPassword() const { return pdfPassword_; }
    const std::vector<std::uint64_t>& pdfPageIndexs() const { return pdfPageIndexs_; }
    const std::string& destDocType() const { return destDocType_; }
    const std::string& destDocPath() const { return destDocPath_; }
    const std::shared_ptr<const KXPDFOptions>& moreOptions() const { return moreOptions_; }
    bool isConverting() const { return isConverting_.load(); }
    bool isShouldCancel() const { return isShouldCancel_.load(); }
    void setIsShouldCancel(bool v) { isShouldCancel_.store(v); }
    // The exporter of the current or last conversion (owned by the engine).
    KXPDFExporter* currentExporter() const;

    // Exporter progress, forwarded to the delegate on the main thread.
    void pageIndex(KXPDFExporter& exporter, std::uint64_t pageIndex, std::uint64_t progress) override;

private:
    void runConversion();
    std::optional<KXError> runPageLoop(const std::shared_ptr<kx::PDFDocument>& document);
    // Runs the work; an exception that escapes it is reported through catchException and makes the
    // result false.
    template <class Work>
    bool tryBlock(Work&& work);
    // Runs the block now when on the main thread, else queues it there; dropped when the engine is
    // gone by then.
    void safeInMainThread(std::function<void(KXDocuvane&)> report);

    KXDocuvaneDelegate* delegate_ = nullptr;
    std::string pdfPath_;
    std::string pdfPassword_;
    std::vector<std::uint64_t> pdfPageIndexs_;
    std::string destDocType_;
    std::string destDocPath_;
    std::shared_ptr<const KXPDFOptions> moreOptions_;
    std::atomic<bool> isConverting_{false};
    std::atomic<bool> isShouldCancel_{false};

    mutable std::mutex exporterMutex_;  // the caller's cancel meets the worker's exporter swap
    std::unique_ptr<KXPDFExporter> currentExporter_;

    // Reports queued to the main thread hold the weak side and find the engine gone once the owner
    // is reset; the worker only ever reads the weak side, which never changes.
    std::shared_ptr<KXDocuvane*> alive_ = std::make_shared<KXDocuvane*>(this);
    const std::weak_ptr<KXDocuvane*> aliveWeak_{alive_};
    kx::WorkerThread worker_;
};
