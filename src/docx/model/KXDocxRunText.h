#pragma once
// A piece of text of one run-property set: the unit from which lines, paragraphs and text boxes are
// built. The exporter makes one per shown character, the line code fuses neighbours into longer
// runs, and the paragraph code adjusts blanks and spacing before the run writes itself as one
// "w:r". Besides its text a run keeps its widths in display space (points), the extra character
// spacing that makes Word set the text as wide as the PDF did, the single-line metrics Word gives
// its font, and its places in the page's reading order.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "docx/model/KXDocxRun.h"

#include <unordered_map>

class KXDocxRunText;
using KXDocxRunTextArray = std::vector<std::shared_ptr<KXDocxRunText>>;

class KXDocxRunText : public KXDocxRun {
public:
    KXDocxRunText() = default;
    ~KXDocxRunText() override = default;

    std::shared_ptr<KXDocxRun> copy() const override;
    // A one-line dump for debugging.
    std::string description() const;

    // Same text, left edges within 1.5 and within half its width, baselines within 1.0 and equal
    // run properties but for the colour: text drawn twice over itself (overprinted bold, or drawn
    // again in another colour over a tint).
    bool isDuplicateRunText(const KXDocxRunText& other) const;
    // Neither underlined nor struck through, and nothing but white space.
    bool isBankSpaceRunText() const;
    // The frame without the blanks at the end of the text (one blank width each).
    kx::Rect trimBehindTextRect() const;
    // A merged run gives its trailing blank (or, without one, an empty gap) to a new blank run that
    // follows it; null for a run that stands for fewer than two shown pieces.
    std::shared_ptr<KXDocxRunText> splitBlackSpaceRunTextBehind();
    // Appends one blank, widening the run by a blank width; returns that width.
    double addBlankSpaceTextBehind();
    void updateToNewFontWidth(double width);
    kx::Rect displayRect() const override;
    // Where a line drawn under the run would lie: 1.5 line heights below the frame's top, plus 1.
    double doubleBottomLine() const;
    // What optimizePropertyAtStart works out of a run-property record alone (the fonts to name and
    // to measure with, the size, Word's line metrics), kept for the runs that share the record.
    // Valid while those records live (a page's runs keep them).
    class PropertyCache;
    // Sizes are rounded down to half points (Word's step) and the lost width comes back as
    // spacing; with replaceFont, the text is measured in the installed font (or its replacement)
    // and the run takes that width; last, Word's single-line metrics of the font.
    void optimizePropertyAtStart(bool replaceFont, PropertyCache* cache = nullptr);
    // "w:r" with the run properties (the spacing spread over the characters) and "w:t".
    void writeWithXMLWriter(XMLFileWriter& writer) override;
    // The run properties as written: the spacing spread over the characters.
    KXDocx_RPr writtenRProperty() const;
    // The same for a run written after others of its line: `carried` (points) is what the whole
    // twentieths of the runs before it left out of their widths; it joins this run's spacing and
    // comes back as what this run's own rounding leaves out.
    KXDocx_RPr writtenRProperty(double& carried) const;
    // One "w:r" of `property` holding the texts of the runs, one after the other: neighbouring
    // runs written alike (KXDocxRPrIsWrittenAlike) share a run in the document.
    static void WriteRunTextsWithXMLWriter(const std::vector<const KXDocxRunText*>& runs, const KXDocx_RPr& property,
                                           XMLFileWriter& writer);

    double spaceWidth() const { return spaceWidth_; }
    void setSpaceWidth(double width) { spaceWidth_ = width; }
    double textWidth() const { return textWidth_; }
    void setTextWidth(double width) { textWidth_ = width; }
    double insideSpacing() const { return insideSpacing_; }
    void setInsideSpacing(double spacing) { insideSpacing_ = spacing; }
    double outsideSpacing() const { return outsideSpacing_; }
    void setOutsideSpacing(double spacing) { outsideSpacing_ = spacing; }
    const std::u16string& runText() const { return runText_; }
    // Sets isSpaceFirst / isSpaceLast when the text begins / ends with a blank; an empty text
    // clears both, a non-empty one never clears them.
    void setRunText(std::u16string text);
    // Appends in place; the blank flags stay as they are.
    void appendRunText(std::u16string_view text) { runText_.append(text); }
    std::uint64_t pdfScanIndex_BegainText() const { return pdfScanIndex_BegainText_; }
    void setPdfScanIndex_BegainText(std::uint64_t index) { pdfScanIndex_BegainText_ = index; }
    std::uint64_t pdfScanIndex_ShowText() const { return pdfScanIndex_ShowText_; }
    void setPdfScanIndex_ShowText(std::uint64_t index) { pdfScanIndex_ShowText_ = index; }
    bool isSpaceFirst() const { return isSpaceFirst_; }
    void setIsSpaceFirst(bool value) { isSpaceFirst_ = value; }
    bool isSpaceLast() const { return isSpaceLast_; }
    void setIsSpaceLast(bool value) { isSpaceLast_ = value; }
    // Word's single-line height of the run's font at its size, 0 when unknown.
    double wordSingleLineHeight() const { return wordSingleLineHeight_; }
    void setWordSingleLineHeight(double height) { wordSingleLineHeight_ = height; }
    // The blank part of that line above the glyphs, 0 when unknown.
    double wordSingleLineBlankTop() const { return wordSingleLineBlankTop_; }
    void setWordSingleLineBlankTop(double top) { wordSingleLineBlankTop_ = top; }
    std::uint64_t textScanIndex() const { return textScanIndex_; }
    void setTextScanIndex(std::uint64_t index) { textScanIndex_ = index; }
    std::uint64_t textScanLength() const { return textScanLength_; }
    void setTextScanLength(std::uint64_t length) { textScanLength_ = length; }

