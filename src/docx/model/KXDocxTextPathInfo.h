#pragma once
// The style record of text set along a path: text on a baseline that is neither upright nor turned
// by about a right angle.

#include "docx/model/KXDocxPropertyRecords.h"
#include "docx/model/KXDocxRunPictInfo.h"

struct KXDocxTextPathInfo : KXDocxRunPictInfo {
    float rotation = 0;  // degrees
    KXDocx_RPr rProperty;
};
