#pragma once
// What the engine reports about a conversion. Every operation is optional (empty by default).
// didStartConversion comes on the caller's thread from inside the convert call; everything else
// comes on the main thread, in the order it happened, and didEndConversion always comes last,
// exactly once per conversion that was started.

#include <cstdint>
#include <string>

#include "platform/KXError.h"

class KXDocuvane;

class KXDocuvaneDelegate {
public:
    virtual ~KXDocuvaneDelegate() = default;

    // Always without an error.
    virtual void didStartConversion(KXDocuvane&, const KXError*) {}
    // nullptr means success.
    virtual void didEndConversion(KXDocuvane&, const KXError*) {}
    // Progress forwarded from the exporter.
    virtual void pageIndex(KXDocuvane&, std::uint64_t /*pageIndex*/, std::uint64_t /*progress*/) {}
    // A page was converted: its 1-based number in the document, its 1-based position in the request
    // and the number of pages converted successfully before it.
    virtual void convertPDFPageIndex(KXDocuvane&, std::uint64_t /*pdfPageIndex*/, std::uint64_t /*writeWordPageIndex*/,
                                     std::uint64_t /*finshedWordPageCount*/) {}
    // A page failed (KXDocuvaneErrorPageFailed; when a bound also left something out of it, the
    // error's underlying reason says what), or a page converted and reported by convertPDFPageIndex
    // just before had something left out of it (KXDocuvaneErrorPageIncomplete: the page is in the
    // output but not whole). The conversion goes on.
    virtual void convertPDFPageIndexFaildWithError(KXDocuvane&, std::uint64_t /*pdfPageIndex*/, const KXError&) {}
    // Once after the last page, before the exporter completes the document; the destination is the
    // engine's destDocPath().
    virtual void willSaveDoc(KXDocuvane&) {}
    // An exporter threw; the engine caught it and reports the failed page or ends the conversion.
    virtual void catchException(KXDocuvane&, const std::string& /*description*/) {}
};
