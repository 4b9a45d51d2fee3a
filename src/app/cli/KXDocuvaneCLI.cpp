#include "app/cli/KXDocuvaneCLI.h"

#include <getopt.h>
#include <spawn.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "app/jobs/PageRanges.h"
#include "platform/FileSystem.h"
#include "platform/Format.h"
#include "platform/pdf/PDFDocument.h"

extern char** environ;

namespace {

void say(const std::string& text) {
    std::fputs(text.c_str(), stdout);
    std::fflush(stdout);
}

std::string quotedLine(const char* label, const std::string& value) { return std::string(label) + "\"" + value + "\"\n"; }

void printUsage() {
    std::printf("%s\n\n", "KXDocuvane v1.0.1");
    const char* lines[] = {
        "KXDocuvane - Convert PDF to Word/Excel/PPT, etc.",
        "usage: KXDocuvane [input]filepath.pdf [options]docx [output]filepath.docx",
        "where options are:",
        " -i input.pdf              [input]add a new file path for pdf conversion",
        " -o output.docx            [output]write conversion output to file path",
        " -p 1-3,5                  [options]setup pdf page ranges[todo fix]",
        " -f docx,pptx,xlsx,jpg     [options]setup conversion formats{default is docx}",
        " -h                        [help]print this help message",
    };
    for (const char* line : lines) std::printf("%s\n", line);
    std::printf("\n");
    std::fflush(stdout);
}

// Opens the file with the desktop's default application, without waiting for it.
void openWithDefaultApplication(const std::string& path) {
    pid_t pid;
    const char* argv[] = {"xdg-open", path.c_str(), nullptr};
    if (posix_spawnp(&pid, "xdg-open", nullptr, nullptr, const_cast<char* const*>(argv), environ) != 0)
        say("Couldn't open the converted file.\n");
}

}  // namespace

KXDocuvaneCLI::KXDocuvaneCLI() { docuvane_.setDelegate(this); }

KXDocuvaneCLI::~KXDocuvaneCLI() { docuvane_.setDelegate(nullptr); }

void KXDocuvaneCLI::leftButtonPress() { docuvane_.stopConvertsionIfNeed(); }

std::vector<std::uint64_t> KXDocuvaneCLI::PageIndexsForString(const std::optional<std::string>& text,
                                                              std::int64_t count) {
    return kx::PageIndexsForString(text, count);
}

int KXDocuvaneCLI::runMain(int argc, char** argv) {
    openConvertedFile_ = false;
    std::optional<std::string> input, output, pageText, format;
    optind = 1;
    int option;
    while ((option = getopt(argc, argv, "i:o:p:f:ch")) != -1) {
        switch (option) {
            case 'i': input = optarg; break;
            case 'o': output = optarg; break;
            case 'p': pageText = optarg; break;
            case 'f': format = optarg; break;
            case 'c': openConvertedFile_ = true; break;
            case 'h':
                printUsage();
                std::exit(-1);
            default: break;  // getopt has said what was wrong
        }
    }

    say(input ? quotedLine("The input file: ", *input) : "The input file: \"(null)\"\n");
    pdfPath_ = input.value_or("");
    if (pdfPath_.empty()) {
        pdfPath_ = kx::homeDirectory() + "/Desktop/TestPage.pdf";
        say(quotedLine("Because the input is \"null\", let's use the test file(Saved at Desktop): ", pdfPath_));
    }

    const std::string type = format.value_or("docx");
    say(quotedLine("Let's convert PDF to ", type));
    // Nothing is touched for a format the engine cannot produce.
    if (!KXDocuvane::canConvertToDocType(type)) {
        say(quotedLine("Unsupported output format: ", type));
        pdfResult_ = 1;
        return pdfResult_;
    }

    std::int64_t pageCount = 0;
    if (auto document = kx::PDFDocument::open(pdfPath_)) pageCount = document->pageCount();
    pdfPageIndexs_ = PageIndexsForString(std::nullopt, pageCount);
    if (pageText) {
        std::vector<std::uint64_t> selected = PageIndexsForString(*pageText, pageCount);
        if (!selected.empty()) pdfPageIndexs_ = std::move(selected);
        say(quotedLine("Pages Selected: ", *pageText));
    }

    const std::string outputPath = output ? *output : kx::pathWithoutExtension(pdfPath_) + "." + type;
    // The output never replaces the input, and a folder at the output path is never removed (page
    // images go into it).
    if (kx::fileExists(pdfPath_) && kx::canonicalPath(outputPath) == kx::canonicalPath(pdfPath_)) {
        say(quotedLine("The output would replace the input file: ", outputPath));
        pdfResult_ = 1;
        return pdfResult_;
    }
    if (kx::fileExists(outputPath) && !kx::isDirectory(outputPath)) kx::removeFile(outputPath);
    std::fflush(stdout);

    auto options = std::make_shared<KXPDFOptions>();
    options->setIsParserAnnots(1);
    options->setImageDPI(144);

    pdfResult_ = 0;
    convertedPages_ = 0;
    docuvane_.convertPDFAtPath(pdfPath_, "", pdfPageIndexs_, type, outputPath, std::move(options));
    return pdfResult_;
}

void KXDocuvaneCLI::didStartConversion(KXDocuvane& engine, const KXError*) {
    say(quotedLine("Conversion Started: ", engine.pdfPath()));
}

void KXDocuvaneCLI::didEndConversion(KXDocuvane& engine, const KXError* error) {
    if (error) {
        say(quotedLine("Conversion end Failed: ", error->failureReason));
        pdfResult_ = 1;
        return;
    }
    say(quotedLine("Conversion end Success: ", engine.pdfPath()));
    pdfResult_ = 0;
    if (!engine.pdfPageIndexs().empty() && convertedPages_ == 0) {
        std::fputs("No page could be converted.\n", stderr);
        pdfResult_ = 1;
        return;
    }
    if (openConvertedFile_) {
        say(quotedLine("Open the Converted file: ", engine.destDocPath()));
        openWithDefaultApplication(engine.destDocPath());
    }
}

void KXDocuvaneCLI::convertPDFPageIndex(KXDocuvane&, std::uint64_t, std::uint64_t, std::uint64_t finshedWordPageCount) {
    ++convertedPages_;
    const auto total = static_cast<float>(pdfPageIndexs_.size());
    const auto finished = static_cast<float>(finshedWordPageCount);
    const float progress = std::max(0.1f, total > 0 ? finished * 100.0f / total : 0.0f);
    say(kx::format("Conversion Page: %lu-%lu, Progress: %0.2f%%\n", static_cast<unsigned long>(finshedWordPageCount),
                   static_cast<unsigned long>(pdfPageIndexs_.size()), static_cast<double>(progress)));
}

void KXDocuvaneCLI::willSaveDoc(KXDocuvane& engine) { say(quotedLine("Conversion willSaveDoc to: ", engine.destDocPath())); }

void KXDocuvaneCLI::catchException(KXDocuvane&, const std::string& description) {
    say("Conversion catchException: " + description + "\n");
}
