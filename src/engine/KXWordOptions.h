#pragma once
// The DOCX options of a conversion.

#include <cstdint>

class KXWordOptions {
public:
    KXWordOptions();

    // Trim blank characters when the page builds its columns and sections.
    bool isTrimmingBlankSpaceCharacters() const { return isTrimmingBlankSpaceCharacters_; }
    void setIsTrimmingBlankSpaceCharacters(bool v) { isTrimmingBlankSpaceCharacters_ = v; }
    // Merge lines into paragraphs.
    bool isMergeParagraphs() const { return isMergeParagraphs_; }
    void setIsMergeParagraphs(bool v) { isMergeParagraphs_ = v; }
    // Replace PDF font names by installed font names.
    bool isNeedReplaceFont() const { return isNeedReplaceFont_; }
    void setIsNeedReplaceFont(bool v) { isNeedReplaceFont_ = v; }
    // Match outline titles to paragraphs by likeness, not only by equality.
    bool enablePDFOutline_LikeDetect() const { return enablePDFOutline_LikeDetect_; }
    void setEnablePDFOutline_LikeDetect(bool v) { enablePDFOutline_LikeDetect_ = v; }
    // Render the page's vector shapes as pictures.
    bool enableShapToImage() const { return enableShapToImage_; }
    void setEnableShapToImage(bool v) { enableShapToImage_ = v; }
    // Write vector shapes as drawing shapes.
    bool enableShaps2Shape() const { return enableShaps2Shape_; }
    void setEnableShaps2Shape(bool v) { enableShaps2Shape_ = v; }
    // Merge overlapping pictures into one.
    bool enableMergeIntersectImages() const { return enableMergeIntersectImages_; }
    void setEnableMergeIntersectImages(bool v) { enableMergeIntersectImages_ = v; }
    // Outline levels of headings: 1 from the PDF's outline, 2 detected, anything else none.
    std::int32_t outlineType() const { return outlineType_; }
    void setOutlineType(std::int32_t v) { outlineType_ = v; }

private:
    bool isTrimmingBlankSpaceCharacters_ = true;
    bool isMergeParagraphs_ = true;
    bool isNeedReplaceFont_ = true;
    bool enablePDFOutline_LikeDetect_ = true;
    bool enableShapToImage_ = false;
    bool enableShaps2Shape_ = true;
    bool enableMergeIntersectImages_ = true;
    std::int32_t outlineType_ = 1;
};
