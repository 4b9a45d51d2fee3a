#include "flowtext/KXRTFPage.h"

#include <algorithm>
#include <cmath>

#include "flowtext/KXRTFState.h"
#include "platform/Format.h"

KXRTFPage::KXRTFPage(KXRTFFileWriter* writer, kx::Size pageSize, bool lastPage)
    : FlowPage(writer, pageSize, lastPage, true), writer_(writer) {}

void KXRTFPage::_writeParagraphs() { writeParagraphsOnLines(); }

void KXRTFPage::writeRunText(const kx::detail::FlowRunText& run) {
    const KXDocx_RPr& r = run.rProperty();
    KXRTFFontEntry font(r.rFonts.ascii, 2.0 * r.sz);
    font.bold = r.b;
    font.italic = r.i;
    font.underline = r.u;
    KXRTFState& state = KXRTFState::sharedInstance();
    state.writeFontAttributesIfNeed(font, *writer_);
    KXRTFColorEntry color(r.color.red / 255.0f, r.color.green / 255.0f, r.color.blue / 255.0f, 1.0);
    state.writeForegroundColorAttributesIfNeed(color, *writer_);
    writer_->writeContent(run.runText());
}

void KXRTFPage::writeNewLine(kx::detail::FlowParagraph& paragraph) {
    writer_->write("\\par");
    writer_->write("\\pard");
    float indent = std::max(0.0f, 20.0f * paragraph.pProperty().ind.left - 20.0f * paragraph.textMargin().left);
    if (!std::isfinite(indent)) indent = 0;
    writer_->write(kx::format("\\li%0.0f", static_cast<double>(indent)));
    writer_->write(" ");
}

void KXRTFPage::writeContent(std::u16string_view text) { writer_->writeContent(text); }
