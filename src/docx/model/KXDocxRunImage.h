#pragma once
// An image run: a picture file placed on the page as a floating picture. It may be an image of the
// PDF page, a shading or pattern fill drawn into a PNG, a picture cut by its clip or seen through
// a soft mask, a group of shapes drawn into one picture, or several overlapping images merged into
// one. The run holds the file (in the conversion's temporary folder), the relationship id under
// which the package writer registered it, and its record (KXDocxImageInfo). It writes itself as a
// VML picture shape inside a w:r element.
//
// The class operations merge a group of images: the test that two images belong together, and the
// drawing of a group into one PNG over the area the group covers.

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "docx/model/KXDocxImageInfo.h"
#include "docx/model/KXDocxRunPict.h"
#include "platform/Geometry.h"
#include "platform/Image.h"

namespace kx {
class BitmapContext;
}

class KXDocxRunImage;
using KXDocxRunImageArray = std::vector<std::shared_ptr<KXDocxRunImage>>;

class KXDocxRunImage : public KXDocxRunPict {
public:
    // The most pixels a merged picture is drawn with: 8 bytes a pixel while it is drawn and taken
    // from its bitmap, some 190 MB. A larger group is drawn at a lower resolution, so that a page
    // of many images cannot exhaust memory, and the page says so. A whole page at the job's usual
    // 144 dpi is 2 million pixels; at 600 dpi, 35 million, which is drawn at some 500 dpi.
    static constexpr double kMaxPicturePixels = 24.0 * 1024 * 1024;

    KXDocxRunImage() = default;
    ~KXDocxRunImage() override = default;

    std::shared_ptr<KXDocxRun> copy() const override;

    const KXDocxImageInfo& pictInfo() const { return pictInfo_; }
    KXDocxImageInfo& pictInfo() { return pictInfo_; }
    void setPictInfo(const KXDocxImageInfo& info) { pictInfo_ = info; }
    const std::string& runImageTitle() const { return runImageTitle_; }
    void setRunImageTitle(std::string title) { runImageTitle_ = std::move(title); }
    // The relationship id of the image part ("rId" and a number); empty until registered.
    const std::string& runImageID() const { return runImageID_; }
    void setRunImageID(std::string id) { runImageID_ = std::move(id); }
    const std::string& imagePath() const { return imagePath_; }
    void setImagePath(std::string path) { imagePath_ = std::move(path); }

    // The frame turned by the record's rotation about the page's origin (the frame itself when
    // upright).
    kx::Rect displayRect() const override;

    // The image of the group to which this one joins: the first one it passes the merge test with,
    // provided it follows on in reading order from one of the group; null when none.
    std::shared_ptr<KXDocxRunImage> isIntersectImages(const KXDocxRunImageArray& group) const;
    // Whether two images are to be merged: they overlap by more than half of one of them or of
    // their union; else, when both are small (narrower or lower than 64 pt), they meet or lie
    // within 20 pt of each other. An overlap with a zero side does not count.
    static bool IsIntersect(const KXDocxRunImage& a, const KXDocxRunImage& b);
    // The image with the largest frame (the first of equals); null for none.
    static std::shared_ptr<KXDocxRunImage> FindBigRectRunImage(const KXDocxRunImageArray& images);

    // Draws the file into the context, whose user space is the page's with y upward: the top of
    // the context's clip box is the top of the page. False when there is no context or no picture.
    bool drawInContext(kx::BitmapContext* context, const kx::AffineTransform& pageTransform, bool needClip) const;

    // One new image that shows the whole group (two or more images), drawn at the image DPI held
    // between 72 and 600 over the area the group covers and written as a PNG; null when nothing
    // could be drawn or written, and the group then stays as it is. The first image of the group
    // moves one place on in reading and stacking order, and the new one takes its place.
    static std::shared_ptr<KXDocxRunImage> MergeRunImageArray(const KXDocxRunImageArray& images, kx::Size contextSize,
                                                              int imageDPI);
    // The group drawn into one bitmap over the area it covers (within the page), scaled by
    // `scaleTransform` (lowered when the picture would be larger than kMaxPicturePixels); `clipRect`
    // receives that area in page points. Null for a group that covers less than a pixel.
    static kx::ImageRef MergeRunImage(const KXDocxRunImageArray& images, kx::Size contextSize,
                                      const kx::AffineTransform& scaleTransform, kx::Rect* clipRect);

    void writeWithXMLWriter(XMLFileWriter& writer) override;
    void _writeImage2006(XMLFileWriter& writer) const;

protected:
    KXDocxRunImage(const KXDocxRunImage&) = default;
    KXDocxRunImage& operator=(const KXDocxRunImage&) = default;

private:
    KXDocxImageInfo pictInfo_;
    std::string runImageTitle_;
    std::string runImageID_;
    std::string imagePath_;
};
