#include "engine/KXWordOptions.h"

KXWordOptions::KXWordOptions() {
    setIsTrimmingBlankSpaceCharacters(true);
    setIsMergeParagraphs(true);
    setIsNeedReplaceFont(true);
    setEnablePDFOutline_LikeDetect(true);
    setEnableShapToImage(false);
    setEnableShaps2Shape(true);
    setEnableMergeIntersectImages(true);
    setOutlineType(1);
}
