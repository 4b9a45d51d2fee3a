#include "flowtext/KXHTMLDocuvane.h"

#include "flowtext/FlowProduct_p.h"
#include "flowtext/KXHTMLState.h"
#include "platform/FileSystem.h"

KXHTMLDocuvane::KXHTMLDocuvane(const std::string& path, std::int64_t numOfPages) : FlowDocument(path, numOfPages) {}

KXHTMLDocuvane::~KXHTMLDocuvane() = default;

void KXHTMLDocuvane::begainWriteDocument() {
    closeWriters();
    contentWriter_.reset();
    documentWriter_.reset();
    if (!savedWorkFolder().empty()) contentWriter_ = KXHTMLFileWriter::initWithPath(savedWorkFolder() + "/content.html");
    documentWriter_ = KXHTMLFileWriter::initWithPath(savedFilePath());
    if (!contentWriter_ || !documentWriter_) setFailed();
    setBegainDocxOptions();
    KXHTMLState::sharedInstance().resetToDefault();
}

bool KXHTMLDocuvane::packetZipFileIfNeed() {
    if (hasFailed() || !contentWriter_ || !documentWriter_) {
        closeWriters();
        finish(false);
        return false;
    }
    const std::string title = KXHTMLFileWriter::escapedUtf8(kx::pathWithoutExtension(kx::pathFileName(savedFilePath())));
    const std::string name = KXHTMLFileWriter::escapedUtf8(kx::detail::productDisplayName());
    const std::string version = KXHTMLFileWriter::escapedUtf8(kx::detail::productVersion());
    std::string generator = name;
    if (!version.empty()) generator += " " + version;
    generator += " ";
    generator += kx::detail::kProductCompany;

    KXHTMLFileWriter& out = *documentWriter_;
    out.writeFormat("<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.0 Transitional//EN\" "
                    "\"http://www.w3.org/TR/1998/REC-html40-19980424/loose.dtd\">\n");
    out.writeFormat("<!--Powered by %s-->\n", generator.c_str());
    out.writeFormat("<html>\n");
    out.writeFormat("<head>\n");
    out.writeFormat("  <title>%s</title>\n", title.c_str());
    out.writeFormat("  <meta http-equiv=\"Content-Type\" content=\"text/html; charset=utf-8\">\n");
    out.writeFormat("  <meta http-equiv=\"Content-Style-Type\" content=\"text/css\">\n");
    out.writeFormat("  <meta name=\"Generator\" content=\"%s\">\n", name.c_str());
    out.writeFormat("  <meta name=\"Version\" content=\"%s\">\n", version.c_str());
    out.writeFormat(" <style type=\"text/css\">\n");
    KXHTMLState::sharedInstance().writeRegistedCSSParagraph(out);
    KXHTMLState::sharedInstance().writeRegistedCSSSpan(out);
    out.writeFormat(" </style>\n");
    out.writeFormat("</head>\n");
    out.writeFormat("<body>");
    bool ok = closeWriter(contentWriter_.get()) && out.writeFileContents(contentWriter_->textPath());
    out.writeFormat("\n</body>\n");
    out.writeFormat("</html>");
    ok = closeWriter(documentWriter_.get()) && ok;
    finish(ok);
    return ok;
}

void KXHTMLDocuvane::closeWriters() {
    if (contentWriter_) contentWriter_->closeFile();
    if (documentWriter_) documentWriter_->closeFile();
}
