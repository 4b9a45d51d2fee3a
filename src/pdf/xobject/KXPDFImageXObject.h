#pragma once
// An image XObject (or an inline image, or an image appearance stream). Its pixel size is read
// when the object is made; the pixels are decoded into a temporary file when the content paints the
// image (parseImage), once per conversion for each image object of the document.

#include "platform/Color.h"
#include "pdf/xobject/KXPDFXObject.h"

class KXPDFImageXObject : public KXPDFXObject {
public:
    explicit KXPDFImageXObject(kx::PDFObject stream);
    std::int64_t getType() const override { return Image; }

    // Width and height (or W and H); without both nothing is read.
    void parse(const kx::PDFObject& stream);
    // Reads the size and decodes the image into a temporary file with the resources' colour-space
    // dictionary (or the null object), setting cachedImagePath on success and clearing it on
    // failure. A stencil mask is painted in `stencilColor` (black when null). An image object of
    // the document decoded before in this conversion, with the same colour spaces and stencil
    // colour, reuses that file.
    // An image beyond the decode budget is decoded reduced, as far as it keeps the pixels of
    // `displaySize` (the points it is shown over) at kMaxPictureDPI; one that cannot be brought
    // within the budget is marked isOverPixelBudget instead.
    void parseImage(const kx::PDFObject& stream, const kx::PDFObject& colorSpaces,
                    const kx::Color* stencilColor = nullptr, kx::Size displaySize = {});

    // The finest resolution any output draws its pictures at (dots per inch).
    static constexpr double kMaxPictureDPI = 600;

    // Width and height in pixels; zero until read.
    const kx::Size& pixelSize() const { return pixelSize_; }
    // The decoded image file; empty when the image has not been or could not be decoded.
    const std::string& cachedImagePath() const { return cachedImagePath_; }
    // Whether the image is a stencil mask (painted in the fill colour).
    bool isStencilMask() const;
    // Whether the last parseImage found the image too large to decode within the pixel budget at
    // any reduction: it has no file, and the page that paints it cannot be converted whole.
    bool isOverPixelBudget() const { return overPixelBudget_; }
    // The factor the last parseImage reduced the image by to bring it within the decode budget (1:
    // decoded whole).
    int decodeReduction() const { return decodeReduction_; }

private:
    kx::Size pixelSize_;
    std::string cachedImagePath_;
    bool overPixelBudget_ = false;
    int decodeReduction_ = 1;
};
