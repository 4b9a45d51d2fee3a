#pragma once
// Small hand-made runs for the flow page tests: a run is placed by the x of its left edge, the y of
// its bottom (descent line, here also its baseline) and its width, as the exporter would place a
// shown string.

#include <memory>
#include <string>
#include <vector>

#include "docx/model/KXDocxUtilities.h"
#include "flowtext/FlowParagraph.h"
#include "flowtext/FlowRun.h"
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

inline std::shared_ptr<kx::detail::FlowRunText> makeRun(const RunPlace& place) {
    auto run = std::make_shared<kx::detail::FlowRunText>();
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

using Paragraphs = std::vector<std::unique_ptr<kx::detail::FlowParagraph>>;

// Paragraphs of one run each; a place without text makes a paragraph without runs.
inline Paragraphs paragraphsOf(const std::vector<RunPlace>& places) {
    Paragraphs paragraphs;
    for (const RunPlace& place : places) {
        if (place.text.empty())
            paragraphs.push_back(std::make_unique<kx::detail::FlowParagraph>());
        else
            paragraphs.push_back(std::make_unique<kx::detail::FlowParagraph>(
                std::vector<kx::detail::FlowParagraph::RunPtr>{makeRun(place)}));
    }
    return paragraphs;
}

// What the family's page writes of the paragraphs, the page's text margin at `marginLeft`.
template <class Page, class Writer>
std::string writtenBy(Paragraphs paragraphs, float marginLeft = 100) {
    std::string path = tempPath("page.out");
    auto writer = Writer::initWithPath(path);
    Page page(writer.get(), {612, 792}, true);
    KXDocx_PgMar margin;
    margin.left = marginLeft;
    page.setTextMargin(margin);
    for (auto& p : paragraphs) page.paragraphArray().push_back(std::move(p));
    page._writeParagraphs();
    writer->closeFile();
    return kx::readFile(path).value_or("");
}

}  // namespace flowtest
