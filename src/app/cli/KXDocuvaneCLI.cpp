#include "app/cli/KXDocuvaneCLI.h"

#include <getopt.h>
#include <spawn.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "app/jobs/PageRanges.h"
#include "engine/KXDocuvaneErrors.h"
#include "platform/FileSystem.h"
#include "platform/Format.h"
#include "platform/pdf/PDFDocument.h"

extern char** environ;

namespace {

void say(const std::string& text) {
    std::fputs(text.c_str(), stdout);
    std::fflush(stdout);
}

// Standard error alone: what a script that keeps standard output for itself still has to see.
void complain(const std::string& text) {
    std::fputs(text.c_str(), stderr);
    std::fflush(stderr);
}

// A failure: on standard output with the rest of the story, and on standard error.
void refuse(const std::string& text) {
    say(text);
    complain(text);
}

std::string quotedLine(const char* label, const std::string& value) { return std::string(label) + "\"" + value + "\"\n"; }

void printUsage() {
    std::printf("%s\n\n", "KXDocuvane v" KX_VERSION);
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
        refuse(quotedLine("Unsupported output format: ", type));
        pdfResult_ = 1;
        return pdfResult_;
    }
    KXDocuvane::prepareForDocType(type);

    // The count comes from the pages the document holds, so the list is never longer than the
    // document. Anything but a regular PDF file counts no page here; the engine then says why.
    std::int64_t pageCount = 0;
    if (auto document = kx::PDFDocument::open(pdfPath_)) pageCount = document->pageCount();
    pdfPageIndexs_ = PageIndexsForString(std::nullopt, pageCount);
    if (pageText) {
        std::vector<std::uint64_t> selected = PageIndexsForString(*pageText, pageCount);
        if (!selected.empty()) pdfPageIndexs_ = std::move(selected);
        say(quotedLine("Pages Selected: ", *pageText));
    }

    outputPath_ = output ? *output : kx::pathWithoutExtension(pdfPath_) + "." + type;
    // The output never replaces the input, and a folder at the output path is never removed (page
    // images go into it).
    if (kx::fileExists(pdfPath_) && kx::canonicalPath(outputPath_) == kx::canonicalPath(pdfPath_)) {
        refuse(quotedLine("The output would replace the input file: ", outputPath_));
        pdfResult_ = 1;
        return pdfResult_;
    }
    // Nothing at the output path is removed now: the output is written aside and replaces what is
    // there only when the conversion has succeeded.
    std::string whyNot;
    if (!output_.prepare(outputPath_, kx::StagedOutput::kindForOutputType(type), &whyNot)) {
        refuse(kx::format("Can't write the output (%s): \"%s\"\n", whyNot.c_str(), outputPath_.c_str()));
        pdfResult_ = 1;
        return pdfResult_;
    }
    std::fflush(stdout);

    auto options = std::make_shared<KXPDFOptions>();
    options->setIsParserAnnots(1);
    options->setImageDPI(144);

    pdfResult_ = 0;
    convertedPages_ = 0;
    failedPages_ = 0;
    incompletePages_ = 0;
    docuvane_.convertPDFAtPath(pdfPath_, "", pdfPageIndexs_, type, output_.writePath(), std::move(options));
    return pdfResult_;
}

void KXDocuvaneCLI::fail(const std::string& line) {
    output_.discard();
    refuse(line);
    pdfResult_ = 1;
}

void KXDocuvaneCLI::didStartConversion(KXDocuvane& engine, const KXError*) {
    say(quotedLine("Conversion Started: ", engine.pdfPath()));
}

void KXDocuvaneCLI::didEndConversion(KXDocuvane& engine, const KXError* error) {
    if (error) {
        // The input's errors name the input, the output's the output; a cancel names nothing.
        const bool aboutInput = error->code == KXDocuvaneErrorSourceMissing || error->code == KXDocuvaneErrorCannotLoad;
        std::string line = "Conversion end Failed: \"" + error->failureReason + "\"";
        if (!error->underlyingReason.empty()) {
            line += " (" + error->underlyingReason;
            if (error->underlyingReason == "password-protected")
                line += "; the command line opens no password-protected PDF";
            line += ")";
        }
        if (error->code != KXDocuvaneErrorCanceled)
            line += ": \"" + (aboutInput ? engine.pdfPath() : outputPath_) + "\"";
        fail(line + "\n");
        return;
    }
    if (convertedPages_ == 0) {
        fail("Conversion end Failed: \"No page could be converted.\"\n");
        return;
    }
    std::string whyNot;
    if (!output_.commit(&whyNot)) {
        fail(kx::format("Conversion end Failed: \"Can't write the output file.\" (%s): \"%s\"\n", whyNot.c_str(),
                        outputPath_.c_str()));
        return;
    }
    // Pages that failed and pages converted with something left out end the run alike: the output
    // is there, and the status says that it is not whole.
    if (failedPages_ > 0 || incompletePages_ > 0) {
        const auto failed = static_cast<unsigned long long>(failedPages_);
        const auto incomplete = static_cast<unsigned long long>(incompletePages_);
        const auto asked = static_cast<unsigned long long>(failedPages_ + convertedPages_);
        std::string line;
        if (incompletePages_ == 0)
            line = kx::format("%llu of %llu pages could not be converted.", failed, asked);
        else if (failedPages_ == 0)
            line = kx::format("%llu of %llu pages could not be converted in full.", incomplete, asked);
        else
            line = kx::format("%llu of %llu pages could not be converted, and %llu only in part.", failed, asked,
                              incomplete);
        refuse("Conversion end Failed: \"" + line + "\"\n");
        pdfResult_ = kPagesFailed;
        return;
    }
    say(quotedLine("Conversion end Success: ", engine.pdfPath()));
    pdfResult_ = 0;
    if (openConvertedFile_) {
        say(quotedLine("Open the Converted file: ", outputPath_));
        openWithDefaultApplication(outputPath_);
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

void KXDocuvaneCLI::convertPDFPageIndexFaildWithError(KXDocuvane&, std::uint64_t, const KXError& error) {
    // A page converted with something left out was counted converted already.
    const bool incomplete = error.domain == KXDocuvaneErrorDomain && error.code == KXDocuvaneErrorPageIncomplete;
    ++(incomplete ? incompletePages_ : failedPages_);
    std::string line = (incomplete ? "Conversion Page Incomplete: \"" : "Conversion Page Failed: \"") +
                       error.failureReason + "\"";
    if (!error.underlyingReason.empty()) line += " (" + error.underlyingReason + ")";
    complain(line + "\n");
}

// The destination the user named, not the place the output is written before it is put there.
void KXDocuvaneCLI::willSaveDoc(KXDocuvane&) { say(quotedLine("Conversion willSaveDoc to: ", outputPath_)); }

void KXDocuvaneCLI::catchException(KXDocuvane&, const std::string& description) {
    say("Conversion catchException: " + description + "\n");
}
