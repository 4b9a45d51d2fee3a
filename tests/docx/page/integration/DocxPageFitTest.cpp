// Pages whose text reaches to the foot of the page come back from LibreOffice's reading of the
// DOCX package as one page each: the page's margins, its bands of columns and their paragraphs'
// spacing add up to no more than the page.

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "engine/EngineHarness.h"
#include "exporters/ExporterTable.h"
#include "flowtext/FlowTextFixtures.h"
#include "platform/FileSystem.h"
#include "support/TestSupport.h"

namespace {

int pdfPageCount(const std::string& pdf) {
    std::string info;
    kx::test::runCommand("pdfinfo '" + pdf + "'", &info);
    std::smatch m;
    return std::regex_search(info, m, std::regex("Pages:\\s+(\\d+)")) ? std::stoi(m[1]) : -1;
}

// The number of pages LibreOffice lays the DOCX conversion of the PDF out on.
int roundTripPages(const std::string& stem, const std::string& pdfBytes) {
    kx::installExporters();
    const std::string pdf = kx::test::writeTemp(stem + ".pdf", pdfBytes);
    const std::string folder = kx::pathJoin(kx::test::tempDir(), "fit-" + stem);
    kx::removeAll(folder);
    kx::createDirectories(folder);
    const std::string docx = kx::pathJoin(folder, stem + ".docx");
    const auto run = kx::test::runConversion(pdf, kx::test::everyPage(pdf), "docx", docx, nullptr, std::chrono::seconds(120));
    EXPECT_TRUE(run.ended && !run.error());
    std::string log;
    EXPECT_EQ(kx::test::runCommand("cd '" + folder + "' && timeout 240 soffice --headless -env:UserInstallation=file://" +
                                       folder + "/profile --convert-to pdf '" + docx + "'",
                                   &log),
              0)
        << log;
    return pdfPageCount(kx::pathJoin(folder, stem + ".pdf"));
}

}  // namespace

TEST(DocxPageFit, EveryPageComesBackAsOnePage) {
    if (!kx::test::haveCommand("soffice") || !kx::test::haveCommand("pdfinfo")) GTEST_SKIP();
    struct Case {
        const char* stem;
        std::vector<flowtest::Show> page;
    };
    std::vector<Case> cases;

    // Four columns of lines down to the foot of the page, standing where an equal grid of columns
    // would nearly be: the text of each column must stay inside its Word column, or the word
    // processor wraps every line of it and the columns run onto a second page.
    Case fourColumns{"four-columns", {}};
    for (double x : {40.0, 170.0, 300.0, 430.0})
        for (double y = 750; y > 40; y -= 11) fourColumns.page.push_back({"F1", 9, x, y, 0, "xxxxxx xxxxxx xxxxxx xxxxxx"});
    cases.push_back(fourColumns);

    for (const Case& c : cases) {
        SCOPED_TRACE(c.stem);
        EXPECT_EQ(roundTripPages(c.stem, flowtest::textDocument({c.page})), 1);
    }
}
