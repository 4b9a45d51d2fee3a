#pragma once
// The geometry of one page as it is shown: its rotation, its media and crop boxes turned with it,
// and the transform from PDF space to the displayed page (origin at the top-left corner, y down).
// A converter makes it once per page and hands it to everything that works on that page: the
// content interpreter (which carries it to the reports of nested content), the page capture of the
// exporters and the page-image exporter.

#include <cstdint>

#include "platform/Geometry.h"
#include "platform/pdf/PDFDocument.h"

struct KXPDFPageGeometry {
    // The rotation the page is shown with, in degrees: 0, 90, 180 or 270 for the page's own
    // /Rotate; any angle brought into 0 to 359 for one given.
    std::int64_t rotationAngle = 0;
    // The media and crop boxes as shown: at 90 and 270 degrees x and y, and width and height, are
    // swapped. A box the page has none usable of is 595 x 842 at the origin.
    kx::Rect mediaBox;
    kx::Rect cropBox;
    // PDF space to the displayed page, for the shown media box's width and height.
    kx::AffineTransform pageTransform;
    // The crop box in PDF space, unturned, as the page gives it: the media box where the page has
    // no usable crop box, the null rectangle where it has no usable media box either. The page's
    // picture is drawn from it.
    kx::Rect pdfCropBox;

    // The page as its /Rotate shows it.
    static KXPDFPageGeometry ofPage(const kx::PDFPage& page);
    // The page turned by `rotationAngle` instead (brought into 0 to 359 first).
    static KXPDFPageGeometry ofPage(const kx::PDFPage& page, std::int64_t rotationAngle);

    // The quarter turn of PDF space that shows the page upright, clockwise as a viewer turns it,
    // with exact coefficients and no flip; the identity for an angle that is no quarter turn.
    kx::AffineTransform rotation() const;

    // An angle brought into 0 to 359 (whole turns added or removed).
    static std::int64_t normalizedAngle(std::int64_t angle);
    // The page's box as shown at the angle: 595 x 842 at the origin when the page has none usable;
    // at 90 and 270 degrees x and y and width and height are swapped.
    static kx::Rect pageRect(const kx::PDFPage& page, kx::PDFBox box, std::int64_t rotationAngle);
};

// The transform that turns page space (y up) into display space (y down) with the rotation applied,
// for a box of width w and height h. Only 90, 180 and 270 rotate.
kx::AffineTransform pageTransformForBox(std::int64_t rotationAngle, double width, double height);
