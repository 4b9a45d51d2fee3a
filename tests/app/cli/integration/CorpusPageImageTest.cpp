// Page images of the real-world corpus: the first page of every file converts, and the picture is
// the one MuPDF's own tool draws when told to fill the same pixel size (our size truncates the page
// at 144 dpi; the tool would round up), pixel for pixel, upright, turned and cropped pages alike.
// Skipped when the corpus or the tools are absent.

#include <gtest/gtest.h>

#include "platform/FileSystem.h"
#include "support/TestSupport.h"

using namespace kx;

namespace {

std::string shellQuoted(const std::string& s) { return "'" + s + "'"; }

}  // namespace

TEST(CorpusPageImages, FirstPagesMatchMuPDFsOwnTool) {
    const std::vector<std::string> corpus = test::corpusPDFs();
    KX_REQUIRE_CORPUS(!corpus.empty());
    if (!test::haveCommand("mutool") || !test::haveCommand("compare")) GTEST_SKIP() << "mutool or ImageMagick missing";
    const std::string program = pathJoin(test::binDir(), "KXDocuvane");
    int checked = 0;
    for (const std::string& pdf : corpus) {
        SCOPED_TRACE(pdf);
        const std::string out = pathJoin(test::tempDir(), "corpus-" + newUUIDString());
        std::string log;
        ASSERT_EQ(test::runCommand(shellQuoted(program) + " -p 1 -f png -i " + shellQuoted(pdf) + " -o " +
                                       shellQuoted(out),
                                   &log),
                  0)
            << log;
        const std::string ours = pathJoin(out, "IMG_00001.png");
        const std::string theirs = pathJoin(out, "reference.png");
        std::string size;
        ASSERT_EQ(test::runCommand("identify -format '-w %w -h %h' " + shellQuoted(ours), &size), 0) << size;
        ASSERT_EQ(test::runCommand("mutool draw -q -f " + size + " -o " + shellQuoted(theirs) + " " +
                                   shellQuoted(pdf) + " 1"),
                  0);
        std::string differing;
        test::runCommand("compare -metric AE " + shellQuoted(ours) + " " + shellQuoted(theirs) + " null:", &differing);
        EXPECT_EQ(differing.substr(differing.rfind('\n') + 1), "0") << differing;
        ++checked;
    }
    EXPECT_GT(checked, 20);
}
