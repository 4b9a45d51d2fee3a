#pragma once
// The command-line front end: reads the options, converts one PDF into one output (a file, or a
// folder of page images) and prints the progress and the outcome on standard output. What went
// wrong goes to standard error as well: each page that failed, each page converted with something
// left out (and what), and the failure of the run.
//
//   KXDocuvane -i input.pdf -o output.docx -p 1-3,5 -f docx [-c] [-h]
//
// The output is written aside and put in place only when the run succeeded (app/jobs/StagedOutput):
// a run that fails, or that SIGINT or SIGTERM cancels, leaves the destination as it found it.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/jobs/StagedOutput.h"
#include "engine/KXDocuvane.h"

class KXDocuvaneCLI : public KXDocuvaneDelegate {
public:
    KXDocuvaneCLI();
    ~KXDocuvaneCLI() override;
    KXDocuvaneCLI(const KXDocuvaneCLI&) = delete;
    KXDocuvaneCLI& operator=(const KXDocuvaneCLI&) = delete;

    // Parses the options and starts the conversion; the answer is pdfResult() right after the
    // engine call (0), or 1 when the request was refused before anything was touched (an output
    // type the engine cannot convert to, an output path that is the input file, a destination that
    // cannot take the output). "-h" prints the usage and ends the process with status -1.
    int runMain(int argc, char** argv);

    // 1-based page numbers from a range text such as "1-3,5" or "all", for a document of `count`
    // pages; numbers outside 1..count are dropped, order and repeats stay (kx::PageIndexsForString).
    static std::vector<std::uint64_t> PageIndexsForString(const std::optional<std::string>& text, std::int64_t count);

    // Asks the engine to stop.
    void leftButtonPress();

    KXDocuvane& docuvane() { return docuvane_; }
    const std::string& pdfPath() const { return pdfPath_; }
    const std::vector<std::uint64_t>& pdfPageIndexs() const { return pdfPageIndexs_; }
    bool openConvertedFile() const { return openConvertedFile_; }
    void setOpenConvertedFile(bool v) { openConvertedFile_ = v; }
    // The exit status: 0 success, 1 failure, 3 some of the requested pages failed or were
    // converted with something left out (the others, and those, are in the output). A conversion
    // that ended without an error but converted none of the pages it was asked for is a failure:
    // there is nothing to use.
    int pdfResult() const { return pdfResult_; }
    static constexpr int kPagesFailed = 3;

    void didStartConversion(KXDocuvane& engine, const KXError* error) override;
    void didEndConversion(KXDocuvane& engine, const KXError* error) override;
    void convertPDFPageIndex(KXDocuvane& engine, std::uint64_t pdfPageIndex, std::uint64_t writeWordPageIndex,
                             std::uint64_t finshedWordPageCount) override;
    void convertPDFPageIndexFaildWithError(KXDocuvane& engine, std::uint64_t pdfPageIndex, const KXError& error) override;
    void willSaveDoc(KXDocuvane& engine) override;
    void catchException(KXDocuvane& engine, const std::string& description) override;

private:
    // Ends the run as failed: the line on both outputs, the staged output removed.
    void fail(const std::string& line);

    int pdfResult_ = 0;
    std::uint64_t convertedPages_ = 0;
    std::uint64_t failedPages_ = 0;
    std::uint64_t incompletePages_ = 0;  // converted (counted in convertedPages_), with something left out
    std::string outputPath_;
    kx::StagedOutput output_;
    bool openConvertedFile_ = false;
    KXDocuvane docuvane_;
    std::string pdfPath_;
    std::vector<std::uint64_t> pdfPageIndexs_;
};
