// Page images of the real-world corpus: the first page of every file converts, and the picture is
// the one MuPDF's own tool draws when told to fill the same pixel size (our size truncates the page
// at 144 dpi; the tool would round up), pixel for pixel, upright, turned and cropped pages alike.
//
// The tool is told to draw the way the page capture does, with two switches:
//   -O 0  no overprint simulation. Left to itself, the tool draws a page that shows a spot colour
//         (Separation, DeviceN) or sets overprint into CMYK plus spot plates and turns the result
//         into RGB at the end, as a press proof. Edges are then blended in CMYK (an anti-aliased
//         edge in the registration colour "All", which inks every plate, comes out far darker), a
//         spot colour's tint is its full tone scaled by the tint instead of what its tint transform
//         gives, and every other colour of such a page is rounded through CMYK (a level here and
//         there). The page capture draws into an RGB bitmap as a screen shows the page.
//   -D    no display list. Left to itself, the tool records the page into a list and plays the list
//         back, which moves a few anti-aliased pixels at the edges of some paths by up to five
//         levels; the tool's two ways differ from each other by exactly those pixels. The page
//         capture draws the page straight into its bitmap.
// Neither side manages colour: MuPDF is built here without ICC support (the tool says so on every
// run), and the page capture's colours are MuPDF's own.
//
// One case per corpus file, so that CTest runs the files side by side. Skipped when the corpus or
// the tools are absent.

#include <gtest/gtest.h>

#include "platform/FileSystem.h"
#include "support/TestSupport.h"

using namespace kx;

namespace {

std::string shellQuoted(const std::string& s) { return "'" + s + "'"; }

class CorpusPageImages : public testing::TestWithParam<std::string> {};

}  // namespace

TEST_P(CorpusPageImages, FirstPageMatchesMuPDFsOwnTool) {
    auto pdf = test::corpusPath(GetParam());
    KX_REQUIRE_CORPUS(pdf);
    if (!test::haveCommand("mutool") || !test::haveCommand("compare")) GTEST_SKIP() << "mutool or ImageMagick missing";
    const std::string program = pathJoin(test::binDir(), "KXDocuvane");
    const std::string out = pathJoin(test::tempDir(), "corpus-" + newUUIDString());
    std::string log;
    ASSERT_EQ(test::runCommand(shellQuoted(program) + " -p 1 -f png -i " + shellQuoted(*pdf) + " -o " + shellQuoted(out),
                               &log),
              0)
        << log;
    const std::string ours = pathJoin(out, "IMG_00001.png");
    const std::string theirs = pathJoin(out, "reference.png");
    std::string size;
    ASSERT_EQ(test::runCommand("identify -format '-w %w -h %h' " + shellQuoted(ours), &size), 0) << size;
    ASSERT_EQ(test::runCommand("mutool draw -q -O 0 -D -f " + size + " -o " + shellQuoted(theirs) + " " +
                               shellQuoted(*pdf) + " 1"),
              0);
    std::string differing;
    test::runCommand("compare -metric AE " + shellQuoted(ours) + " " + shellQuoted(theirs) + " null:", &differing);
    EXPECT_EQ(differing.substr(differing.rfind('\n') + 1), "0") << differing;
}

// Without a corpus the table above is empty; this says so (and fails under CI=true).
TEST(CorpusPageImageFiles, TheCorpusIsHere) {
    const std::vector<std::string> files = test::corpusPDFNames();
    KX_REQUIRE_CORPUS(!files.empty());
    EXPECT_GT(files.size(), 20u);
}

INSTANTIATE_TEST_SUITE_P(Corpus, CorpusPageImages, testing::ValuesIn(test::corpusPDFNames()),
                         [](const testing::TestParamInfo<std::string>& info) {
                             return test::corpusCaseName(info.param);
                         });
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(CorpusPageImages);
