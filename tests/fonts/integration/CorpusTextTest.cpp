// The page text of the shared corpus (every character the interpreter reports for every page)
// against the text pdftotext extracts from the same files: a character-level similarity per file,
// independent of reading order (the interpreter reports in content-stream order).

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>

#include "pdf/interpreter/KXPDFConentParser.h"
#include "pdf/state/KXPDFRenderState.h"
#include "platform/FileSystem.h"
#include "platform/Unicode.h"
#include "platform/pdf/PDFDocument.h"
#include "support/TestSupport.h"

namespace {

struct TextCollector : KXPDFConentParserDelegate {
    void didScanText(KXPDFConentParser&, const std::u16string& text, kx::Size) override { collected += text; }
    std::u16string collected;
};

std::u32string interpreterText(const std::string& path) {
    auto doc = kx::PDFDocument::open(path);
    if (!doc) return {};
    TextCollector collector;
    kx::ScopedTemporaryRoot temporary;
    for (int n = 1; n <= doc->pageCount(); ++n) {
        auto page = doc->page(n);
        if (!page) continue;
        KXPDFConentParser parser(page->dictionary(), kx::PDFContentStream::forPage(*page));
        parser.setDelegate(&collector);
        parser.setRenderingStateStack(std::make_shared<KXPDFRenderStateStack>());
        parser.setIsParserAnnots(0);
        parser.startParser();
        collector.collected += u'\n';
    }
    std::u32string out;
    for (size_t i = 0; i < collector.collected.size();) out.push_back(kx::nextCodePoint(collector.collected, i));
    return out;
}

std::u32string referenceText(const std::string& path) {
    std::string output;
    if (kx::test::runCommand("pdftotext -q -enc UTF-8 '" + path + "' -", &output) != 0) return {};
    std::u16string units = kx::utf8ToUtf16(output);
    std::u32string out;
    for (size_t i = 0; i < units.size();) out.push_back(kx::nextCodePoint(units, i));
    return out;
}

// The characters that count: no white space or control characters; ligatures as their letters.
std::map<char32_t, long> characterCounts(const std::u32string& text) {
    static const std::map<char32_t, const char32_t*> ligatures = {
        {0xFB00, U"ff"}, {0xFB01, U"fi"}, {0xFB02, U"fl"}, {0xFB03, U"ffi"}, {0xFB04, U"ffl"}};
    std::map<char32_t, long> counts;
    for (char32_t c : text) {
        if (c <= 0x20 || c == 0xA0 || c == 0x3000 || (c >= 0x2000 && c <= 0x200B) || c == 0xFEFF) continue;
        if (auto it = ligatures.find(c); it != ligatures.end()) {
            for (const char32_t* p = it->second; *p; ++p) ++counts[*p];
            continue;
        }
        ++counts[c];
    }
    return counts;
}

// 2 |A ∩ B| / (|A| + |B|) over the multisets of characters.
double similarity(const std::map<char32_t, long>& a, const std::map<char32_t, long>& b, long& sizeA, long& sizeB) {
    long common = 0;
    sizeA = sizeB = 0;
    for (const auto& [c, n] : a) {
        sizeA += n;
        if (auto it = b.find(c); it != b.end()) common += std::min(n, it->second);
    }
    for (const auto& [c, n] : b) sizeB += n;
    return sizeA + sizeB == 0 ? 1.0 : 2.0 * static_cast<double>(common) / static_cast<double>(sizeA + sizeB);
}

// The lowest similarity a file may reach.
constexpr double kFloor = 0.97;

}  // namespace

TEST(CorpusText, PageTextMatchesPdftotextCharacters) {
    const std::optional<std::string> corpus = kx::test::corpusDir("text");
    KX_REQUIRE_CORPUS(corpus);
    const std::string& folder = *corpus;
    if (!kx::test::haveCommand("pdftotext")) GTEST_SKIP() << "pdftotext is not installed";
    std::printf("%-36s %9s %9s %8s %8s\n", "file", "ours", "pdftotext", "similar", "seconds");
    for (const auto& name : kx::listDirectory(folder)) {
        if (kx::pathExtension(name) != "pdf") continue;
        const std::string path = kx::pathJoin(folder, name);
        auto start = std::chrono::steady_clock::now();
        std::u32string ours = interpreterText(path);
        double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::u32string theirs = referenceText(path);
        long sizeOurs = 0, sizeTheirs = 0;
        double score = similarity(characterCounts(ours), characterCounts(theirs), sizeOurs, sizeTheirs);
        std::printf("%-36s %9ld %9ld %8.4f %8.2f\n", name.c_str(), sizeOurs, sizeTheirs, score, seconds);
        // KX_CORPUS_TEXT_DUMP=<folder> keeps both texts for a closer look.
        if (const char* dump = std::getenv("KX_CORPUS_TEXT_DUMP"); dump && *dump) {
            auto utf8 = [](const std::u32string& text) {
                std::string out;
                for (char32_t c : text) kx::appendUtf8(out, c);
                return out;
            };
            kx::writeFile(kx::pathJoin(dump, name + ".ours.txt"), utf8(ours));
            kx::writeFile(kx::pathJoin(dump, name + ".pdftotext.txt"), utf8(theirs));
        }
        EXPECT_GE(score, kFloor) << name;
    }
}
