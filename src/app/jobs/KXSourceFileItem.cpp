#include "app/jobs/KXSourceFileItem.h"

#include <algorithm>
#include <cctype>

#include "app/jobs/KXCUtilities.h"
#include "app/jobs/KXLocalized.h"
#include "app/jobs/KXOutputFormats.h"
#include "app/jobs/PageRanges.h"
#include "app/jobs/StagedOutput.h"
#include "app/jobs/KXSandBoxUtilities.h"
#include "app/jobs/KXSettingsKeys.h"
#include "app/jobs/KXSettingsStore.h"
#include "pdf/KXCPDFUtilities.h"
#include "platform/FileSystem.h"
#include "platform/Format.h"

namespace {

namespace names = kx::format_names;

const char* const kAllPages = "All Pages";

// Fills a localised text's "%lu" and "%@" holes in order (translations keep the holes, not printf's
// rules).
std::string fill(std::string text, const std::vector<std::string>& values) {
    size_t at = 0;
    for (const std::string& value : values) {
        size_t hole = text.find('%', at);
        while (hole != std::string::npos && text.compare(hole, 3, "%lu") != 0 && text.compare(hole, 2, "%@") != 0)
            hole = text.find('%', hole + 1);
        if (hole == std::string::npos) break;
        const size_t length = text.compare(hole, 3, "%lu") == 0 ? 3 : 2;
        text.replace(hole, length, value);
        at = hole + value.size();
    }
    return text;
}

std::string upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

}  // namespace

std::vector<std::shared_ptr<KXSourceFileItem>> KXSourceFileItem::CreateSourceItemsOfFileOrDirectoryAtPath(
    const std::string& path) {
    std::vector<std::shared_ptr<KXSourceFileItem>> items;
    if (!kx::fileExists(path)) return items;
    if (!kx::isDirectory(path)) {
        if (auto item = initWithPath(path)) items.push_back(std::move(item));
        return items;
    }
    for (const std::string& name : kx::listDirectory(path)) {
        const std::string entry = kx::pathJoin(path, name);
        if (!kx::fileExists(entry) || kx::isDirectory(entry)) continue;
        if (auto item = initWithPath(entry)) items.push_back(std::move(item));
    }
    return items;
}

std::shared_ptr<KXSourceFileItem> KXSourceFileItem::initWithPath(const std::string& path) {
    if (path.empty() || !kx::fileExists(path)) return nullptr;
    auto item = std::make_shared<KXSourceFileItem>();
    item->sourcePath_ = path;
    item->initDefaults();
    return item;
}

void KXSourceFileItem::initDefaults() {
    sourcePages_ = 0;
    outputPath_.clear();
    conversionError_.reset();
    settings_outputFormat_ = KXCUtilities::stringValueForKey(Setting_Key_Docuvane_OutputFormat, std::string(names::Word))
                                 .value_or(names::Word);
    settings_outputFormat_imageType_ =
        KXCUtilities::stringValueForKey(Setting_Key_Docuvane_OutputFormat_ImageType, std::string(names::JPEG))
            .value_or(names::JPEG);
    settings_pageRangeType_ = 0;
    settings_customPageRange_ = kx_sharedLocalized(kAllPages);

    convertOpts_ = KXPDFOptions();
    KXWordOptions& word = convertOpts_.wordOptions();
    word.setIsMergeParagraphs(KXCUtilities::boolValueForKey(Setting_Key_Docuvane_Word_isMergeParagraphs, true));
    word.setIsTrimmingBlankSpaceCharacters(
        KXCUtilities::boolValueForKey(Setting_Key_Docuvane_Word_isTrimmingBlankSpaceCharacters, true));
    word.setEnableShapToImage(KXCUtilities::boolValueForKey(Setting_Key_Docuvane_Word_enableShapToImage, false));
    word.setEnableMergeIntersectImages(
        KXCUtilities::boolValueForKey(Setting_Key_Docuvane_Word_enableMergeIntersectImages, true));

    KXExcelOptions& excel = convertOpts_.excelOptions();
    excel.setExcelFormatOption(
        static_cast<std::int32_t>(KXCUtilities::integerValueForKey(Setting_Key_Docuvane_Excel_FormatStyle, 0)));
    excel.setThousandSepartor(
        static_cast<std::int32_t>(KXCUtilities::integerValueForKey(Setting_Key_Docuvane_Excel_ThousandSepartor, 0)));
    excel.setOverlapText(
        static_cast<std::int32_t>(KXCUtilities::integerValueForKey(Setting_Key_Docuvane_Excel_OverlapText, 0)));
    excel.setAllInOneSheet(KXCUtilities::boolValueForKey(Setting_Key_Docuvane_Excel_IsEachPageSheet, false));
    excel.setAiosAddToRow(KXCUtilities::boolValueForKey(Setting_Key_Docuvane_Excel_IsAiosAddToRow, true));

    KXImageOptions& image = convertOpts_.imageOptions();
    image.setDpi(KXCUtilities::integerValueForKey(Setting_Key_Docuvane_Image_ImageDPI, 144));
    image.setQuality(KXCUtilities::floatValueForKey(Setting_Key_Docuvane_Image_ImageQuality, 0.92f));
}

