#include "fonts/KXPDFFontCharProc.h"

KXPDFFontCharProc::KXPDFFontCharProc(const kx::PDFObject& stream)
    : xObjectStream_(stream), xObjectDictionary_(stream.streamDictionary()) {}
