#pragma once
// Runs untrusted documents through the whole pipeline in a child process, so that a crash, a hang
// or a runaway allocation shows up as a failed case instead of taking the test run down.
//
// The child interprets every page with a delegate that answers all six reports and does the work an
// exporter does with them (font metrics, pattern and shading rasterising, image decoding), runs the
// annotation pass and the outline reader, then converts the document through the engine. The
// parent enforces a wall-clock limit and, outside sanitizer builds, an address-space limit.

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace kx::test {

struct ChildLimits {
    std::chrono::milliseconds time{20000};
    // Address-space limit of the child (not applied under AddressSanitizer, which reserves far more
    // than it uses); the child's peak resident size is checked against it in every build.
    std::size_t memoryBytes = std::size_t(3) << 30;
};

struct ChildOutcome {
    bool exited = false;    // ended through exit()
    int exitCode = -1;
    int signal = 0;         // the signal that ended it, 0 when it exited
    bool timedOut = false;  // killed at the time limit
    double seconds = 0;
    long maxResidentKB = 0;
    std::string output;     // what the child wrote on stdout and stderr

    bool clean() const { return exited && exitCode == 0 && !timedOut; }
    std::string describe() const;
};

// Runs `work` in a forked child under the limits; the child's exit code is what `work` returns.
ChildOutcome runInChild(const std::function<int()>& work, const ChildLimits& limits = {});

// What the pipeline made of one document.
struct PipelineSummary {
    bool opened = false;
    int pageCount = 0;
    int pagesInterpreted = 0;
    std::size_t texts = 0, paths = 0, patternPaths = 0, shadings = 0, images = 0, textBoxes = 0;
    std::size_t outlineItems = 0;
    bool engineEnded = false;     // the engine sent its end report
    bool engineSucceeded = false; // ...without an error
    std::string engineError;
    int pagesConverted = 0, pagesFailed = 0;
    int pagesIncomplete = 0;  // converted (counted in pagesConverted) with something left out by a bound
};

struct PipelineOptions {
    int maxPages = 40;          // pages interpreted at most
    bool runEngine = true;
    std::vector<std::string> engineFormats{"png"};  // formats the engine can produce are run
    int imageDPI = 36;
    // The page renderer's time limit during the conversion (0 keeps its default).
    std::chrono::milliseconds pageDrawingTimeLimit{0};
};

// Every page through the interpreter (annotation pass on) and the outline reader.
PipelineSummary interpretDocument(const std::string& path, const PipelineOptions& options = {});
// The document through the engine to each format of the options, into a fresh folder.
void convertDocument(const std::string& path, const PipelineOptions& options, PipelineSummary& summary);

// The summary as one line (printed by the child, parsed back by the parent).
std::string formatSummary(const PipelineSummary& s);
bool parseSummary(const std::string& output, PipelineSummary& s);

// Interprets and converts the file in a child: the outcome, and the child's summary in `summary`
// when it got that far.
ChildOutcome runPipelineInChild(const std::string& path, PipelineSummary& summary, const PipelineOptions& options = {},
                                const ChildLimits& limits = {});

}  // namespace kx::test
