#pragma once
// What the three flow-text file writers share: one file that grows by appending, and a cap on
// repeated line breaks and indentations. More than five in a row add nothing for a reader and
// mostly come from long runs of empty lines in the PDF.

#include <cstdio>
#include <string>
#include <string_view>

namespace kx::detail {

class FlowFileWriter {
public:
    virtual ~FlowFileWriter();
    FlowFileWriter(const FlowFileWriter&) = delete;
    FlowFileWriter& operator=(const FlowFileWriter&) = delete;

    // Appends the text as UTF-8. A string equal to the line break or the indentation counts
    // towards the cap: the sixth and later in a row are dropped. Empty strings change nothing.
    void write(std::string_view utf8);
    void write(std::u16string_view text);
    // Appends bytes as they are: no cap, the count is left alone.
    void writeData(std::string_view bytes);
    // Appends the whole content of another file with writeData; false when it cannot be read.
    bool writeFileContents(const std::string& path);
    void writeLinebreak();
    void writeIndentation();
    // Flushes and closes the file; false when a write or the close failed. Later writes are ignored.
    bool closeFile();

    const std::string& textPath() const { return textPath_; }
    long long lineBreakCount() const { return lineBreakCount_; }
    // True once the file could not be written (full disk, closed file, ...).
    bool hasFailed() const { return failed_; }

protected:
    // `lineBreak` and `indentation` are compared for the cap; the "written" forms are what
    // writeLinebreak and writeIndentation send through write() (the RTF writer escapes them).
    FlowFileWriter(std::string indentation, std::string lineBreak, std::string indentationWritten,
                   std::string lineBreakWritten);
    // Creates the file empty (replacing one that exists); false when it cannot be created.
    bool open(const std::string& path);

private:
    void append(std::string_view bytes);
    // Sends the gathered bytes to the file.
    void flush();

    static constexpr size_t kFlushSize = size_t(1) << 16;

    long long lineBreakCount_ = 0;
    std::string textPath_;
    std::FILE* file_ = nullptr;
    std::string indentation_;
    std::string lineBreak_;
    std::string indentationWritten_;
    std::string lineBreakWritten_;
    std::string utf8Scratch_;  // the last UTF-16 text written, as UTF-8
    std::string pending_;      // bytes not yet given to the file
    bool failed_ = false;
};

}  // namespace kx::detail
