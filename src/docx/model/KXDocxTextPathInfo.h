#pragma once
// The style record of text set along a path: text on a baseline that is neither upright nor turned
// by about a right angle, or mirrored text. It extends the text-box style with the shape's corners,
// flips, centre, the text-path flags and the run properties of its text. The flow-text exporters
// fill it the same way for their own pages.

#include <array>

#include "docx/model/KXDocxPropertyRecords.h"
#include "docx/model/KXDocxTextBoxInfo.h"
#include "docx/model/KXDocxUtilities.h"

struct KXDocxTextPathInfo : KXDocxTextBoxInfo {
    std::array<kx::Point, 4> vertices{};  // the four corners of the shape on the page
    bool flipX = false;                   // mirrored left to right
    bool flipY = false;                   // mirrored top to bottom
    kx::Point center;                     // centre of the shape on the page
    bool trim = false;
    bool fitpath = false;
    KXDocx_RPr rProperty = KXDocxUtilities::defaultRProperty();
};
