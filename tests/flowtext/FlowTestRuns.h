#pragma once
// Small hand-made runs for the flow page tests: a run is placed by the x of its left edge, the y of
// its bottom (descent line, here also its baseline) and its width, as the exporter would place a
// shown string.

#include <memory>
#include <string>

#include "docx/model/KXDocxUtilities.h"
#include "pdf/interpreter/KXPDF_CTMInfo.h"
#include "platform/FileSystem.h"
#include "platform/Unicode.h"
#include "support/TestSupport.h"

namespace flowtest {

struct RunPlace {
    double x;
    double bottom;
    double width;
    std::string text;
    double size = 12;
    double spaceWidth = 3;
};

template <class RunText>
std::shared_ptr<RunText> makeRun(const RunPlace& place) {
    auto run = std::make_shared<RunText>();
    KXPDF_CTMInfo info{};
    info.topLeft = {place.x, place.bottom - place.size};
    info.bottomLeft = {place.x, place.bottom};
    info.yBase = place.bottom;
    info.fontSize = {place.size, place.size};
    run->setCtmInfo(info);
    KXDocx_RPr r = KXDocxUtilities::defaultRProperty();
    r.sz = static_cast<float>(place.size);
    r.rFonts.ascii = "Arial";
    run->setRProperty(r);
    run->setRunText(kx::utf8ToUtf16(place.text));
    run->setTextWidth(place.width);
    run->setSpaceWidth(place.spaceWidth);
    return run;
}

inline std::string tempPath(const std::string& name) {
    static int n = 0;
    return kx::pathJoin(kx::test::tempDir(), std::to_string(++n) + "-" + name);
}

}  // namespace flowtest
