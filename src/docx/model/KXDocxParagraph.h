#pragma once
// One Word paragraph of the page model. A section hands it a run of lines of one column with the
// vertical space above, within and below them, the column's frame, the alignment and the section
// properties. The paragraph then turns each line into a write group, deciding for every gap between
// two runs whether it becomes nothing, a blank, a tab or a correction of the spacing after a run;
// resolves its spacing before and after, its line spacing and rule, left indent and alignment;
// takes its mark's run properties from its first written line; measures its content frame and
// first word; and writes itself as one "w:p".
//
// Text boxes fill paragraphs run by run instead (addRunTextArray), and sections fill empty space
// with blank paragraphs (BlankParagraph). Geometry is in display space (points, y downward).

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "docx/model/KXDocxPropertyRecords.h"
#include "docx/model/KXDocxRun.h"
#include "docx/model/KXDocxRunTextLine.h"
#include "docx/model/KXDocxWriterObject.h"
#include "platform/Geometry.h"

using KXDocxRunArray = std::vector<std::shared_ptr<KXDocxRun>>;

class KXDocxParagraph : public KXDocxWriterObject {
public:
    // Default paragraph and run properties, the hidden default section, no lines.
    KXDocxParagraph();
    ~KXDocxParagraph() override = default;

    // The paragraph of these lines (kept, not copied; their runs are adjusted for writing): write
    // groups and text, then the given space, frame and alignment (jc), then the resolved
    // properties and the content frame. The section record is kept with shouldWrite off.
    static std::shared_ptr<KXDocxParagraph> initWithLineArray(KXDocxRunTextLineArray lines, double yBefore,
                                                              double yHeight, double yAfter,
                                                              const kx::Rect& columnFrame, int textAlign,
                                                              const KXDocx_SectPr& sectProperty);
    static std::shared_ptr<KXDocxParagraph> initWithLineArray(KXDocxRunTextLineArray lines);

    std::shared_ptr<KXDocxParagraph> copy() const { return std::make_shared<KXDocxParagraph>(*this); }
    std::string description() const;

    // Nothing to write: no spacing to keep, no section break, no runs and no picture.
    bool isCanIgnore() const;
    // Every run of every line, line after line.
    KXDocxRunTextArray allRunTextArray() const;
    void setupOutline(int level) { pProperty_.outlineLvl = level; }
    // Whether the paragraph carries an outline entry's title (see KXDocxParagraph_Outline.cpp): never
    // once it has an outline level.
    bool compareOutLine(std::u16string_view title, bool likeDetect) const;
    void setSpaceLineBefore(double value) { pProperty_.spacing.before = static_cast<float>(value); }
    void setSpaceLine(double value) { pProperty_.spacing.line = static_cast<float>(value); }
    void setSpaceLineAfter(double value) { pProperty_.spacing.after = static_cast<float>(value); }
    // A blank paragraph's line height (its mark's size no larger than the line).
    void setBlankParagraphSpaceLine(double value);
    // The union of the text runs' frames, and the first word with its width.
    void updateContentFrame();
    // Text boxes: the runs go to the first line (a new one when there is none).
    void addRunTextArray(const KXDocxRunTextArray& runs);
    // The width of the first line's text runs; 0 without lines.
    double firstLineTextWidth() const;
    std::shared_ptr<KXDocxRunTextLine> firstRunLineText() const;
    // No line, or a first line of nothing but white space and control characters.
    bool isParagraphBlankText() const;

    // Joining runs for writing (see KXDocxParagraph_Joining.cpp).
    void resetRunTextTextSpacing();
    void convertToWriteRunArray(const KXDocxRunTextLineArray& lines);
    void fixOutsideSpacingError();
    // A run of one character set closer to the next run than its own width hands that condensing
    // to the text run on its left.
    void moveOneCharacterCondensingLeft();

