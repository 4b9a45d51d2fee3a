#pragma once
// One Word section of the DOCX output: a horizontal band of a page (or of a table cell or a text
// box) as wide as the text area, holding one or more side-by-side columns of text lines. The
// section lays its lines out as paragraphs whose spacing reproduces their vertical places, fills
// empty space with blank paragraphs, recognises alignment and indents, joins lines into running
// paragraphs, and writes itself followed by the section break that carries its column layout.
//
// The operations fall into parts, each in a file of its own:
//   KXDocxPageSection.cpp            the model, construction and look-ups
//   KXDocxPageSection_Columns.cpp    the Word column layout and the text frame
//   KXDocxPageSection_Layout.cpp     lines to paragraphs and blank space
//   KXDocxPageSection_Create.cpp     sections from a set of text runs
//   KXDocxPageSection_Alignment.cpp  text alignment and indents
//   KXDocxPageSection_Merging.cpp    joining line paragraphs
//   KXDocxPageSection_Spacing.cpp    spacing corrections
//   KXDocxPageSection_Output.cpp     writing and section breaks
//   KXDocxPageSection_Tables.cpp     tables in blank space
//
// Coordinates are page points, origin at the top left, y downward.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "docx/model/KXDocxParagraph.h"
#include "docx/model/KXDocxPropertyRecords.h"
#include "docx/model/KXDocxRunTextLine.h"
#include "docx/model/KXDocxWriterObject.h"
#include "platform/Geometry.h"

class KXDocxPage;
class KXDocxTable;
using KXDocxTableArray = std::vector<std::shared_ptr<KXDocxTable>>;

using KXDocxParagraphArray = std::vector<std::shared_ptr<KXDocxParagraph>>;
// A column of the section's content: paragraphs, and the tables placed among them.
using KXDocxWriterObjectArray = std::vector<std::shared_ptr<KXDocxWriterObject>>;

