// Every PDF of the shared corpus through the whole pipeline in a child process: each page through
// the interpreter with a delegate that does an exporter's work, then the engine to page images.
// Real-world files must neither crash nor hang, and every page must convert.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "HostileRun.h"
#include "support/TestSupport.h"

namespace {

std::vector<std::string> corpusFiles() {
    std::vector<std::string> files;
    auto readme = kx::test::corpusPath("README.md");
    if (!readme) return files;
    const std::filesystem::path root = std::filesystem::path(*readme).parent_path();
    std::error_code ec;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root, ec))
        if (entry.path().extension() == ".pdf") files.push_back(std::filesystem::relative(entry.path(), root).string());
    std::sort(files.begin(), files.end());
    return files;
}

std::string testName(const testing::TestParamInfo<std::string>& info) {
    std::string name = info.param;
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return name;
}

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
}

// Without a corpus the table above is empty; this says so (and fails under CI=true).
TEST(CorpusPipelineFiles, TheCorpusIsHere) { KX_REQUIRE_CORPUS(!corpusFiles().empty()); }

INSTANTIATE_TEST_SUITE_P(Corpus, CorpusPipeline, testing::ValuesIn(corpusFiles()), testName);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(CorpusPipeline);
