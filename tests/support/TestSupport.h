#pragma once
// Small helpers shared by the tests.

#include <array>
#include <clocale>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Image.h"
#include "platform/pdf/PDFDocument.h"

namespace kx::test {

// A folder for the running test binary, removed at exit.
std::string tempDir();
// Writes bytes to tempDir()/name and returns the path.
std::string writeTemp(const std::string& name, const std::string& bytes);

// The shared corpus folder, or one of its folders ("text"): $KX_CORPUS_DIR, else the folder the
// build was configured with; nullopt when it is not there.
std::optional<std::string> corpusDir(const std::string& relative = {});
// True where a missing corpus is a broken set-up rather than a machine without it: under CI=true.
bool corpusRequired();
// A checker that ships beside the corpus ("ooxml-validate"), when it is there.
std::optional<std::string> sharedTool(const std::string& name);
// A file of the shared corpus ("text/tracemonkey.pdf"), when the corpus is present.
std::optional<std::string> corpusPath(const std::string& relative);
// Every PDF of the shared corpus, in all its folders, sorted; empty when the corpus is absent.
std::vector<std::string> corpusPDFs();
// The same files named by their path inside the corpus ("wild/issue6127.pdf", which corpusPath()
// finds): the cases of a test that runs once per corpus file.
std::vector<std::string> corpusPDFNames();
// A test case name for such a file: every character but letters and digits becomes '_'
// ("wild_issue6127_pdf").
std::string corpusCaseName(const std::string& relative);
// Opens each PDF in turn and hands every page, with the document's path and the page's 1-based
// number, to `visitPage`; `visitDocument`, when given, sees each document before its pages. A
// document that does not open, or a page that cannot be read, fails the running test and is passed
// over. Answers how many documents and pages were visited.
struct PagesVisited {
    std::size_t files = 0;
    std::size_t pages = 0;
};
PagesVisited forEachPage(const std::vector<std::string>& files,
                         const std::function<void(const std::string& file, const PDFPage& page, int number)>& visitPage,
                         const std::function<void(const std::string& file, PDFDocument& document)>& visitDocument = {});

// The four channels (red, green, blue, alpha) of pixel (x, y) of an RGBA image, counted from its
// top-left corner.
using RGBA = std::array<int, 4>;
RGBA pixelAt(const Image& image, int x, int y);

// The project's source folder and the folder of the built programs.
std::string sourceDir();
std::string binDir();

// Runs with the process locale set for LC_ALL (restored afterwards); ok() is false when the
// locale is not installed.
class ScopedLocale {
public:
    explicit ScopedLocale(const char* name);
    ~ScopedLocale();
    bool ok() const { return ok_; }

private:
    std::string previous_;
    bool ok_ = false;
};

// Runs a shell command and returns its exit status; output goes to `output` when given.
int runCommand(const std::string& command, std::string* output = nullptr);
bool haveCommand(const std::string& name);

// Expected writer output typed with two blanks per level of indentation, turned into the writer's
// tabs: each pair of blanks at the start of a line becomes one tab.
std::string tabbed(std::string_view text);

}  // namespace kx::test

// Defined in a build under AddressSanitizer, where conversions run several times slower and an
// address-space limit cannot be set.
#if defined(__SANITIZE_ADDRESS__)
#define KX_TEST_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KX_TEST_UNDER_ASAN 1
#endif
#endif

// Ends a corpus test that finds no corpus: skipped on a machine without it, failed under CI=true,
// where every corpus suite has to run.
#define KX_REQUIRE_CORPUS(present)                                                                    \
    do {                                                                                              \
        if (!(present)) {                                                                             \
            if (::kx::test::corpusRequired()) FAIL() << "CI=true and no corpus (set KX_CORPUS_DIR)"; \
            GTEST_SKIP() << "the shared corpus is not here (set KX_CORPUS_DIR)";                      \
        }                                                                                             \
    } while (false)
