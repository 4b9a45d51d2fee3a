#include "flowtext/FlowFileWriter.h"

#include "platform/Unicode.h"

namespace kx::detail {

FlowFileWriter::FlowFileWriter(std::string indentation, std::string lineBreak, std::string indentationWritten,
                               std::string lineBreakWritten)
    : indentation_(std::move(indentation)),
      lineBreak_(std::move(lineBreak)),
      indentationWritten_(std::move(indentationWritten)),
      lineBreakWritten_(std::move(lineBreakWritten)) {}

FlowFileWriter::~FlowFileWriter() { closeFile(); }

bool FlowFileWriter::open(const std::string& path) {
    file_ = std::fopen(path.c_str(), "wb");
    if (!file_) return false;
    // Pages write many short strings (a run is often one character): they are gathered in the
    // writer's own buffer and reach the file in large blocks.
    std::setvbuf(file_, nullptr, _IONBF, 0);
    pending_.reserve(kFlushSize);
    textPath_ = path;
    return true;
}

void FlowFileWriter::flush() {
    if (pending_.empty() || !file_) return;
    if (std::fwrite(pending_.data(), 1, pending_.size(), file_) != pending_.size()) failed_ = true;
    pending_.clear();
}

void FlowFileWriter::append(std::string_view bytes) {
    if (bytes.empty()) return;
    if (!file_) {
        failed_ = true;
        return;
    }
    pending_.append(bytes);
    if (pending_.size() >= kFlushSize) flush();
}

void FlowFileWriter::write(std::string_view utf8) {
    if (utf8.empty()) return;
    if (utf8 == lineBreak_ || utf8 == indentation_) {
        if (lineBreakCount_++ > 4) return;
    } else {
        lineBreakCount_ = 0;
    }
    append(utf8);
}

void FlowFileWriter::write(std::u16string_view text) {
    if (text.empty()) return;
    // Converted into a buffer the writer keeps, not a new string for each run.
    utf8Scratch_.clear();
    for (size_t i = 0; i < text.size();) {
        if (text[i] < 0x80) utf8Scratch_.push_back(static_cast<char>(text[i++]));
        else kx::appendUtf8(utf8Scratch_, kx::nextCodePoint(text, i));
    }
    write(std::string_view(utf8Scratch_));
}

void FlowFileWriter::writeData(std::string_view bytes) { append(bytes); }

bool FlowFileWriter::writeFileContents(const std::string& path) {
    std::FILE* in = std::fopen(path.c_str(), "rb");
    if (!in) return false;
    std::string buffer(1 << 16, '\0');
    bool ok = true;
    size_t n;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), in)) > 0) append(std::string_view(buffer.data(), n));
    if (std::ferror(in)) ok = false;
    std::fclose(in);
    return ok;
}

void FlowFileWriter::writeLinebreak() { write(std::string_view(lineBreakWritten_)); }

void FlowFileWriter::writeIndentation() { write(std::string_view(indentationWritten_)); }

bool FlowFileWriter::closeFile() {
    if (file_) {
        flush();
        if (std::fclose(file_) != 0) failed_ = true;
        file_ = nullptr;
    }
    return !failed_;
}

}  // namespace kx::detail
