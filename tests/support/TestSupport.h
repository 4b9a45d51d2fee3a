#pragma once
// Small helpers shared by the tests.

#include <clocale>
#include <optional>
#include <string>
#include <vector>

namespace kx::test {

// A folder for the running test binary, removed at exit.
std::string tempDir();
// Writes bytes to tempDir()/name and returns the path.
std::string writeTemp(const std::string& name, const std::string& bytes);

// A file of the shared corpus ("text/tracemonkey.pdf"), when the corpus is present.
std::optional<std::string> corpusPath(const std::string& relative);
// Every PDF of the shared corpus, in all its folders, sorted; empty when the corpus is absent.
std::vector<std::string> corpusPDFs();
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

}  // namespace kx::test
