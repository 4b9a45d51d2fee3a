#pragma once
// The style record of a text box: turned text kept apart from the page's flow.

#include "docx/model/KXDocxRunPictInfo.h"

struct KXDocxTextBoxInfo : KXDocxRunPictInfo {
    double rotation = 0;  // degrees
};
