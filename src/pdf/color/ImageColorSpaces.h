#pragma once
// Colour spaces of images, built straight from PDF colour-space objects (names and arrays). The
// interpreter's own colour-space model serves the colours of paths and text; image samples are
// turned into pixels through kx::ColorSpace. Nested spaces (an Indexed base, an alternate) are
// followed to a fixed depth.

#include <string_view>

#include "platform/ColorSpace.h"
#include "platform/pdf/PDFObject.h"

namespace kx {

// The space a name or an array stands for; nothing for what is not a colour space of an image.
ColorSpaceRef imageColorSpaceOf(const PDFObject& object);
ColorSpaceRef imageColorSpaceOfArray(const PDFObject& array);
// A device space by its name or abbreviation (DeviceGray or G, DeviceRGB or RGB, DeviceCMYK or
// CMYK); nothing for any other name.
ColorSpaceRef imageColorSpaceNamed(std::string_view name);
// Each family from its whole array; nothing when the array's first entry is another family's.
ColorSpaceRef imageCalGraySpace(const PDFObject& array);
ColorSpaceRef imageCalRGBSpace(const PDFObject& array);
ColorSpaceRef imageICCBasedSpace(const PDFObject& array);
ColorSpaceRef imageIndexedSpace(const PDFObject& array);
ColorSpaceRef imageLabSpace(const PDFObject& array);

}  // namespace kx
