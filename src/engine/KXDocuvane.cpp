#include "engine/KXDocuvane.h"

#include <exception>
#include <mutex>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include "engine/ExporterChoice.h"
#include "engine/KXDocuvaneErrors.h"
#include "platform/FileSystem.h"
#include "platform/Format.h"
#include "platform/LeftOut.h"
#include "platform/pdf/PDFDocument.h"

namespace {

// A page's pictures are drawn, read back and merged in bitmaps of several megabytes each, one
// after another. The allocator would hand each of them back to the system when freed and take
// fresh pages for the next, faulting in every page again: most of the time of a page of many
// large pictures. Buffers of up to 64 MB are kept for reuse instead, and up to 128 MB of freed
// memory stays with the process; larger ones still come and go on their own.
void keepLargeBuffersForReuse() {
#if defined(__GLIBC__)
    static std::once_flag once;
    std::call_once(once, [] {
        mallopt(M_MMAP_THRESHOLD, 64 * 1024 * 1024);
        mallopt(M_TRIM_THRESHOLD, 128 * 1024 * 1024);
        // The conversion thread's heap grows in steps of at least this much instead of a page or
        // so at a time (one mprotect each: ~1,500 for a two-page form). Untouched pages cost no
        // memory.
        mallopt(M_TOP_PAD, 16 * 1024 * 1024);
    });
#endif
}

KXError engineError(KXDocuvaneErrorCode code, std::string reason, std::string underlying = {}) {
    return KXError{KXDocuvaneErrorDomain, code, std::move(reason), std::move(underlying)};
}

KXError pageError(const char* reason, std::uint64_t page) {
    return engineError(KXDocuvaneErrorPageFailed, kx::format(reason, static_cast<unsigned long long>(page)));
}

// "Left out of page 3: 1200 paths past the drawing budget of a picture; 1 image ...".
std::string leftOutOfPage(std::uint64_t page, const std::vector<kx::LeftOutItem>& leftOut) {
    return kx::format("Left out of page %llu: ", static_cast<unsigned long long>(page)) + kx::LeftOut::describe(leftOut);
}

}  // namespace

KXDocuvane::~KXDocuvane() {
    // Reports still on their way to the main thread find the engine gone and are dropped.
    alive_.reset();
    isShouldCancel_.store(true);
    {
        std::lock_guard lock(exporterMutex_);
        if (currentExporter_) currentExporter_->cancelConvertPDF();
    }
    worker_.join();
}

std::map<std::string, std::string> KXDocuvane::supportDocTypes() {
    return {
        {"docx", "Microsoft Word(.docx)"},
        {"pptx", "Microsoft PowerPoint(.pptx)"},
        {"xlsx", "Microsoft Excel(.xlsx)"},
        {"csv", "Comma-Separated Values(.csv)"},
        {"txt", "UTF-8 Plain Text(.txt)"},
        {"rtf", "Rich Text File(.rtf)"},
        {"html", "Web Source File(.html)"},
        {"pdf", "Adobe PDF File(.pdf)"},
        {"jpeg", "Image JPEG File(.jpeg)"},
        {"png", "Image PNG File(.png)"},
        {"bmp", "Image BMP File(.bmp)"},
        {"tiff", "Image TIFF File(.tiff)"},
        {"gif", "Image GIF File(.gif)"},
        {"tga", "Image TGA File(.tga)"},
    };
}

std::optional<std::string> KXDocuvane::supportDocTypeNameForKey(const std::string& key) {
    auto table = supportDocTypes();
    auto it = table.find(key);
    if (it == table.end()) return std::nullopt;
    return it->second;
}

bool KXDocuvane::canConvertToDocType(const std::string& key) { return kx::exporterChoiceForKey(key).has_value(); }

void KXDocuvane::prepareForDocType(const std::string& key) { kx::prepareExporterForKey(key); }

KXPDFExporter* KXDocuvane::currentExporter() const {
    std::lock_guard lock(exporterMutex_);
    return currentExporter_.get();
}

std::shared_ptr<kx::PDFDocument> KXDocuvane::initPDFDocumentAtPath(const std::string& path, const std::string& password,
                                                                   std::string* whyNot) const {
    if (path.empty()) return nullptr;
    std::shared_ptr<kx::PDFDocument> document = kx::PDFDocument::open(path, whyNot);
    if (!document || password.empty()) return document;
    if (!document->unlockWithPassword(password)) {
        if (whyNot) *whyNot = "the password does not unlock it";
        return nullptr;
    }
    return document;
}

