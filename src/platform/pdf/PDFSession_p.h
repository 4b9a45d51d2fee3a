#pragma once
// Internal to the platform layer: one MuPDF context and the document opened with it. Every MuPDF
// call runs inside fz_try in the small functions of this folder; no C++ object with a destructor
// lives inside an fz_try block.

#include <mupdf/fitz.h>
#include <mupdf/pdf.h>

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

}  // namespace kx::detail