    // The last text run of the first write group; null when there is none.
    std::shared_ptr<KXDocxRunText> lastRunText();
    // One write group of every run of every line (text-box paragraphs).
    void convertToWriteRunArrayFloatRunPict();
    // Puts floating pictures at the front of the first write group.
    void insertRunPictArray(const KXDocxRunArray& picts);
    // The mean distance between the bottoms of consecutive lines (one line: the block height).
    double averageSpacingLineWithRunTextLines() const;
    // Spacing before and after, line spacing and rule, left indent, mark properties; returns the
    // change of the line spacing.
    double resolvePProperty();

    // Writing (see KXDocxParagraph_Writing.cpp).
    bool haveRunTab() const;
    KXDocx_Tabs tabsPropertyInParagraph() const;
    void writeWithXMLWriter(XMLFileWriter& writer) override;

    // The first paragraph among the objects; null when none is.
    static std::shared_ptr<KXDocxParagraph> FirstParagraph(const std::vector<std::shared_ptr<KXDocxWriterObject>>& objects);
    // Empty paragraphs of exact line height filling b points from y0 down, top to bottom.
    static std::vector<std::shared_ptr<KXDocxParagraph>> BlankParagraph(double b, double spaceLine, double indLeft,
                                                                         double indRight, int textAlign,
                                                                         const KXDocx_RPr& rProperty,
                                                                         const KXDocx_SectPr& sectProperty,
                                                                         double originY, const kx::Rect& columnFrame);

    const KXDocx_PPr& pProperty() const { return pProperty_; }
    void setPProperty(const KXDocx_PPr& property) { pProperty_ = property; }
    const KXDocx_RPr& rProperty() const { return rProperty_; }
    void setRProperty(const KXDocx_RPr& property) { rProperty_ = property; }
    const KXDocx_SectPr& sectProperty() const { return sectProperty_; }
    void setSectProperty(const KXDocx_SectPr& property) { sectProperty_ = property; }
    const KXDocxRunTextLineArray& lineArray() const { return lineArray_; }
    void setLineArray(KXDocxRunTextLineArray lines) { lineArray_ = std::move(lines); }
    double resolvedHeight() const { return resolvedHeight_; }
    void setResolvedHeight(double height) { resolvedHeight_ = height; }
    bool breakColumn() const { return breakColumn_; }
    void setBreakColumn(bool value) { breakColumn_ = value; }
    const kx::Rect& columnFrame() const { return columnFrame_; }
    void setColumnFrame(const kx::Rect& frame) { columnFrame_ = frame; }
    const kx::Rect& contentFrame() const { return contentFrame_; }
    void setContentFrame(const kx::Rect& frame) { contentFrame_ = frame; }
    const std::u16string& paragraphText() const { return paragraphText_; }
    void setParagraphText(std::u16string text) { paragraphText_ = std::move(text); }
    double yBefore() const { return yBefore_; }
    void setYBefore(double y) { yBefore_ = y; }
    double yHeight() const { return yHeight_; }
    void setYHeight(double y) { yHeight_ = y; }
    double yAfter() const { return yAfter_; }
    void setYAfter(double y) { yAfter_ = y; }
    double firstWordWidth() const { return firstWordWidth_; }
    void setFirstWordWidth(double width) { firstWordWidth_ = width; }
    const std::vector<KXDocxRunArray>& writeRunGroupArray() const { return writeRunGroupArray_; }
    void setWriteRunGroupArray(std::vector<KXDocxRunArray> groups) { writeRunGroupArray_ = std::move(groups); }
    const std::u16string& firstWord() const { return firstWord_; }
    void setFirstWord(std::u16string word) { firstWord_ = std::move(word); }

private:
    KXDocx_PPr pProperty_;
    KXDocx_RPr rProperty_;
    KXDocx_SectPr sectProperty_;
    KXDocxRunTextLineArray lineArray_;
    double resolvedHeight_ = 0;
    bool breakColumn_ = false;
    kx::Rect columnFrame_;
    kx::Rect contentFrame_;
    std::u16string paragraphText_;
    double yBefore_ = 0;
    double yHeight_ = 0;
    double yAfter_ = 0;
    double firstWordWidth_ = 0;
    std::vector<KXDocxRunArray> writeRunGroupArray_;
    std::u16string firstWord_;
};