void KXDocuvane::convertPDFAtPath(const std::string& pdfPath, const std::string& pdfPassword,
                                  std::vector<std::uint64_t> pdfPageIndexs, const std::string& destDocType,
                                  const std::string& destDocPath, std::shared_ptr<const KXPDFOptions> moreOptions) {
    // The request fields exist once; a second request has to wait for the end report.
    if (isConverting_.load()) return;
    // The previous worker has sent its end report; let it finish its last steps.
    worker_.join();

    pdfPath_ = pdfPath;
    pdfPassword_ = pdfPassword;
    pdfPageIndexs_ = std::move(pdfPageIndexs);
    destDocType_ = destDocType;
    destDocPath_ = destDocPath;
    moreOptions_ = moreOptions ? std::move(moreOptions) : std::make_shared<const KXPDFOptions>();
    isShouldCancel_.store(false);
    isConverting_.store(true);

    if (delegate_) delegate_->didStartConversion(*this, nullptr);

    prepareForDocType(destDocType_);
    worker_ = kx::WorkerThread("KXDocuvane-dispatchAsync", [this] { runConversion(); });
}

void KXDocuvane::stopConvertsionIfNeed() {
    isShouldCancel_.store(true);
    std::lock_guard lock(exporterMutex_);
    if (currentExporter_) currentExporter_->cancelConvertPDF();
}

void KXDocuvane::pageIndex(KXPDFExporter&, std::uint64_t pageIndex, std::uint64_t progress) {
    safeInMainThread([pageIndex, progress](KXDocuvane& engine) {
        if (engine.delegate_) engine.delegate_->pageIndex(engine, pageIndex, progress);
    });
}

void KXDocuvane::safeInMainThread(std::function<void(KXDocuvane&)> report) {
    kx::MainQueue::runOrAsync([alive = aliveWeak_, report = std::move(report)] {
        if (auto engine = alive.lock()) report(**engine);
    });
}

template <class Work>
bool KXDocuvane::tryBlock(Work&& work) {
    std::string description;
    try {
        work();
        return true;
    } catch (const std::exception& e) {
        description = e.what();
    } catch (...) {
        description = "unknown exception";
    }
    safeInMainThread([description](KXDocuvane& engine) {
        if (engine.delegate_) engine.delegate_->catchException(engine, description);
    });
    return false;
}

void KXDocuvane::runConversion() {
    keepLargeBuffersForReuse();
    std::optional<KXError> result;
    {
        // Temporary files of this conversion live here and go when it ends, also on failure.
        kx::ScopedTemporaryRoot temporaryRoot;
        if (!kx::exporterChoiceForKey(destDocType_)) {
            result = engineError(KXDocuvaneErrorUnsupportedType,
                                 kx::format("Unsupported output type(%s).", destDocType_.c_str()));
        } else if (!kx::fileExists(pdfPath_) || kx::isDirectory(pdfPath_)) {
            result = engineError(KXDocuvaneErrorSourceMissing, "Source File isn't exist.",
                                 kx::isDirectory(pdfPath_) ? "a folder" : "no such file");
        } else {
            // Only a regular file is opened: anything else (a device, a pipe) is refused at once.
            std::string whyNot;
            std::shared_ptr<kx::PDFDocument> document = initPDFDocumentAtPath(pdfPath_, pdfPassword_, &whyNot);
            // A locked document that no password opened cannot be read either; a document without
            // a single page gives nothing to convert.
            if (!document)
                result = engineError(KXDocuvaneErrorCannotLoad, "Can't load the PDF Document.", whyNot);
            else if (!document->isUnlocked())
                result = engineError(KXDocuvaneErrorCannotLoad, "Can't load the PDF Document.", "password-protected");
            else if (document->pageCount() < 1)
                result = engineError(KXDocuvaneErrorCannotLoad, "Can't load the PDF Document.",
                                     "the document has no page");
            else
                result = runPageLoop(document);
        }
        if (isShouldCancel_.load()) result = engineError(KXDocuvaneErrorCanceled, "Conversion has been canceled.");
    }
    safeInMainThread([result](KXDocuvane& engine) {
        engine.isConverting_.store(false);
        if (engine.delegate_) engine.delegate_->didEndConversion(engine, result ? &*result : nullptr);
    });
}

