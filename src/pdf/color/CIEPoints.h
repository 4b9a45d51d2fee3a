#pragma once
// The white and black points that the CIE-based colour spaces (CalGray, CalRGB, Lab) carry, and the
// first steps their parse shares.

#include <string_view>

#include "platform/pdf/PDFObject.h"

namespace kx::detail {

class CIEPoints {
public:
    double whiteX() const { return white_[0]; }
    double whiteY() const { return white_[1]; }
    double whiteZ() const { return white_[2]; }
    double blackX() const { return black_[0]; }
    double blackY() const { return black_[1]; }
    double blackZ() const { return black_[2]; }

protected:
    // The dictionary of a [/family << … >>] array, with WhitePoint and BlackPoint read from it (each
    // only when it is an array of exactly three numbers, X Y Z). A null object, and nothing read,
    // when element 0 is not the family's name or element 1 is not a dictionary.
    PDFObject readCIEDictionary(const PDFObject& array, std::string_view family);

    double white_[3] = {1, 1, 1};
    double black_[3] = {0, 0, 0};
};

}  // namespace kx::detail