void KXSourceFileItem::setSettings_outputFormat(const std::string& displayName) {
    settings_outputFormat_ = displayName;
    KXSettingsStore& store = KXSettingsStore::standardUserDefaults();
    store.setString(Setting_Key_Docuvane_OutputFormat, displayName);
    store.synchronize();
}

void KXSourceFileItem::setSettings_outputFormat_imageType(const std::string& displayName) {
    settings_outputFormat_imageType_ = displayName;
    KXSettingsStore& store = KXSettingsStore::standardUserDefaults();
    store.setString(Setting_Key_Docuvane_OutputFormat_ImageType, displayName);
    store.synchronize();
}

std::string KXSourceFileItem::outputFileFormat() const {
    const auto types = KXOutputFormats::FormatTypeDictionary();
    auto lookup = [&](const std::string& name) -> std::string {
        auto it = types.find(name);
        return it == types.end() ? std::string() : it->second;
    };
    std::string key = lookup(settings_outputFormat_);
    if (key == "image") key = lookup(settings_outputFormat_imageType_);
    // The image family with a type that is not an image format has no key of its own either.
    if (key.empty() || key == "image") return "docx";
    return key;
}

std::optional<std::string> KXSourceFileItem::newOutputPath(std::string* whyNot) {
    std::string folder;
    if (auto chosen = KXSandBoxUtilities::UserSelectedOutputURLBookmark()) {
        KXSandBoxUtilities::startAccessingUserSelectedOutputURLBookmark();
        folder = *chosen;
    } else {
        folder = KXSandBoxUtilities::defaultOutputDirectory();
    }
    const std::string name = kx::pathFileName(kx::pathWithoutExtension(sourcePath_)) + "." + outputFileFormat();
    const std::string wanted = kx::pathJoin(folder, name);
    // Page images and CSV tables go into a folder of that name.
    const bool folderOutput = kx::StagedOutput::isFolder(kx::StagedOutput::kindForOutputType(outputFileFormat()));
    std::string reason;
    std::optional<std::string> path = KXCUtilities::reserveNewPathBy(wanted, folderOutput, &reason);
    outputPath_ = path.value_or(wanted);
    if (whyNot) *whyNot = reason;
    // A folder that takes no new entry: the name wanted, unclaimed, and the reason.
    if (!path && !reason.empty()) return wanted;
    return path;
}

std::vector<std::uint64_t> KXSourceFileItem::outputPDFPageIndexs() {
    const std::int64_t count = sourcePages();
    if (settings_pageRangeType_ == 0) return kx::allPageNumbers(count);
    if (settings_pageRangeType_ != 1) return {};
    return kx::pageIndexsForCustomRange(settings_customPageRange_, kx_sharedLocalized(kAllPages), count);
}

bool KXSourceFileItem::isPageRangeReadable() const {
    return settings_pageRangeType_ != 1 || kx::isCustomRangeReadable(settings_customPageRange_, kx_sharedLocalized(kAllPages));
}

std::int64_t KXSourceFileItem::sourcePages() {
    if (sourcePages_ > 0) return sourcePages_;
    if (auto document = KXCPDFUtilities::initPDFDocumentAtPath(sourcePath_, sourcePassword_))
        sourcePages_ = document->pageCount();
    return sourcePages_;
}

