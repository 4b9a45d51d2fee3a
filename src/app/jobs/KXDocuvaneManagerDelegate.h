#pragma once
// What the job manager reports about a batch and its items. Every operation is optional (empty by
// default). All reports come on the main thread.

#include <cstdint>
#include <memory>
#include <string>

#include "platform/KXError.h"

class KXDocuvaneManager;
class KXSourceFileItem;

class KXDocuvaneManagerDelegate {
public:
    virtual ~KXDocuvaneManagerDelegate() = default;

    // A batch is about to start.
    virtual void KXDocuvaneManagerWillStartConversion(KXDocuvaneManager&) {}
    // The batch has ended: every item done, or cancelled.
    virtual void KXDocuvaneManagerDidEndConversion(KXDocuvaneManager&) {}
    // The engine has accepted the item's job.
    virtual void didStartConversion(KXDocuvaneManager&, const std::shared_ptr<KXSourceFileItem>&, const KXError*) {}
    // The item's job has ended; nullptr means success.
    virtual void didEndConversion(KXDocuvaneManager&, const std::shared_ptr<KXSourceFileItem>&, const KXError*) {}
    // A page is done: its PDF page number, its 1-based position in the job's page list and the number
    // of pages converted before it.
    virtual void didConversion(KXDocuvaneManager&, const std::shared_ptr<KXSourceFileItem>&,
                               std::uint64_t /*pdfPageIndex*/, std::uint64_t /*writeWordPageIndex*/,
                               std::uint64_t /*finshedWordPageCount*/) {}
    // A requested page was not converted, or was converted with something left out
    // (KXDocuvaneErrorPageIncomplete, after its didConversion).
    virtual void didConversionConvertPDFPageIndexFaildWithError(KXDocuvaneManager&,
                                                                const std::shared_ptr<KXSourceFileItem>&,
                                                                std::uint64_t /*pdfPageIndex*/, const KXError&) {}
    // The output document is about to be written.
    virtual void didConversionWillSaveDoc(KXDocuvaneManager&, const std::shared_ptr<KXSourceFileItem>&) {}
    // The engine caught an exception during the item's job; the job goes on to its end.
    virtual void didConversionCatchException(KXDocuvaneManager&, const std::shared_ptr<KXSourceFileItem>&,
                                             const std::string& /*description*/) {}
};
