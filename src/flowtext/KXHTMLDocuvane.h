#pragma once
// The document writer of the HTML output. The pages write their paragraphs into a body file in the
// work folder while their formatting is collected as CSS classes; at the end the output file gets
// the head with the style sheet of every class, then the body.

#include <cstdint>
#include <memory>
#include <string>

#include "flowtext/FlowDocument.h"
#include "flowtext/KXHTMLFileWriter.h"
#include "flowtext/KXHTMLPage.h"

class KXHTMLDocuvane : public kx::detail::FlowDocument {
public:
    // initWithPath:numOfPages:
    KXHTMLDocuvane(const std::string& path, std::int64_t numOfPages);
    ~KXHTMLDocuvane() override;

    // Creates the body file and the output file empty, and starts a new set of CSS classes.
    void begainWriteDocument() override;
    // Writes the output file; false (and no output file left) when it could not be written.
    bool packetZipFileIfNeed() override;

protected:
    std::unique_ptr<kx::detail::FlowPage> makePage(kx::Size pageSize, bool lastPage) override {
        return std::make_unique<KXHTMLPage>(contentWriter_.get(), pageSize, lastPage);
    }
    void closeWriters() override;

private:
    std::unique_ptr<KXHTMLFileWriter> documentWriter_;
    std::unique_ptr<KXHTMLFileWriter> contentWriter_;
};
