#include "pptx/KXPPTXPropertyRecords.h"

namespace {

bool sameFont(const KXPPTX_RunPr_Font& a, const KXPPTX_RunPr_Font& b) {
    return a.typeface == b.typeface && a.pitchFamily == b.pitchFamily && a.charset == b.charset;
}

}  // namespace

bool KXPPTXRunPrIsEqual(const KXPPTX_RunPr& a, const KXPPTX_RunPr& b) {
    // Bold and italic count too: a run keeps the properties of its first string, so a change of
    // weight or slant that continued the run would be lost.
    return a.lang == b.lang && a.altLang == b.altLang && a.sz == b.sz && a.dirty == b.dirty &&
           a.smtClean == b.smtClean && a.rgbColor && a.rgbColor == b.rgbColor && a.b == b.b && a.i == b.i &&
           sameFont(a.latin, b.latin) && sameFont(a.cs, b.cs);
}
