#include "flowtext/KXTextWriter.h"

KXTextWriter::KXTextWriter(const std::string& path, std::int64_t numOfPages) : FlowDocument(path, numOfPages) {}

KXTextWriter::~KXTextWriter() = default;

void KXTextWriter::begainWriteDocument() {
    closeWriters();
    documentWriter_ = KXTextFileWriter::initWithPath(savedFilePath());
    if (!documentWriter_) setFailed();
    setBegainDocxOptions();
}

bool KXTextWriter::packetZipFileIfNeed() {
    finish(!hasFailed() && closeWriter(documentWriter_.get()));
    return !hasFailed();
}

void KXTextWriter::closeWriters() {
    if (documentWriter_) documentWriter_->closeFile();
}
