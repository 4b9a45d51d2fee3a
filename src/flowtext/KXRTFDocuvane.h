#pragma once
// The document writer of the RTF output. The pages write their paragraphs into a body file in the
// work folder, with character formatting written against the running RTF state; at the end the
// output file gets the header with the font and colour tables, then the body.

#include <cstdint>
#include <memory>
#include <string>

#include "flowtext/FlowDocument.h"
#include "flowtext/KXRTFFileWriter.h"
#include "flowtext/KXRTFPage.h"

class KXRTFDocuvane : public kx::detail::FlowDocument {
public:
    // initWithPath:numOfPages:
    KXRTFDocuvane(const std::string& path, std::int64_t numOfPages);
    ~KXRTFDocuvane() override;

    // Creates the body file and the output file empty, and starts a new font and colour state.
    void begainWriteDocument() override;
    // Writes the output file; false (and no output file left) when it could not be written.
    bool packetZipFileIfNeed() override;

    void _writeRTFAuthorInfo();
    void _writeRTFInfoForKey(const std::string& key, const std::string& info);

protected:
    std::unique_ptr<kx::detail::FlowPage> makePage(kx::Size pageSize, bool lastPage) override {
        return std::make_unique<KXRTFPage>(contentWriter_.get(), pageSize, lastPage);
    }
    void closeWriters() override;

private:
    std::unique_ptr<KXRTFFileWriter> documentWriter_;
    std::unique_ptr<KXRTFFileWriter> contentWriter_;
};