std::uint64_t KXSourceFileItem::fileSize() const {
    if (kx::isDirectory(sourcePath_)) return 0;
    return kx::fileSize(sourcePath_).value_or(0);
}

std::string KXSourceFileItem::fileSizeString() const { return fileSizeStringForSize(fileSize()); }

std::string KXSourceFileItem::fileSizeStringForSize(std::uint64_t size) {
    const double kilobytes = static_cast<double>(size / 1024);
    if (size < 1048576) return kx::format("%0.1f %cB", kilobytes, 'K');
    if (size < 1073741824) return kx::format("%0.1f %cB", kilobytes / 1024, 'M');
    return kx::format("%0.1f %cB", kilobytes * 9.5367431640625e-7, 'G');
}

std::string KXSourceFileItem::sourceInfo() {
    return fill(kx_sharedLocalized("%lu Pages, %@"), {std::to_string(sourcePages()), fileSizeString()});
}

bool KXSourceFileItem::hasConversionOutput() const {
    return !isConverting_ && !outputPath_.empty() && !conversionError_ && kx::fileExists(outputPath_);
}

bool KXSourceFileItem::isConversionSucceeded() const { return hasConversionOutput() && failedPages_.empty(); }

std::string KXSourceFileItem::conversionStatus() const {
    if (outputPath_.empty() || isConverting_) return "Ready";
    return isConversionSucceeded() ? "Success" : "Failed";
}

std::string KXSourceFileItem::conversionFailureDescription() const {
    if (conversionStatus() != "Failed") return {};
    if (conversionError_) {
        std::string text = conversionError_->failureReason;
        if (!conversionError_->underlyingReason.empty()) text += "\n" + conversionError_->underlyingReason;
        return text;
    }
    if (failedPages_.empty()) return kx_sharedLocalized("The output file is missing.");
    // The page numbers, runs of consecutive pages written as ranges: "2-8, 11".
    std::string pages;
    for (size_t i = 0; i < failedPages_.size();) {
        size_t last = i;
        while (last + 1 < failedPages_.size() && failedPages_[last + 1].pageNumber == failedPages_[last].pageNumber + 1)
            ++last;
        if (!pages.empty()) pages += ", ";
        pages += std::to_string(failedPages_[i].pageNumber);
        if (last > i) pages += "-" + std::to_string(failedPages_[last].pageNumber);
        i = last + 1;
    }
    // A page that lost something is in the output: with one of them, the pages are those that
    // could not be converted in full (each reason says whether its page failed or what it lost).
    const bool anyIncomplete =
        std::any_of(failedPages_.begin(), failedPages_.end(), [](const FailedPage& page) { return page.incomplete; });
    std::string text = fill(kx_sharedLocalized(anyIncomplete ? "%@ of %@ pages could not be converted in full: %@."
                                                             : "%@ of %@ pages could not be converted: %@."),
                            {std::to_string(failedPages_.size()), std::to_string(requestedPageCount_), pages});
    constexpr size_t kReasonsShown = 5;
    for (size_t i = 0; i < failedPages_.size() && i < kReasonsShown; ++i) text += "\n" + failedPages_[i].reason;
    if (failedPages_.size() > kReasonsShown) text += "\n…";
    return text;
}

std::string KXSourceFileItem::conversionOptions() const {
    const std::string pages = settings_pageRangeType_ == 1 ? settings_customPageRange_ : kx_sharedLocalized(kAllPages);
    return fill("%@, %@, %@!", {pages, upper(outputFileFormat()), kx_sharedLocalized(conversionStatus())});
}

std::string KXSourceFileItem::sourceFileIcon() const {
    return KXCPDFUtilities::isPDFDocumentLockedAtPath(sourcePath_) ? "icon_pdf_pw" : "icon_pdf";
}

std::string KXSourceFileItem::outputFileIcon() const {
    const auto icons = KXOutputFormats::FormatIconDictionary();
    auto lookup = [&](const std::string& name) -> std::string {
        auto it = icons.find(name);
        return it == icons.end() ? std::string() : it->second;
    };
    std::string icon = lookup(settings_outputFormat_);
    if (icon == "icon_image") icon = lookup(settings_outputFormat_imageType_);
    return icon;
}

bool KXSourceFileItem::outputFileIconEnable() const { return !outputPath_.empty() && kx::fileExists(outputPath_); }