class KXDocxPageSection : public KXDocxWriterObject,
                          public std::enable_shared_from_this<KXDocxPageSection> {
public:
    // The section type of a table cell's or text box's own content: it writes no section break.
    static constexpr int kInnerSectionType = 6;

    KXDocxPageSection();
    explicit KXDocxPageSection(const KXDocx_SectPr& sectProperty);
    ~KXDocxPageSection() override = default;

    // The section of a page without text: one empty paragraph of the default line at the top left
    // of the text area.
    static std::shared_ptr<KXDocxPageSection> BankPageSectionWithSectProperty(const KXDocx_SectPr& sectProperty);
    // The runs laid out as sections, top to bottom (duplicate and blank runs are taken out of the
    // array); empty when no text is left.
    static std::vector<std::shared_ptr<KXDocxPageSection>> CreatePageSection(KXDocxRunTextArray& runs,
                                                                              KXDocx_SectPr sectProperty,
                                                                              bool isColumnMode);

    std::string description() const;

    // Look-ups over the paragraphs; a paragraph "carries a break" when its section record is to be
    // written.
    std::shared_ptr<KXDocxParagraph> firstParagraph() const;
    std::shared_ptr<KXDocxParagraph> firstTextParagraph() const;
    std::shared_ptr<KXDocxParagraph> lastParagraph() const;
    // The paragraph after which content at the point belongs; null when none.
    std::shared_ptr<KXDocxParagraph> insertParagraph(kx::Point point) const;
    KXDocxRunTextArray allRunTextArray() const;

    // Line extents: 0 for no lines; running extremes in single precision.
    double _minLeftXOfLineArrayA(const KXDocxRunTextLineArray& lines) const;
    double _maxRightXOfLineArrayA(const KXDocxRunTextLineArray& lines) const;
    double _maxRightXOfLineArrayA_SpaceBehind(const KXDocxRunTextLineArray& lines) const;

    // Column layout (KXDocxPageSection_Columns.cpp).
    double minSeparatedColumSpace() const;
    bool IsPageSectionEquallySeparatedColums(double* space) const;
    // Whether the text of every column group lies inside its column of the equal grid with this
    // space between the columns.
    bool isTextInsideEqualColums(double space) const;
    void createSectProperty_Cols();
    void updateColumGroupFrame();

    // Layout (KXDocxPageSection_Layout.cpp).
    void setColumGroupArray(std::vector<KXDocxRunTextLineArray> groups);
    static std::vector<KXDocxRunTextLineArray> MergeRunTextLineWithColumGroupArray(
        const std::vector<KXDocxRunTextLineArray>& groups);
    static void RemoveScriptIfNeed(const std::vector<KXDocxRunTextLineArray>& groups);
    void createFootBlankParagraphArray();

    // Alignment (KXDocxPageSection_Alignment.cpp).
    static long NumberOf(const KXDocxRunTextLineArray& lines, int textAlign);
    static int RecognizeTextAlignTrend(const KXDocxRunTextLineArray& lines, const kx::Rect& columnContentFrame,
                                       const kx::Rect& columnFrame);
    static int RecognizeTextAlign(const KXDocxRunTextLine* line, const KXDocxRunTextLine* runTextLineLast,
                                  int textAlignLast, int textAlignTrend, const kx::Rect& columnContentFrame,
                                  const kx::Rect& columnFrame);
    static double Ind_MinLeftOfParagraphs(const KXDocxParagraphArray& paragraphs);
    static double Ind_SubMinLeftOfParagraphs(const KXDocxParagraphArray& paragraphs);
    // The indents of a paragraph joined from a group whose first paragraph is `first`.
    static void SetMergedParagraphIndents(KXDocxParagraph& merged, const KXDocxParagraphArray& group);

    // Merging (KXDocxPageSection_Merging.cpp).
    void optimizeParagraphs();
    KXDocxParagraphArray mergeParagraphsIfNeed(const KXDocxParagraphArray& column);
    KXDocxParagraphArray findMergeParagraphs(const KXDocxParagraphArray& rest);
    std::shared_ptr<KXDocxParagraph> mergeParagraphs(const KXDocxParagraphArray& group);
    bool canBeExtendWidth(const KXDocxParagraphArray& paragraphs, int textAlign) const;
    bool testAllHeightEnough(const KXDocxParagraphArray& paragraphs, double distance) const;
    static int Recognize2LineTextAlignForMerger(const KXDocxParagraphArray& paragraphs);
    static int Recognize3LineTextAlignForMerger(const KXDocxParagraphArray& paragraphs);
    static bool HaveSameFont(const KXDocxParagraph& a, const KXDocxParagraph& b);

    // Spacing (KXDocxPageSection_Spacing.cpp).
    void fixErrorSpaceInParagraphs(const KXDocxParagraphArray& paragraphs);
    std::vector<KXDocxWriterObjectArray> autoFitParagraphSpacing();
    double moveUpParagraphIfNeed(double shift);

    // Output (KXDocxPageSection_Output.cpp).
    void writeWithXMLWriter(XMLFileWriter& writer) override;

    // Tables in blank space (KXDocxPageSection_Tables.cpp). Paragraph arrays 0 and N are the content
    // before and after a blank area, as columns of objects; either may be absent.
    // The union of the paragraphs' content frames (more than 0.5 by 0.5); with isMaxWidth the first
    // one's column gives the width.
    static kx::Rect FrameOfParagraphArray(const KXDocxParagraphArray& paragraphs, bool isMaxWidth);
    // The tables that lie inside the blank rectangle, each shrunk by up to 20 pt first.
    static KXDocxTableArray FindBlankParagraphArray(const kx::Rect& blank, const KXDocxTableArray& tables);
    // The objects that replace the blank paragraphs: the tables in the flow with blank paragraphs or
    // spacing round them (the blank paragraphs themselves when nothing fits); the tables that do not
    // fit leave `tables`.
    static KXDocxWriterObjectArray InsertTables(KXDocxTableArray& tables, const KXDocxParagraphArray& blanks,
                                                const std::vector<KXDocxWriterObjectArray>* paragraphArray0,
                                                const std::vector<KXDocxWriterObjectArray>* paragraphArrayN);
    // The tables (sorted in reading order) and blank paragraphs filling the blank rectangle, the
    // space the tables lack borrowed from the content before or after; a table that cannot be fitted
    // leaves `tables`.
    static KXDocxWriterObjectArray CreateParagraphsAndTables(KXDocxTableArray& tables, const kx::Rect& blankFrame,
                                                             const std::shared_ptr<KXDocxParagraph>& example,
                                                             const std::vector<KXDocxWriterObjectArray>* paragraphArray0,
                                                             const std::vector<KXDocxWriterObjectArray>* paragraphArrayN);
    // Whether every column can lend the space (negative: the overlap to remove, 0.1 more is taken)
    // from its paragraphs nearest the blank area; when all can, each does.
    static bool BorrowParagraphArray0(const std::vector<KXDocxWriterObjectArray>* paragraphArray0, double yTopSpace);
    static bool BorrowParagraphArrayN(const std::vector<KXDocxWriterObjectArray>* paragraphArrayN, double yBottomSpace);
    static bool BorrowParagraphColum(const KXDocxWriterObjectArray& column, double ySpace, bool afterFirst, bool isSave);
    // From the spacing next to the blank area, then all its spacing, then an empty paragraph's line,
    // then its lines down to 0.9 of the font size; with isSave the paragraph changes.
    static bool BorrowParagraph(KXDocxParagraph& paragraph, double ySpace, bool afterFirst, bool isSave);
    // Adds the space before the first (beforeLine) or after the last paragraph of every column.
    static bool GiveYSpaceToParagraphColumArray(double ySpace, bool beforeLine,
                                                const std::vector<KXDocxWriterObjectArray>* columns);
    static bool GiveYSpaceToParagraphColum(double ySpace, bool beforeLine, const KXDocxWriterObjectArray& column);

    KXDocxPage* superPage() const { return superPage_; }
    void setSuperPage(KXDocxPage* page) { superPage_ = page; }
    const KXDocx_SectPr& sectProperty() const { return sectProperty_; }
    void setSectProperty(const KXDocx_SectPr& property) { sectProperty_ = property; }
    int sectionType() const { return sectionType_; }
    void setSectionType(int type) { sectionType_ = type; }
    bool isDocumentFirstPage() const { return isDocumentFirstPage_; }
    void setIsDocumentFirstPage(bool value) { isDocumentFirstPage_ = value; }
    bool isDocumentLastPage() const { return isDocumentLastPage_; }
    void setIsDocumentLastPage(bool value) { isDocumentLastPage_ = value; }
    bool isPageHeadSection() const { return isPageHeadSection_; }
    void setIsPageHeadSection(bool value) { isPageHeadSection_ = value; }
    bool isPageFootSection() const { return isPageFootSection_; }
    void setIsPageFootSection(bool value) { isPageFootSection_ = value; }
    const kx::Rect& sectionFrame() const { return sectionFrame_; }
    void setSectionFrame(const kx::Rect& frame) { sectionFrame_ = frame; }
    const kx::Rect& columGroupFrame() const { return columGroupFrame_; }
    void setColumGroupFrame(const kx::Rect& frame) { columGroupFrame_ = frame; }
    const std::vector<KXDocxRunTextLineArray>& columGroupArray() const { return columGroupArray_; }
    const std::vector<KXDocxWriterObjectArray>& paragraphGroupArray() const { return paragraphGroupArray_; }
    void setParagraphGroupArray(std::vector<KXDocxWriterObjectArray> groups) { paragraphGroupArray_ = std::move(groups); }
    const std::shared_ptr<KXDocxPageSection>& previousPageSection() const { return previousPageSection_; }
    void setPreviousPageSection(std::shared_ptr<KXDocxPageSection> section) { previousPageSection_ = std::move(section); }
    const KXDocxParagraphArray& headBlankParagraphArray() const { return headBlankParagraphArray_; }
    const KXDocxParagraphArray& footBlankParagraphArray() const { return footBlankParagraphArray_; }
    double footBlankHeight() const { return footBlankHeight_; }
    void setFootBlankHeight(double height) { footBlankHeight_ = height; }
    // The tables the page gave this band (runs of the table model).
    const std::vector<std::shared_ptr<KXDocxRun>>& allTableArray() const { return allTableArray_; }
    void addTable(std::shared_ptr<KXDocxRun> table) { allTableArray_.push_back(std::move(table)); }
    const KXDocxWriterObjectArray& allWriteXMLObjects() const { return allWriteXMLObjects_; }

private:
    friend struct KXDocxPageSectionLayout;

    // The text width of the section: page width less the side margins.
    double textWidth() const;
    bool isMultiColumn() const { return paragraphGroupArray_.size() >= 2; }
    KXDocxParagraphArray paragraphsOfGroup(const KXDocxRunTextLineArray& lines, const kx::Rect& groupFrame,
                                           const kx::Rect& columnFrame, int trend);

    // Output steps.
    void appendBreakParagraph(const std::shared_ptr<KXDocxParagraph>& from, const KXDocx_SectPr& record);
    KXDocx_SectPr breakRecord(const std::shared_ptr<KXDocxParagraph>& from) const;
    bool newPageRule(bool narrow) const;
    void alignBlankParagraphs(const KXDocxParagraphArray& blanks, const std::shared_ptr<KXDocxParagraph>& sample,
                              bool append);
    void writeContent(KXDocxTableArray& tables);
    // Tables lying in a column take the place of the paragraphs they cover.
    void placeTablesInColumns(KXDocxTableArray& tables);
    void appendWithTables(const KXDocxParagraphArray& blanks, KXDocxTableArray& tables,
                          const std::vector<KXDocxWriterObjectArray>* paragraphArray0,
                          const std::vector<KXDocxWriterObjectArray>* paragraphArrayN, const kx::Rect& frame);
    static void removeTables(KXDocxTableArray& tables, const KXDocxTableArray& placed);
    void writeBeforeBlankParagraphs(const std::shared_ptr<KXDocxParagraph>& paragraph);

    KXDocxPage* superPage_ = nullptr;
    KXDocx_SectPr sectProperty_;
    int sectionType_ = 0;
    bool isDocumentFirstPage_ = false;
    bool isDocumentLastPage_ = false;
    bool isPageHeadSection_ = false;
    bool isPageFootSection_ = false;
    kx::Rect sectionFrame_;
    kx::Rect columGroupFrame_;
    std::vector<KXDocxRunTextLineArray> columGroupArray_;
    std::vector<KXDocxWriterObjectArray> paragraphGroupArray_;
    std::shared_ptr<KXDocxPageSection> previousPageSection_;
    KXDocxParagraphArray headBlankParagraphArray_;
    KXDocxParagraphArray footBlankParagraphArray_;
    double footBlankHeight_ = 0;
    std::vector<std::shared_ptr<KXDocxRun>> allTableArray_;
    KXDocxWriterObjectArray allWriteXMLObjects_;
};
