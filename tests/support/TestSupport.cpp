#include "support/TestSupport.h"

#include <sys/wait.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string_view>

#include <gtest/gtest.h>

#include "platform/FileSystem.h"

namespace kx::test {

namespace {
struct TempFolder {
    std::string path = pathJoin(systemTempDirectory(), "kx-tests-" + newUUIDString());
    TempFolder() { createDirectories(path); }
    ~TempFolder() { removeAll(path); }
};
}  // namespace

std::string tempDir() {
    static TempFolder folder;
    return folder.path;
}

std::string writeTemp(const std::string& name, const std::string& bytes) {
    std::string path = pathJoin(tempDir(), name);
    writeFile(path, bytes);
    return path;
}

std::string sourceDir() {
    if (const char* s = std::getenv("KX_SOURCE_DIR"); s && *s) return s;
    return KX_DEFAULT_SOURCE_DIR;
}

std::string binDir() {
    if (const char* s = std::getenv("KX_BIN_DIR"); s && *s) return s;
    return KX_DEFAULT_BIN_DIR;
}

std::optional<std::string> corpusDir(const std::string& relative) {
    const char* s = std::getenv("KX_CORPUS_DIR");
    std::string root = s && *s ? s : KX_DEFAULT_CORPUS_DIR;
    std::string path = relative.empty() ? root : pathJoin(root, relative);
    if (!isDirectory(path)) return std::nullopt;
    return canonicalPath(path);
}

bool corpusRequired() {
    const char* ci = std::getenv("CI");
    return ci && std::string_view(ci) == "true";
}

std::optional<std::string> sharedTool(const std::string& name) {
    auto root = corpusDir();
    if (!root) return std::nullopt;
    std::string path = pathJoin(pathJoin(*root, "../tools"), name);
    if (!isRegularFile(path)) return std::nullopt;
    return canonicalPath(path);
}

std::optional<std::string> corpusPath(const std::string& relative) {
    auto root = corpusDir();
    if (!root) return std::nullopt;
    std::string path = pathJoin(*root, relative);
    if (!isRegularFile(path)) return std::nullopt;
    return canonicalPath(path);
}

std::vector<std::string> corpusPDFs() {
    std::vector<std::string> files;
    auto readme = corpusPath("README.md");
    if (!readme) return files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(pathDirectory(*readme)))
        if (entry.path().extension() == ".pdf") files.push_back(entry.path().string());
    std::sort(files.begin(), files.end());
    return files;
}

std::vector<std::string> corpusPDFNames() {
    std::vector<std::string> names;
    auto root = corpusDir();
    if (!root) return names;
    for (const std::string& file : corpusPDFs())
        names.push_back(std::filesystem::relative(file, *root).string());
    return names;
}

std::string corpusCaseName(const std::string& relative) {
    std::string name = relative;
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return name;
}

PagesVisited forEachPage(const std::vector<std::string>& files,
                         const std::function<void(const std::string& file, const PDFPage& page, int number)>& visitPage,
                         const std::function<void(const std::string& file, PDFDocument& document)>& visitDocument) {
    PagesVisited visited;
    for (const std::string& file : files) {
        auto document = PDFDocument::open(file);
        if (!document) {
            ADD_FAILURE() << file << " does not open";
            continue;
        }
        ++visited.files;
        if (visitDocument) visitDocument(file, *document);
        for (int n = 1; n <= document->pageCount(); ++n) {
            auto page = document->page(n);
            if (!page) {
                ADD_FAILURE() << file << " page " << n << " cannot be read";
                continue;
            }
            ++visited.pages;
            visitPage(file, *page, n);
        }
    }
    return visited;
}

RGBA pixelAt(const Image& image, int x, int y) {
    const std::uint8_t* p = image.row(y) + static_cast<size_t>(x) * 4;
    return {p[0], p[1], p[2], p[3]};
}

ScopedLocale::ScopedLocale(const char* name) {
    const char* prev = std::setlocale(LC_ALL, nullptr);
    previous_ = prev ? prev : "C";
    ok_ = std::setlocale(LC_ALL, name) != nullptr;
}

ScopedLocale::~ScopedLocale() { std::setlocale(LC_ALL, previous_.c_str()); }

int runCommand(const std::string& command, std::string* output) {
    FILE* p = popen((command + " 2>&1").c_str(), "r");
    if (!p) return -1;
    std::array<char, 4096> buf;
    size_t n;
    while ((n = fread(buf.data(), 1, buf.size(), p)) > 0)
        if (output) output->append(buf.data(), n);
    int status = pclose(p);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool haveCommand(const std::string& name) { return runCommand("command -v " + name + " >/dev/null") == 0; }

std::string tabbed(std::string_view text) {
    std::string out;
    bool lineStart = true;
    for (size_t i = 0; i < text.size(); ++i) {
        if (lineStart && text[i] == ' ' && i + 1 < text.size() && text[i + 1] == ' ') {
            out += '\t';
            ++i;
            continue;
        }
        lineStart = text[i] == '\n';
        out += text[i];
    }
    return out;
}

}  // namespace kx::test
