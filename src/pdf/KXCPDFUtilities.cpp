#include "pdf/KXCPDFUtilities.h"

#include "platform/FileSystem.h"

namespace {

std::shared_ptr<kx::PDFDocument> openFile(const std::string& path) {
    if (!kx::fileExists(path) || kx::isDirectory(path)) return nullptr;
    return kx::PDFDocument::open(path);
}

bool locked(const kx::PDFDocument& doc) { return doc.isEncrypted() && !doc.isUnlocked(); }

}  // namespace

bool KXCPDFUtilities::isPDFDocumentValidAtPath(const std::string& path) { return openFile(path) != nullptr; }

bool KXCPDFUtilities::isPDFDocumentLockedAtPath(const std::string& path) {
    auto doc = openFile(path);
    return !doc || locked(*doc);
}

bool KXCPDFUtilities::isPDFDocumentLockPritingAtPath(const std::string& path) {
    auto doc = openFile(path);
    return !doc || locked(*doc) || !doc->allowsPrinting();
}

bool KXCPDFUtilities::isAllowPrintingPDFDcoumentAtPath(const std::string& path, const std::string& password) {
    auto doc = openFile(path);
    if (!doc) return false;
    if (!password.empty() && (!doc->unlockWithPassword(password) || locked(*doc))) return false;
    return doc->allowsPrinting();
}

std::shared_ptr<kx::PDFDocument> KXCPDFUtilities::initPDFDocumentAtPath(const std::string& path,
                                                                        const std::string& password) {
    auto doc = openFile(path);
    if (!doc) return nullptr;
    if (!password.empty() && (!doc->unlockWithPassword(password) || locked(*doc))) return nullptr;
    return doc;
}
