#pragma once
// One Word output page. The document writer makes it when a PDF page begins, the exporter fills it
// with runs while the page's content is interpreted, and at the end of the page endWritePage runs
// the page's pipeline over its runs and streams its sections into the document part.
//
// Page space: points, origin at the top-left corner, x to the right, y downward.

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "docx/model/KXDocxPropertyRecords.h"
#include "docx/model/KXDocxRunImage.h"
#include "docx/model/KXDocxRunPath.h"
#include "docx/model/KXDocxRunText.h"
#include "docx/model/KXDocxRunTextBox.h"
#include "docx/model/KXDocxRunTextPath.h"
#include "docx/model/KXDocxTextBoxInfo.h"
#include "docx/page/layout/KXDocxPageSection.h"
#include "pdf/KXPDFOutLineManager.h"
#include "platform/Geometry.h"

class KXDocxTableArea;
class KXDocxWriter;
class XMLFileWriter;

using KXDocxRunTextBoxArray = std::vector<std::shared_ptr<KXDocxRunTextBox>>;
using KXDocxRunTextPathArray = std::vector<std::shared_ptr<KXDocxRunTextPath>>;

class KXDocxPage {
public:
    // A page of that size (points) writing into the document part; its section record is the
    // default one, to be written, continuous, of the page's size.
    KXDocxPage(XMLFileWriter* documentWriter, kx::Size pageSize, bool firstPage, bool lastPage);

    void begainWritePage(std::int64_t pageIndex) { (void)pageIndex; }
    // The pipeline, then the page's sections written into the document part.
    void endWritePage(std::int64_t pageIndex);

    // Orders every run of the page by reading position and numbers them 0, 1, 2, ...
    void updateAllPDFScanIndex();
    // Pictures, shapes, text boxes and texts along paths that lie wholly off the page leave it.
    void removeRunPictsOutsidePage();
    // Font replacement and each text run's final properties (sizes, widths, Word's line metrics).
    void optimizeAllRunTextPropertyIfNeed(bool replaceFont);
    bool _localizedReplaceFontNameIfNeed();
    void _localizedReplaceFontNameWithDictionary(const std::vector<std::pair<std::string, std::string>>& table);
    // The page's text cut into bands of columns, one section each, and the page margins.
    void createPageWithColumn();
    static double PageMarginStepValue(double margin);
    KXDocx_PgMar bestPgMarWithMaxPGMar(const KXDocx_PgMar& maxMargins) const;
    void writePDFPageBookmark();
    // Tables drawn with ruling lines (KXDocxPage_Tables.cpp): the paths and texts that go into tables
    // leave the page, and a frame of lines round the page may become its border.
    void convertPath2TableIfNeed();
    // Whether the page behind the table area is white (see the test below, on the area's bounds,
    // paths and first reading index).
    bool isPageWhiteBackground(const KXDocxTableArea& area) const;

    // ---- Painted paths (KXDocxPage_Paths.cpp) ----
    // Specks, a white page background and the paths that merely repeat a background go; thin
    // rectangles become lines; pieces of one line or one rectangle become one.
    void filterAllRunPathArray();
    // Whether the table area (its box, its own ruling paths and the reading index it starts at)
    // stands on a white page: the filled path painted last under most of it is white, or none is.
    bool isPageWhiteBackground(const kx::Rect& areaBounds, const KXDocxRunPathArray& areaPaths,
                               std::uint64_t minPDFScanIndex) const;
    // Lines under or through text of their colour become its underline or strike-through; filled
    // rectangles around text become its background. The paths taken leave the page.
    void convertPathsForUnderLineIfNeed();
    void convertPathsForHighLightIfNeed();

    // ---- Floating pictures (KXDocxPage_Pictures.cpp) ----
    // A picture that nothing painted later covers comes in front of the text; every floating
    // picture goes to the page's first paragraph, which writes them.
    void _insertFloatRunPicts();
    void insertRunPictArray(const KXDocxRunArray& picts);
    // Whether something of that kind painted at `minScanIndex` or later meets the rectangle.
    bool haveTextUpperInRect(const kx::Rect& rect, std::uint64_t minScanIndex) const;
    bool haveTextBoxUpperInRect(const kx::Rect& rect, std::uint64_t minScanIndex) const;
    bool haveImageUpperInRect(const kx::Rect& rect, std::uint64_t minScanIndex) const;
    bool haveShapeUpperInRect(const kx::Rect& rect, std::uint64_t minScanIndex) const;
    bool haveTableUpperInRect(const kx::Rect& rect, std::uint64_t minScanIndex) const;

