#pragma once
// One cell of a detected table. The table model makes one cell for every rectangle of its point grid
// and tells it which texts and which filled paths lie in it; the cell then decides on its own which
// lines form its four borders, whether and with what colour it is shaded, how its texts are laid out
// into sections inside its frame, and how it is written as a WordprocessingML "tc". A cell that
// belongs to a merged-cell group gives its content and output over to the group.

#include <memory>
#include <string>
#include <vector>

#include "docx/model/KXDocxParagraph.h"
#include "docx/model/KXDocxPropertyRecords.h"
#include "docx/model/KXDocxRunPath.h"
#include "docx/model/KXDocxRunText.h"
#include "docx/page/layout/KXDocxTableBorder.h"
#include "docx/page/layout/KXDocxTableRect.h"
#include "platform/Range.h"

class KXDocxPageSection;
class KXDocxTable;
class KXDocxTableCellGroup;
class KXDocxTableRow;

class KXDocxTableCell : public KXDocxTableRect {
public:
    KXDocxTableCell();
    // The cell spanned by four grid points: default cell properties and its four borders; a line
    // shared by two opposite edges belongs to the bottom and the right one.
    KXDocxTableCell(std::shared_ptr<KXDocxTablePoint> topLeft, std::shared_ptr<KXDocxTablePoint> topRight,
                    std::shared_ptr<KXDocxTablePoint> bottomLeft, std::shared_ptr<KXDocxTablePoint> bottomRight);
    // The cell spanned by four grid points with borders already made (a table shares the border of
    // an edge between the two cells on either side of it).
    KXDocxTableCell(std::shared_ptr<KXDocxTablePoint> topLeft, std::shared_ptr<KXDocxTablePoint> topRight,
                    std::shared_ptr<KXDocxTablePoint> bottomLeft, std::shared_ptr<KXDocxTablePoint> bottomRight,
                    std::shared_ptr<KXDocxTableBorder> top, std::shared_ptr<KXDocxTableBorder> bottom,
                    std::shared_ptr<KXDocxTableBorder> left, std::shared_ptr<KXDocxTableBorder> right);
    ~KXDocxTableCell() override = default;

    std::string description() const;

    // The cached paragraph; else the group's, else the first paragraph of the content, then kept.
    std::shared_ptr<KXDocxParagraph> sampleParagraph();
    // The group when the cell is in one, else the cell itself.
    KXDocxTableCell* displayTableCell();
    // Works out the pieces and style lines of the top, bottom, left and right borders.
    void initProcessBorders();
    // Each adds the object once; always true.
    bool addRunTextIfNeed(const std::shared_ptr<KXDocxRunText>& run);
    bool addTableShadingRunPathIfNeed(const std::shared_ptr<KXDocxRunPath>& path);
    // The drawn width of each side of the cell properties' borders.
    double displayBoarderSizeTop() const;
    double displayBoarderSizeLeft() const;
    double displayBoarderSizeRight() const;
    double displayBoarderSizeBottom() const;
    // The union of the texts' frames; the zero rectangle without texts.
    kx::Rect allRunTextBounds() const;
    // The texts one after another.
    std::u16string cellText() const;
    // The paths that draw two edges of the cell: top and bottom, left and right, bottom and right,
    // top and left; each once.
    KXDocxRunPathArray allBorderRunPaths() const;
    // The texts laid out as sections inside the cell's frame (less its borders); nothing for a cell
    // in a group, which lays out the merged content.
    virtual void createParagraphArrayIfNeed();
    // The fill of the path that covers most of the cell; no shading for a white fill on a white page.
    KXDocx_Shading cellShading() const;
    // Width, borders and shading.
    void createXMLProperty() override;
    // The "tc": the cell itself, its group's cell, a continuation of a vertical merge, or nothing
    // (a later column of a group).
    void writeWithXMLWriter(XMLFileWriter& writer) override;

    KXDocxTableRow* superTableRow() const { return superTableRow_; }
    void setSuperTableRow(KXDocxTableRow* row) { superTableRow_ = row; }
    KXDocxTableCellGroup* superTableCellGroup() const { return superTableCellGroup_; }
    void setSuperTableCellGroup(KXDocxTableCellGroup* group) { superTableCellGroup_ = group; }
    std::vector<std::shared_ptr<KXDocxTable>>& allSubTableArray() { return allSubTableArray_; }
    const KXDocx_TcPr& tcProperty() const { return tcProperty_; }
    void setTcProperty(const KXDocx_TcPr& property) { tcProperty_ = property; }
    const KXDocxRunPathArray& tableShadingRunPaths() const { return tableShadingRunPaths_; }
    KXDocxRunTextArray& allRunTextArray() { return allRunTextArray_; }
    const KXDocxRunTextArray& allRunTextArray() const { return allRunTextArray_; }
    const std::vector<std::shared_ptr<KXDocxPageSection>>& allPageSectionArray() const { return allPageSectionArray_; }
    const std::shared_ptr<KXDocxTableBorder>& borderTop() const { return borderTop_; }
    const std::shared_ptr<KXDocxTableBorder>& borderBottom() const { return borderBottom_; }
    const std::shared_ptr<KXDocxTableBorder>& borderLeft() const { return borderLeft_; }
    const std::shared_ptr<KXDocxTableBorder>& borderRight() const { return borderRight_; }
    void setBorderTop(std::shared_ptr<KXDocxTableBorder> b) { borderTop_ = std::move(b); }
    void setBorderBottom(std::shared_ptr<KXDocxTableBorder> b) { borderBottom_ = std::move(b); }
    void setBorderLeft(std::shared_ptr<KXDocxTableBorder> b) { borderLeft_ = std::move(b); }
    void setBorderRight(std::shared_ptr<KXDocxTableBorder> b) { borderRight_ = std::move(b); }
    kx::Range columnRange() const { return columnRange_; }
    void setColumnRange(kx::Range range) { columnRange_ = range; }
    kx::Range rowRange() const { return rowRange_; }
    void setRowRange(kx::Range range) { rowRange_ = range; }

protected:
    // The table the cell's row belongs to; null without one.
    KXDocxTable* superTable() const;
    // Writes the cell's "tc" as a cell of its own (a free cell, or a group).
    void writeCellWithXMLWriter(XMLFileWriter& writer);
    void setAllPageSectionArray(std::vector<std::shared_ptr<KXDocxPageSection>> sections) {
        allPageSectionArray_ = std::move(sections);
    }

private:
    void writeEmptyParagraph(XMLFileWriter& writer);

    KXDocxTableRow* superTableRow_ = nullptr;
    KXDocxTableCellGroup* superTableCellGroup_ = nullptr;
    std::vector<std::shared_ptr<KXDocxTable>> allSubTableArray_;
    KXDocx_TcPr tcProperty_;
    KXDocxRunPathArray tableShadingRunPaths_;
    KXDocxRunTextArray allRunTextArray_;
    std::vector<std::shared_ptr<KXDocxPageSection>> allPageSectionArray_;
    std::shared_ptr<KXDocxTableBorder> borderTop_;
    std::shared_ptr<KXDocxTableBorder> borderBottom_;
    std::shared_ptr<KXDocxTableBorder> borderLeft_;
    std::shared_ptr<KXDocxTableBorder> borderRight_;
    kx::Range columnRange_;
    kx::Range rowRange_;
    std::shared_ptr<KXDocxParagraph> sampleParagraph_;
};

using KXDocxTableCellArray = std::vector<std::shared_ptr<KXDocxTableCell>>;
