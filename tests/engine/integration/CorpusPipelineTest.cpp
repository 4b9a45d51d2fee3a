// Every PDF of the shared corpus through the whole pipeline in a child process: each page through
// the interpreter with a delegate that does an exporter's work, then the engine to page images.
// Real-world files must neither crash nor hang, and every page must convert.

#include <gtest/gtest.h>

#include <algorithm>

#include "HostileRun.h"
#include "support/TestSupport.h"

namespace {

class CorpusPipeline : public testing::TestWithParam<std::string> {};

}  // namespace

TEST_P(CorpusPipeline, EveryPageRunsAndConverts) {
    auto path = kx::test::corpusPath(GetParam());
    KX_REQUIRE_CORPUS(path);
    kx::test::PipelineSummary summary;
    kx::test::ChildLimits limits;
    limits.time = std::chrono::seconds(120);
    kx::test::ChildOutcome outcome = kx::test::runPipelineInChild(*path, summary, {}, limits);
    ASSERT_TRUE(outcome.clean()) << outcome.describe();
    std::printf("%s: %d pages, %zu texts, %zu paths, %zu pattern paths, %zu shadings, %zu images, %zu text boxes, "
                "%zu outline items in %.2f s, peak %ld MB\n",
                GetParam().c_str(), summary.pageCount, summary.texts, summary.paths, summary.patternPaths,
                summary.shadings, summary.images, summary.textBoxes, summary.outlineItems, outcome.seconds,
                outcome.maxResidentKB / 1024);
    EXPECT_TRUE(summary.opened);
    EXPECT_EQ(summary.pagesInterpreted, std::min(summary.pageCount, kx::test::PipelineOptions{}.maxPages));
    EXPECT_TRUE(summary.engineEnded);
    EXPECT_TRUE(summary.engineSucceeded) << summary.engineError;
    EXPECT_EQ(summary.pagesFailed, 0);
    // The bounds against crafted input cost a real page nothing.
    EXPECT_EQ(summary.pagesIncomplete, 0);
}

// Without a corpus the table above is empty; this says so (and fails under CI=true).
TEST(CorpusPipelineFiles, TheCorpusIsHere) { KX_REQUIRE_CORPUS(!kx::test::corpusPDFNames().empty()); }

INSTANTIATE_TEST_SUITE_P(Corpus, CorpusPipeline, testing::ValuesIn(kx::test::corpusPDFNames()),
                         [](const testing::TestParamInfo<std::string>& info) {
                             return kx::test::corpusCaseName(info.param);
                         });
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(CorpusPipeline);