    // ---- Images (KXDocxPage_Images.cpp) ----
    // Images that touch or overlap become one picture each (all of them on a page of more than
    // 500 images, whatever the options say).
    void convertImages2ImageIfNeed();
    // The images cut into groups that merge, in the order of their first images.
    static std::vector<KXDocxRunImageArray> findIntersectImagesGroups(const KXDocxRunImageArray& images);
    // The first image and every image connected to it.
    static KXDocxRunImageArray findIntersectImages(const KXDocxRunImageArray& images);
    // Groups of neighbouring paths dense enough to be worth a picture become pictures (on a crowded
    // page whatever the options say; all of them as one on a page of more than 1000 paths).
    void convertShapes2ImageIfNeed();
    static std::vector<KXDocxRunPathArray> findIntersectRunPathsGroups(const KXDocxRunPathArray& paths);
    static KXDocxRunPathArray findIntersectRunPaths(const KXDocxRunPathArray& paths);
    // One picture of the paths; null when none could be drawn or written.
    std::shared_ptr<KXDocxRunImage> _convertRunPathsToRunImage(const KXDocxRunPathArray& paths, int imageDPI);
    // Every image the page is about to write is registered with the package writer (an image whose
    // file is gone leaves the page); only what is written goes into the package.
    void registerImagesForWriting();

    // ---- Floating text (KXDocxPage_TextBoxes.cpp) ----
    // The paragraphs of the open text box while turned text arrives: the last one (none when the
    // box has none); a new one that takes the run and paragraph properties of the last one.
    std::shared_ptr<KXDocxParagraph> cachedTextBoxLastParagraph();
    std::shared_ptr<KXDocxParagraph> cachedTextBoxNewParagraph();
    // The sum of the open box's line spacings, and the widest first line of its paragraphs.
    double cachedTextBoxHeight() const;
    double cachedTextBoxWidthMax() const;
    // The text runs of every text box, box after box.
    KXDocxRunTextArray allRunTextArrayInTextBoxes() const;
    // The angle by which the page is turned for a second interpretation: the rotation most text
    // boxes share when their runs are at least 3 and outnumber the main text's; else 0.
    int autoRotationOfPDFPage() const;
    // Text that came from annotations leaves the main text: one text box for each annotation.
    void convertAnnotion2TextBox();
    // A box holding the runs laid out like a small page at their place on this page; none for no runs.
    std::shared_ptr<KXDocxRunTextBox> NewTextBoxWithRunTextArray(KXDocxRunTextArray runs);

    // ---- Outline headings (KXDocxPage_Outline.cpp) ----
    // Paragraphs that carry the titles of the PDF's outline entries of this page get their levels.
    void creatOutlineIfNeed();
    void _creatOutline_PDF_Outline();
    void _creatOutline_Auto() {}
    // Marks the first paragraph that carries the entry's title; false when none does.
    bool _findOutLines(const KXPDFOutLineManager::Item& item, bool likeDetect);

