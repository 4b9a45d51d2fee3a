#pragma once
// The application's document checks: is a file a PDF, is it locked, may it be printed, and opening
// it with a password. Each check opens the document afresh.

#include <memory>
#include <string>

#include "platform/pdf/PDFDocument.h"

class KXCPDFUtilities {
public:
    // Something that is not a folder exists at the path and opens as a PDF.
    static bool isPDFDocumentValidAtPath(const std::string& path);
    // It cannot be opened, or is encrypted and not unlocked.
    static bool isPDFDocumentLockedAtPath(const std::string& path);
    // It cannot be opened, is encrypted and not unlocked, or does not allow printing.
    static bool isPDFDocumentLockPritingAtPath(const std::string& path);
    // False when it cannot be opened, or a non-empty password fails to unlock it; otherwise whether it
    // allows printing.
    static bool isAllowPrintingPDFDcoumentAtPath(const std::string& path, const std::string& password);
    // The opened document (unlocked first with a non-empty password; nullptr when that fails); with an
    // empty password it is returned as opened, locked or not.
    static std::shared_ptr<kx::PDFDocument> initPDFDocumentAtPath(const std::string& path, const std::string& password);
};
