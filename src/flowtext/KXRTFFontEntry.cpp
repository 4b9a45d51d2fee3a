#include "flowtext/KXRTFFontEntry.h"

#include "flowtext/KXRTFFileWriter.h"
#include "platform/Format.h"

std::string KXRTFFontEntry::rtfFormat() const {
    return kx::format("\\f%d\\fnil\\fcharset0 %s;", fontIndex, KXRTFFileWriter::formatFontName(fontName).c_str());
}
