#pragma once
// The flow page of the RTF output: each paragraph "\par\pard" and its left indentation, each run
// the font and colour control words that change, then its escaped text.

#include <string_view>

#include "flowtext/FlowPage.h"
#include "flowtext/KXRTFFileWriter.h"

class KXRTFPage : public kx::detail::FlowPage {
public:
    KXRTFPage(KXRTFFileWriter* writer, kx::Size pageSize, bool lastPage);

    void _writeParagraphs() override;

protected:
    void writeRunText(const kx::detail::FlowRunText& run) override;
    // Starts a new paragraph indented by the distance beyond the page's text margin, in twips.
    void writeNewLine(kx::detail::FlowParagraph& paragraph) override;
    void writeContent(std::u16string_view text) override;

private:
    KXRTFFileWriter* writer_;
};
