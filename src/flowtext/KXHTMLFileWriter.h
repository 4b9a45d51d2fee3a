#pragma once
// Writes one HTML file (the body of a document, or the document itself). Text from the PDF goes
// through writeContent, which escapes it; markup goes through write as it is.

#include <memory>
#include <string>
#include <string_view>

#include "flowtext/FlowFileWriter.h"

class KXHTMLFileWriter : public kx::detail::FlowFileWriter {
public:
    KXHTMLFileWriter();
    // A writer on a new, empty file at the path; nullptr when the file cannot be created.
    static std::unique_ptr<KXHTMLFileWriter> initWithPath(const std::string& path);

    // Text content, escaped.
    void writeContent(std::u16string_view text);
    // printf-style markup in the C locale, written as it is.
    void writeFormat(const char* format, ...) __attribute__((format(printf, 2, 3)));

    // Text as HTML character data: the markup characters become entities, LF and CR (a CR LF pair
    // counts once) become a line break, a TAB a blank; other control characters are dropped and a
    // lone surrogate becomes U+FFFD.
    static std::string _formatTextOfString(std::u16string_view text);
    // The same escaping for text that starts as UTF-8 (file names, generator texts).
    static std::string escapedUtf8(std::string_view utf8);
};
