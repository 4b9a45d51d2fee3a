#pragma once
// One queued PDF: a row of the source-file list and, at the same time, one conversion job. It holds
// the PDF's path and password, the output format chosen for it, its page range, the options handed
// to the engine, the output path of its last run and the error of its last run, and it answers the
// texts and icon names its row shows. Main thread only.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/KXPDFOptions.h"
#include "platform/KXError.h"

class KXSourceFileItem {
public:
    // One item for a file; for a folder, one for each entry directly inside it that is not itself a
    // folder (hidden entries included, no type test: the list's check rejects what is no PDF).
    // Nothing for a path where nothing exists or a folder that cannot be listed.
    static std::vector<std::shared_ptr<KXSourceFileItem>> CreateSourceItemsOfFileOrDirectoryAtPath(
        const std::string& path);
    // A new item with the stored defaults; nullptr when nothing exists at the path.
    static std::shared_ptr<KXSourceFileItem> initWithPath(const std::string& path);

    // Reads the stored settings (output format, image type, the DOCX, spreadsheet and image options)
    // into the item, with page range "all pages" and nothing converted yet.
    void initDefaults();

    const std::string& sourcePath() const { return sourcePath_; }
    void setSourcePath(std::string path) { sourcePath_ = std::move(path); }
    // The password that unlocked the PDF when it was added; empty when none was needed.
    const std::string& sourcePassword() const { return sourcePassword_; }
    void setSourcePassword(std::string password) { sourcePassword_ = std::move(password); }
    // The output file of the last run; empty when the item has not run since its last reset.
    const std::string& outputPath() const { return outputPath_; }
    void setOutputPath(std::string path) { outputPath_ = std::move(path); }
    // The error of the last run; nullopt after a success (or before any run).
    const std::optional<KXError>& conversionError() const { return conversionError_; }
    void setConversionError(std::optional<KXError> error) { conversionError_ = std::move(error); }
    // The pages of the last run that could not be converted, or were converted with something
    // left out (`incomplete`: the page is in the output, not whole), with the engine's reason for
    // each, in the order they were reported, and the number of pages the run asked for; the job
    // manager starts both afresh when the item's job starts.
    struct FailedPage {
        std::uint64_t pageNumber = 0;
        std::string reason;
        bool incomplete = false;
    };
    const std::vector<FailedPage>& failedPages() const { return failedPages_; }
    void addFailedPage(std::uint64_t pageNumber, std::string reason, bool incomplete = false) {
        failedPages_.push_back({pageNumber, std::move(reason), incomplete});
    }
    std::size_t requestedPageCount() const { return requestedPageCount_; }
    void startRunReport(std::size_t requestedPageCount) {
        failedPages_.clear();
        requestedPageCount_ = requestedPageCount;
    }

    // Display names of the output format and, for the image family, of the image type. Setting either
    // also stores it as the format new items start with.
    const std::string& settings_outputFormat() const { return settings_outputFormat_; }
    void setSettings_outputFormat(const std::string& displayName);
    const std::string& settings_outputFormat_imageType() const { return settings_outputFormat_imageType_; }
    void setSettings_outputFormat_imageType(const std::string& displayName);
    // 0 all pages, 1 the custom range text.
    std::int64_t settings_pageRangeType() const { return settings_pageRangeType_; }
    void setSettings_pageRangeType(std::int64_t type) { settings_pageRangeType_ = type; }
    const std::string& settings_customPageRange() const { return settings_customPageRange_; }
    void setSettings_customPageRange(std::string text) { settings_customPageRange_ = std::move(text); }

    // The options of the item's job. The engine gets a copy when the job starts, so editing these
    // never touches a running conversion.
    const KXPDFOptions& convertOpts() const { return convertOpts_; }
    KXPDFOptions& convertOpts() { return convertOpts_; }
    void setConvertOpts(KXPDFOptions options) { convertOpts_ = std::move(options); }

    // A fresh output path, stored in outputPath: the source's base name with the output key as its
    // extension, in the chosen output folder (the Downloads folder when none resolves), numbered
    // ("report 2.docx") when the name is taken. The name is claimed at once by an empty file there (an
    // empty folder for page images), which the job replaces when it succeeds and removes otherwise.
    // nullopt when no free name was found; outputPath then holds the name that was wanted. When the
    // folder takes no new entry, the name wanted comes back unclaimed and `whyNot` says why.
    std::optional<std::string> newOutputPath(std::string* whyNot = nullptr);
    // The output type key for the engine ("docx" for an unknown format).
    std::string outputFileFormat() const;
    // The 1-based page numbers to convert.
    std::vector<std::uint64_t> outputPDFPageIndexs();
    // Whether the page range reads as it is written (all pages always do). A custom text that reads
    // only in part ("All Pages2-3" reads as 1-3) is not converted: its job fails before it starts.
    bool isPageRangeReadable() const;

    // The page count of the PDF, read once (0 while the PDF cannot be opened; tried again next time).
    std::int64_t sourcePages();
    std::uint64_t fileSize() const;
    // "12.0 KB", "1.4 MB", "2.0 GB".
    std::string fileSizeString() const;
    static std::string fileSizeStringForSize(std::uint64_t size);

    // Row texts: "12 Pages, 1.4 MB" and "All Pages, DOCX, Ready!" (localised).
    std::string sourceInfo();
    std::string conversionOptions() const;
    // Whether the last run ended without an error and its file exists (never while a job runs).
    // Pages that failed, or lost something, in a run that wrote the others still leave an output.
    bool hasConversionOutput() const;
    // An output with every requested page in it, whole.
    bool isConversionSucceeded() const;
    // The status word of the row, not localised: "Ready" before the item's job has ended (not run
    // since the last reset, or running now), then "Success", or "Failed" when the job failed or some
    // of its pages could not be converted, or were converted with something left out.
    std::string conversionStatus() const;
    // Why the last run failed, for the row's tool tip (localised): the job's error, or how many pages
    // could not be converted (in full, when something was left out of any), which ones, and the
    // reasons of the first of them. Empty after a success and before a run has ended.
    std::string conversionFailureDescription() const;
    // Set by the job manager from the engine call until the job's end event: while it is set the
    // output path names a file that is still being written elsewhere.
    bool isConverting() const { return isConverting_; }
    void setConverting(bool converting) { isConverting_ = converting; }

    // Icon names: "icon_pdf_pw" for a locked PDF (or one that cannot be opened), else "icon_pdf"; the
    // icon of the output format (of the image type for the image family).
    std::string sourceFileIcon() const;
    std::string outputFileIcon() const;
    // Whether a file stands at the output path, whatever the last run made of it (the claim of a
    // running job, the output of a partly failed one).
    bool outputFileIconEnable() const;

private:
    std::int64_t sourcePages_ = 0;
    std::string sourcePath_;
    std::string sourcePassword_;
    std::string outputPath_;
    std::string settings_outputFormat_;
    std::string settings_outputFormat_imageType_;
    std::int64_t settings_pageRangeType_ = 0;
    std::string settings_customPageRange_;
    std::optional<KXError> conversionError_;
    std::vector<FailedPage> failedPages_;
    std::size_t requestedPageCount_ = 0;
    KXPDFOptions convertOpts_;
    bool isConverting_ = false;
};
