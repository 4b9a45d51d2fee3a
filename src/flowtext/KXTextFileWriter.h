#pragma once
// Writes UTF-8 plain text into one file: the text as it comes, LF for line breaks, four blanks
// between paragraphs that share a line.

#include <memory>
#include <string>

#include "flowtext/FlowFileWriter.h"

class KXTextFileWriter : public kx::detail::FlowFileWriter {
public:
    KXTextFileWriter();
    // A writer on a new, empty file at the path (an existing file is replaced); nullptr when the
    // file cannot be created.
    static std::unique_ptr<KXTextFileWriter> initWithPath(const std::string& path);
};
