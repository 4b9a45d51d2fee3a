#pragma once
// PDF objects written as source text, for tests that parse single dictionaries and arrays.

#include <string>

#include "platform/pdf/PDFDocument.h"
#include "support/PDFBuilder.h"

namespace kx::test {

// The object written as `source` ("<< /W 2 >>", "[0 0 1]"), read back from a one-page document
// (the object keeps its document alive).
inline PDFObject objectFrom(const std::string& source) {
    PDFBuilder b;
    b.addPage("", "<< >>", "/MediaBox [0 0 612 792] /Fixture " + source);
    auto doc = PDFDocument::openFromMemory(b.build());
    if (!doc) return {};
    auto page = doc->page(1);
    return page ? page->dictionary().dictGet("Fixture") : PDFObject();
}

}  // namespace kx::test