    KXDocxWriter* docxWriter() const { return docxWriter_; }
    void setDocxWriter(KXDocxWriter* writer) { docxWriter_ = writer; }
    long pdfPageIndex() const { return pdfPageIndex_; }
    void setPdfPageIndex(long index) { pdfPageIndex_ = index; }
    XMLFileWriter* documentWriter() const { return documentWriter_; }
    bool isFirstPage() const { return isFirstPage_; }
    bool isLastPage() const { return isLastPage_; }
    int pgBorders_offsetFrom() const { return pgBorders_offsetFrom_; }
    void setPgBorders_offsetFrom(int offsetFrom) { pgBorders_offsetFrom_ = offsetFrom; }
    const KXDocx_Borders& pgBorders() const { return pgBorders_; }
    void setPgBorders(const KXDocx_Borders& borders) { pgBorders_ = borders; }
    const KXDocx_SectPr& sectProperty() const { return sectProperty_; }
    void setSectProperty(const KXDocx_SectPr& property) { sectProperty_ = property; }
    KXDocxRunTextArray& allRunTextArray() { return allRunTextArray_; }
    const KXDocxRunTextArray& allRunTextArray() const { return allRunTextArray_; }
    // Tables found on the page (runs of the table model).
    std::vector<std::shared_ptr<KXDocxRun>>& allTableArray() { return allTableArray_; }
    // Painted paths, in the order they were painted until the pipeline sorts them.
    KXDocxRunPathArray& allRunPathArray() { return allRunPathArray_; }
    const KXDocxRunPathArray& allRunPathArray() const { return allRunPathArray_; }
    const std::vector<std::shared_ptr<KXDocxPageSection>>& allPageSectionArray() const { return allPageSectionArray_; }
    void setAllPageSectionArray(std::vector<std::shared_ptr<KXDocxPageSection>> sections) {
        allPageSectionArray_ = std::move(sections);
    }
    // Images, in the order they were painted until the pipeline sorts them.
    KXDocxRunImageArray& allRunImageArray() { return allRunImageArray_; }
    const KXDocxRunImageArray& allRunImageArray() const { return allRunImageArray_; }
    KXDocxRunTextBoxArray& allRunTextBoxArray() { return allRunTextBoxArray_; }
    const KXDocxRunTextBoxArray& allRunTextBoxArray() const { return allRunTextBoxArray_; }
    KXDocxRunTextPathArray& allRunTextPathArray() { return allRunTextPathArray_; }
    const KXDocxRunTextPathArray& allRunTextPathArray() const { return allRunTextPathArray_; }
    bool isUsingTextBox() const { return isUsingTextBox_; }
    void setIsUsingTextBox(bool value) { isUsingTextBox_ = value; }
    std::vector<std::shared_ptr<KXDocxParagraph>>& cachedTextBoxParagraphs() { return cachedTextBoxParagraphs_; }
    KXDocxTextBoxInfo& cachedTextBoxInfo() { return cachedTextBoxInfo_; }
    void setCachedTextBoxInfo(const KXDocxTextBoxInfo& info) { cachedTextBoxInfo_ = info; }
    const kx::Rect& currentPageCropBox() const { return currentPageCropBox_; }
    void setCurrentPageCropBox(const kx::Rect& box) { currentPageCropBox_ = box; }
    const kx::Rect& currentPageMediaBox() const { return currentPageMediaBox_; }
    void setCurrentPageMediaBox(const kx::Rect& box) { currentPageMediaBox_ = box; }
    long currentPageRotationAngle() const { return currentPageRotationAngle_; }
    void setCurrentPageRotationAngle(long angle) { currentPageRotationAngle_ = angle; }
    const kx::AffineTransform& currentPageTransform() const { return currentPageTransform_; }
    void setCurrentPageTransform(const kx::AffineTransform& t) { currentPageTransform_ = t; }

    // After endWritePage: the section record of the last break the page wrote, and whether it was
    // the body's own (the document's last section).
    const std::optional<KXDocx_SectPr>& lastWrittenSectProperty() const { return lastWrittenSectProperty_; }
    bool wroteBodySectProperty() const { return wroteBodySectProperty_; }

private:
    KXDocxWriter* docxWriter_ = nullptr;
    long pdfPageIndex_ = 0;
    XMLFileWriter* documentWriter_ = nullptr;
    bool isFirstPage_ = false;
    bool isLastPage_ = false;
    int pgBorders_offsetFrom_ = 0;
    KXDocx_Borders pgBorders_;
    KXDocx_SectPr sectProperty_;
    KXDocxRunTextArray allRunTextArray_;
    std::vector<std::shared_ptr<KXDocxRun>> allTableArray_;
    KXDocxRunPathArray allRunPathArray_;
    KXDocxRunImageArray allRunImageArray_;
    std::vector<std::shared_ptr<KXDocxPageSection>> allPageSectionArray_;
    KXDocxRunTextBoxArray allRunTextBoxArray_;
    KXDocxRunTextPathArray allRunTextPathArray_;
    bool isUsingTextBox_ = false;
    std::vector<std::shared_ptr<KXDocxParagraph>> cachedTextBoxParagraphs_;
    KXDocxTextBoxInfo cachedTextBoxInfo_;
    kx::Rect currentPageCropBox_;
    kx::Rect currentPageMediaBox_;
    long currentPageRotationAngle_ = 0;
    kx::AffineTransform currentPageTransform_;
    std::optional<KXDocx_SectPr> lastWrittenSectProperty_;
    bool wroteBodySectProperty_ = false;
};