std::optional<KXError> KXDocuvane::runPageLoop(const std::shared_ptr<kx::PDFDocument>& document) {
    const auto pageCount = static_cast<std::uint64_t>(std::max(document->pageCount(), 0));
    const KXError unknownError = engineError(KXDocuvaneErrorUnknown, "Unknow error while converting.");

    std::unique_ptr<KXPDFExporter> made;
    std::optional<kx::ExporterChoice> choice = kx::exporterChoiceForKey(destDocType_);
    if (!choice || !tryBlock([&] { made = choice->make(); }) || !made) return unknownError;
    made->setMoreOptions(moreOptions_);
    made->setDestDocType(destDocType_);
    made->setDestDocPath(destDocPath_);
    made->setNumberOfPagesToConvert(pdfPageIndexs_.size());
    made->setDelegate(this);
    KXPDFExporter* exporter = made.get();
    {
        std::lock_guard lock(exporterMutex_);
        currentExporter_ = std::move(made);
    }

    if (!tryBlock([&] { exporter->begainConvertPDF(destDocPath_, document); })) {
        tryBlock([&] { exporter->cleanConvertPDF(); });
        return unknownError;
    }
    if (exporter->exportError()) {
        tryBlock([&] { exporter->cleanConvertPDF(); });
        return exporter->exportError();
    }

    std::uint64_t converted = 0;
    for (size_t i = 0; i < pdfPageIndexs_.size(); ++i) {
        if (isShouldCancel_.load()) {
            tryBlock([&] { exporter->cleanConvertPDF(); });
            return std::nullopt;
        }
        const std::uint64_t n = pdfPageIndexs_[i];
        std::optional<KXError> failure;
        if (n - 1 >= pageCount) {  // 0 wraps around
            failure = pageError("Out of PDF Page Range(%llu)", n);
        } else if (std::optional<kx::PDFPage> page = document->page(static_cast<int>(n)); !page) {
            failure = pageError("Can't read the PDF Page.(%llu)", n);
        } else {
            bool ok = false;
            // The bounds against crafted input note what they leave out of the page on this thread,
            // where the exporter does all of the page's work (its pictures included) before
            // convertPDFPage returns.
            kx::LeftOut::begin();
            if (!tryBlock([&] {
                    exporter->setPageIndex(converted);
                    exporter->setRequestIndex(i);
                    ok = exporter->convertPDFPage(*page);
                }))
                ok = false;
            const std::vector<kx::LeftOutItem> leftOut = kx::LeftOut::take();
            if (ok) {
                const std::uint64_t position = i + 1, before = converted;
                safeInMainThread([n, position, before](KXDocuvane& engine) {
                    if (engine.delegate_) engine.delegate_->convertPDFPageIndex(engine, n, position, before);
                });
                ++converted;
                // The page is in the output, but not whole: said for the page, never a silent success.
                if (!leftOut.empty())
                    failure = engineError(KXDocuvaneErrorPageIncomplete, leftOutOfPage(n, leftOut));
            } else {
                failure = pageError("Can't convert the PDF Page.(%llu)", n);
                if (!leftOut.empty()) failure->underlyingReason = leftOutOfPage(n, leftOut);
            }
        }
        if (failure) {
            safeInMainThread([n, error = *failure](KXDocuvane& engine) {
                if (engine.delegate_) engine.delegate_->convertPDFPageIndexFaildWithError(engine, n, error);
            });
        }
        // The output cannot be completed: the pages left would be converted for nothing.
        if (exporter->exportError()) {
            tryBlock([&] { exporter->cleanConvertPDF(); });
            return exporter->exportError();
        }
    }

    if (isShouldCancel_.load()) {
        tryBlock([&] { exporter->cleanConvertPDF(); });
        return std::nullopt;
    }
    safeInMainThread([](KXDocuvane& engine) {
        if (engine.delegate_) engine.delegate_->willSaveDoc(engine);
    });
    if (!tryBlock([&] { exporter->endConvertPDF(document); })) return unknownError;
    return exporter->exportError();
}
