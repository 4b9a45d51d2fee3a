#include "pdf/annot/KXPDFAnnotAppearance.h"

kx::PDFObject KXPDFAnnotAppearance::getAppearanceStream(std::int64_t mode, const std::string& state) const {
    kx::PDFObject normal = appearDict_.dictGet("N");
    if (mode == 0) {
        if (normal.isStream()) return normal;
        // A dictionary of states: the stream of the state, else the one under "0".
        if (!normal.isDictionary() || state.empty()) return {};
        kx::PDFObject stream = normal.dictGet(state);
        if (stream.isStream()) return stream;
        stream = normal.dictGet("0");
        return stream.isStream() ? stream : kx::PDFObject();
    }
    if (mode != 1 && mode != 2) return {};
    kx::PDFObject stream = appearDict_.dictGet(mode == 1 ? "R" : "D");
    if (stream.isStream()) return stream;
    return normal.isStream() ? normal : kx::PDFObject();
}
