#pragma once
// A text box: a rectangle without fill or line that holds paragraphs of runs, turned by its
// rotation about its centre.

#include "pptx/KXPPTXShape.h"
#include "pptx/KXPPTXTextBoxInfo.h"

class KXPPTXTextbox : public KXPPTXShape {
public:
    KXPPTXTextbox() : KXPPTXShape(kTextBox) {}

    const KXPPTXTextBoxInfo& spInfo() const { return spInfo_; }
    void setSpInfo(const KXPPTXTextBoxInfo& info) { spInfo_ = info; }

protected:
    void write_nvSpPr(XMLFileWriter& writer) override;
    // The box at its place: turned about its centre so that its turned top-left corner stands at
    // (displayX, displayY), the start of its text; at exactly 90 or 270 degrees the height is
    // written along x and the width along y (the box's size is kept as it stands on the page).
    void write_spPr(XMLFileWriter& writer) override;
    // Body properties (wrap, insets, no anchor), then the paragraphs; an empty paragraph when none
    // of them has text, since a text body holds at least one.
    void write_txBody(XMLFileWriter& writer) override;

private:
    KXPPTXTextBoxInfo spInfo_;
};
