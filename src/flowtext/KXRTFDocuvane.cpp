#include "flowtext/KXRTFDocuvane.h"

#include "flowtext/FlowProduct_p.h"
#include "flowtext/KXRTFState.h"
#include "platform/Unicode.h"

KXRTFDocuvane::KXRTFDocuvane(const std::string& path, std::int64_t numOfPages) : FlowDocument(path, numOfPages) {}

KXRTFDocuvane::~KXRTFDocuvane() = default;

void KXRTFDocuvane::begainWriteDocument() {
    closeWriters();
    contentWriter_.reset();
    documentWriter_.reset();
    if (!savedWorkFolder().empty()) contentWriter_ = KXRTFFileWriter::initWithPath(savedWorkFolder() + "/content.rtf");
    documentWriter_ = KXRTFFileWriter::initWithPath(savedFilePath());
    if (!contentWriter_ || !documentWriter_) setFailed();
    setBegainDocxOptions();
    KXRTFState::sharedInstance().resetToDefault();
}

void KXRTFDocuvane::_writeRTFInfoForKey(const std::string& key, const std::string& info) {
    documentWriter_->write("{\\" + key + " " + KXRTFFileWriter::_formatTextOfString(kx::utf8ToUtf16(info)) + "}\n");
}

void KXRTFDocuvane::_writeRTFAuthorInfo() {
    documentWriter_->write("{\\info\n");
    std::string text = "Powered by " + kx::detail::productDisplayName();
    if (std::string version = kx::detail::productVersion(); !version.empty()) text += " v" + version;
    text += " ";
    text += kx::detail::kProductCompany;
    _writeRTFInfoForKey("doccomm", text);
    documentWriter_->write("}\n");
}

bool KXRTFDocuvane::packetZipFileIfNeed() {
    if (hasFailed() || !contentWriter_ || !documentWriter_) {
        closeWriters();
        finish(false);
        return false;
    }
    KXRTFFileWriter& out = *documentWriter_;
    // Text outside ASCII is written as \u with a Windows-1252 fallback, so that is the code page.
    out.write("{\\rtf1\\ansi\\ansicpg1252\\uc1\n");
    out.write("{\\fonttbl");
    KXRTFState::sharedInstance().writeRegistedFonts(out);
    out.write("}\n");
    out.write("{\\colortbl");
    KXRTFState::sharedInstance().writeRegistedColors(out);
    out.write("}\n");
    _writeRTFAuthorInfo();
    bool ok = closeWriter(contentWriter_.get()) && out.writeFileContents(contentWriter_->textPath());
    out.write("\n}");
    ok = closeWriter(documentWriter_.get()) && ok;
    finish(ok);
    return ok;
}

void KXRTFDocuvane::closeWriters() {
    if (contentWriter_) contentWriter_->closeFile();
    if (documentWriter_) documentWriter_->closeFile();
}
