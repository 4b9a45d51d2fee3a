#include "flowtext/KXRTFRunText.h"

#include "flowtext/KXRTFState.h"

void KXRTFRunText::writeWithXMLWriter(KXRTFFileWriter& writer) {
    const KXDocx_RPr& r = rProperty();
    KXRTFFontEntry font(r.rFonts.ascii, 2.0 * r.sz);
    font.bold = r.b;
    font.italic = r.i;
    font.underline = r.u;
    KXRTFState& state = KXRTFState::sharedInstance();
    state.writeFontAttributesIfNeed(font, writer);
    KXRTFColorEntry color(r.color.red / 255.0f, r.color.green / 255.0f, r.color.blue / 255.0f, 1.0);
    state.writeForegroundColorAttributesIfNeed(color, writer);
    writer.writeContent(runText());
}