    // Orders the runs by reading position and numbers their text positions 0, 1, 2, ...
    static void UpdateRunTextArrayPDFScanIndex(KXDocxRunTextArray& runs);
    // The union of the frames; the empty rectangle for no runs.
    static kx::Rect FrameOfRunTextArray(const KXDocxRunTextArray& runs);
    // The run whose doubleBottomLine is lowest, the first of equals; null for no runs.
    static std::shared_ptr<KXDocxRunText> FindBottomAfterRunText(const KXDocxRunTextArray& runs);
    // The run with the smallest baseline y, the first of equals; null for no runs.
    static std::shared_ptr<KXDocxRunText> FindMinBaseLineRunText(const KXDocxRunTextArray& runs);
    // The first run and every later one whose baseline is within 1.0 of it.
    static KXDocxRunTextArray CollectSameBaseLineRunTexts(const KXDocxRunTextArray& runs);
    // The first run and every later annotation run of the same annotation.
    static KXDocxRunTextArray FindSameAnnotionRunText(const KXDocxRunTextArray& runs);
    // Cuts the runs (consumed) into such groups, in the order found.
    static std::vector<KXDocxRunTextArray> FindGroupSameAnnotionRunText(KXDocxRunTextArray& runs);

protected:
    KXDocxRunText(const KXDocxRunText&) = default;

public:
    struct OptimizedStyle {
        std::shared_ptr<const KXDocx_RPr> record;  // fonts named, size in half points, no spacing
        float size = 0, roundedSize = 0, scale = 1;
        std::string measuringFace;  // empty: the text keeps the PDF's widths
        double blankWidth = 0;      // a space in measuringFace at roundedSize; 0 when not measured
        bool metricsFace = false;   // the face named for Word's metrics is installed
        double lineHeightFactor = 0, ascentFactor = 0;
    };
    class PropertyCache {
    public:
        std::unordered_map<const KXDocx_RPr*, OptimizedStyle> styles;
        // Width of a text in a style's measuring face at its rounded size: the same words come
        // back run after run, and measuring them means a font lookup and a glyph walk each time.
        std::unordered_map<const KXDocx_RPr*, std::unordered_map<std::u16string, double>> textWidths;
    };

private:
    static OptimizedStyle optimizedStyle(const KXDocx_RPr& property, bool replaceFont);
    // Where `total` (points of spacing over `n` characters, two or more) would condense each
    // character past what LibreOffice applies, sets the horizontal scale of `property` to the
    // whole percent that takes the run to its place and answers the spacing left to write;
    // otherwise answers `total`.
    double narrowedPastCondensingLimit(KXDocx_RPr& property, double total, double n) const;
    // How many of a run's `n` characters its spacing `total` (points) is spread over.
    static double SpacedCharacters(double total, double n);
    // The most a run written with `property` may be condensed a character (points).
    static double condensingLimit(const KXDocx_RPr& property);

private:
    double spaceWidth_ = 0;
    double textWidth_ = 0;
    double insideSpacing_ = 0;
    double outsideSpacing_ = 0;
    std::u16string runText_;
    std::uint64_t pdfScanIndex_BegainText_ = 0;
    std::uint64_t pdfScanIndex_ShowText_ = 0;
    bool isSpaceFirst_ = false;
    bool isSpaceLast_ = false;
    double wordSingleLineHeight_ = 0;
    double wordSingleLineBlankTop_ = 0;
    std::uint64_t textScanIndex_ = 0;
    std::uint64_t textScanLength_ = 1;
};
