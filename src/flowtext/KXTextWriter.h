#pragma once
// The document writer of the plain-text output: the pages write their paragraphs straight into the
// output file, UTF-8 without a byte-order mark and without markup.

#include <cstdint>
#include <memory>
#include <string>

#include "flowtext/FlowDocument.h"
#include "flowtext/KXTextFileWriter.h"
#include "flowtext/KXTextPage.h"

class KXTextWriter : public kx::detail::FlowDocument {
public:
    // initWithPath:numOfPages:
    KXTextWriter(const std::string& path, std::int64_t numOfPages);
    ~KXTextWriter() override;

    // Creates the output file empty (replacing one that exists).
    void begainWriteDocument() override;
    // Completes the output file; false (and no output file left) when it could not be written.
    bool packetZipFileIfNeed() override;

    KXTextFileWriter* documentWriter() const { return documentWriter_.get(); }

protected:
    std::unique_ptr<kx::detail::FlowPage> makePage(kx::Size pageSize, bool lastPage) override {
        return std::make_unique<KXTextPage>(documentWriter_.get(), pageSize, lastPage);
    }
    void closeWriters() override;

private:
    std::unique_ptr<KXTextFileWriter> documentWriter_;
};
