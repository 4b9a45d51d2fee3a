#pragma once
// Internal to the platform layer: one MuPDF context and the document opened with it. Every MuPDF
// call runs inside fz_try in the small functions of this folder; no C++ object with a destructor
// lives inside an fz_try block.

#include <mupdf/fitz.h>
#include <mupdf/pdf.h>

#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace kx::detail {

class PDFSession {
public:
    PDFSession();
    ~PDFSession();
    PDFSession(const PDFSession&) = delete;
    PDFSession& operator=(const PDFSession&) = delete;

    fz_context* ctx = nullptr;
    pdf_document* doc = nullptr;
    // Bytes of a document opened from memory; MuPDF reads them in place.
    std::string memory;
    fz_buffer* memoryBuffer = nullptr;
    // The file a document was opened from, closed after the document.
    FILE* file = nullptr;

    // Stream objects whose /Length does not end at their "endstream" keyword: a copy of the stream
    // dictionary with the length that does, and the data's offset (null dictionary: the stream was
    // checked and is sound). Each stream is checked once per document, however many pages share it.
    struct StreamExtent {
        pdf_obj* dictionary = nullptr;
        std::int64_t offset = 0;
    };
    std::map<int, StreamExtent> streamExtents;

    // Caches of things built from this document's objects (PDFObject::documentCache), by kind. They
    // hold objects of the document, and so the session: the document empties them when it closes.
    std::mutex cacheMutex;
    std::map<const void*, std::shared_ptr<void>> caches;
    bool closed = false;
};

// Data of an inline image, read when the scanner met it.
struct PDFInlineImage {
    std::string decoded;   // every filter undone
    std::string encoded;   // the data with a DCT or JPX codec still applied (when `format` says so)
    int imageType = 0;     // FZ_IMAGE_* of the final filter
};

// A new context with MuPDF's messages silenced.
fz_context* newSilentContext();

// The stream object `num` opened with every filter undone. A /Length that overshoots the stream's
// "endstream" keyword (so that MuPDF would read on through the next objects, to the end of the
// file) is replaced by the length up to that keyword; the check reads a few bytes once per stream
// and document. Throws as MuPDF does: call it inside fz_try, with the extent looked up before by
// streamExtent().
fz_stream* openStreamObject(fz_context* ctx, pdf_document* doc, int num, const PDFSession::StreamExtent& extent);
// Checks the stream object `num` once and remembers the result (no MuPDF exception escapes).
PDFSession::StreamExtent streamExtent(PDFSession& session, int num);

}  // namespace kx::detail
