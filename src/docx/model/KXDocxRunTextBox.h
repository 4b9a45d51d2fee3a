#pragma once
// A floating frame of text: text turned by about 90, 180 or 270 degrees, or the text of a free-text
// annotation with its border and fill. Its content is either paragraphs filled run by run, or the
// box's runs laid out like a small page as sections (page objects that write themselves); sections,
// when there are any, take the place of the paragraphs. It writes itself as a VML text box whose
// content is ordinary WordprocessingML paragraphs.

#include <memory>
#include <vector>

#include "docx/model/KXDocxParagraph.h"
#include "docx/model/KXDocxRunPict.h"
#include "docx/model/KXDocxRunText.h"
#include "docx/model/KXDocxTextBoxInfo.h"

class KXDocxRunTextBox : public KXDocxRunPict {
public:
    KXDocxRunTextBox() = default;
    ~KXDocxRunTextBox() override = default;

    // A copy with the same record and content (the content objects are shared).
    std::shared_ptr<KXDocxRun> copy() const override;

    // (displayX, displayY, displayWidth, displayHeight) of the record, not turned.
    kx::Rect displayRect() const override;
    // The runs of the sections when the box has sections, else those of its paragraphs.
    KXDocxRunTextArray allRunTextArray() const;

    // The rotation that most of the boxes share: 90 (above 85, below 95), 180 (above 175, below
    // 185), 270 (above 265, below 275) or 0 (any other, and no boxes); a tie goes to the earlier of
    // other, 90, 180, 270.
    static int RotationOfRunTextBoxArray(const std::vector<std::shared_ptr<KXDocxRunTextBox>>& boxes);

    // A w:r holding a w:pict with the VML text box (and the text-box shape type the first time).
    void writeWithXMLWriter(XMLFileWriter& writer) override;
    void _writeTextBox(XMLFileWriter& writer);
    void _writeParagraphs(XMLFileWriter& writer);

    std::vector<std::shared_ptr<KXDocxParagraph>>& paragraphArray() { return paragraphArray_; }
    const std::vector<std::shared_ptr<KXDocxParagraph>>& paragraphArray() const { return paragraphArray_; }
    void setParagraphArray(std::vector<std::shared_ptr<KXDocxParagraph>> paragraphs) {
        paragraphArray_ = std::move(paragraphs);
    }
    const std::vector<std::shared_ptr<KXDocxWriterObject>>& allPageSectionArray() const { return allPageSectionArray_; }
    // The sections laid out from `runs`, which the box then reports as its runs.
    void setAllPageSectionArray(std::vector<std::shared_ptr<KXDocxWriterObject>> sections, KXDocxRunTextArray runs) {
        allPageSectionArray_ = std::move(sections);
        sectionRuns_ = std::move(runs);
    }
    KXDocxTextBoxInfo& pictInfo() { return pictInfo_; }
    const KXDocxTextBoxInfo& pictInfo() const { return pictInfo_; }
    void setPictInfo(const KXDocxTextBoxInfo& info) { pictInfo_ = info; }

protected:
    KXDocxRunTextBox(const KXDocxRunTextBox&) = default;
    KXDocxRunTextBox& operator=(const KXDocxRunTextBox&) = default;

private:
    KXDocxTextBoxInfo pictInfo_;
    std::vector<std::shared_ptr<KXDocxParagraph>> paragraphArray_;
    std::vector<std::shared_ptr<KXDocxWriterObject>> allPageSectionArray_;
    KXDocxRunTextArray sectionRuns_;
};
