#include "engine/KXPDFOptions.h"

#include <algorithm>

KXPDFOptions::KXPDFOptions() {
    setImageDPI(144);
    setIsParserAnnots(1);
}

void KXPDFOptions::setImageDPI(std::int32_t dpi) { imageDPI_ = std::clamp<std::int32_t>(dpi, 72, 600); }
