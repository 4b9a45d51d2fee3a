#include "app/jobs/KXDocuvaneManager.h"

#include <algorithm>
#include <limits>

#include "app/jobs/KXPreferences.h"
#include "engine/KXDocuvaneErrors.h"

const char* const KXDocuvaneManager::errorDomain = "org.docuvane.KXDocuvaneManager";

KXDocuvaneManager::KXDocuvaneManager() { docuvane_.setDelegate(this); }

KXDocuvaneManager::~KXDocuvaneManager() {
    docuvane_.setDelegate(nullptr);
    // The engine cancels the job as it goes; its item is no longer running.
    if (engineRunning_ && currentConvertItem_) currentConvertItem_->setConverting(false);
    ma_sourceItems_.clear();
    ma_readyToConvertItems_.clear();
}

void KXDocuvaneManager::startConversion() {
    if (isConverting_) return;
    // A cancelled batch whose job is still winding down ends here, before the new one begins.
    if (batchOpen_) endBatch();
    ma_readyToConvertItems_ = ma_sourceItems_;
    batchOpen_ = true;
    if (delegate_) delegate_->KXDocuvaneManagerWillStartConversion(*this);
    isConverting_ = true;
    continueConversion();
}

void KXDocuvaneManager::stopConversion() {
    isConverting_ = false;
    docuvane_.stopConvertsionIfNeed();
}

void KXDocuvaneManager::cancelConvertItems(const Items& items) {
    auto listed = [&](const std::shared_ptr<KXSourceFileItem>& item) {
        return std::find(items.begin(), items.end(), item) != items.end();
    };
    std::erase_if(ma_readyToConvertItems_, listed);
    // The job stops before its next page and ends through its end event, which discards what it
    // wrote and moves the batch on.
    if (engineRunning_ && listed(currentConvertItem_)) docuvane_.stopConvertsionIfNeed();
}

void KXDocuvaneManager::continueConversion() {
    while (isConverting_ && !ma_readyToConvertItems_.empty()) {
        // The end event of the job still running starts the next item.
        if (engineRunning_) return;
        std::shared_ptr<KXSourceFileItem> item = ma_readyToConvertItems_.front();
        ma_readyToConvertItems_.erase(ma_readyToConvertItems_.begin());
        if (startConvertPDFItem(item)) return;
    }
    isConverting_ = false;
    endBatch();
}

void KXDocuvaneManager::endBatch() {
    if (!batchOpen_) return;
    batchOpen_ = false;
    if (delegate_) delegate_->KXDocuvaneManagerDidEndConversion(*this);
}

bool KXDocuvaneManager::startConvertPDFItem(const std::shared_ptr<KXSourceFileItem>& item) {
    currentConvertItem_ = item;
    std::vector<std::uint64_t> pages = item->outputPDFPageIndexs();
    // A range that reads only in part would convert other pages than the ones written: its job
    // converts none, as one of a range that selects no page, and ends saying why.
    pageRangeNotReadable_ = !item->isPageRangeReadable();
    if (pageRangeNotReadable_) pages.clear();
    currentConvertPageCount_ = pages.size();
    item->startRunReport(pages.size());
    const std::string type = item->outputFileFormat();

    // The preferences as they stand now, not when the batch started.
    const KXPreferences& preferences = KXPreferences::sharedInstance();
    item->convertOpts().setIsParserAnnots(preferences.parserPDFAnnots() ? 1 : 0);
    item->convertOpts().setImageDPI(static_cast<std::int32_t>(std::clamp<std::int64_t>(
        preferences.imageDPI(), std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max())));

    // The name is claimed now, so that no other job or program takes it while this one runs.
    std::string whyNot;
    std::optional<std::string> outputPath = item->newOutputPath(&whyNot);
    if (!whyNot.empty()) {
        failBeforeStart(item, KXError{errorDomain, kOutputNotWritable,
                                      "Can't write the output file.(" + item->outputPath() + ")", whyNot});
        return false;
    }
    if (!outputPath) {
        // Every numbered name is taken: the item fails rather than overwrite a file.
        failBeforeStart(item, KXError{errorDomain, kNoFreeOutputName,
                                      "Can't find a free output file name.(" + item->outputPath() + ")"});
        return false;
    }
    // Nothing at the output path but the claim is touched until the job has succeeded; the claim
    // goes when it does not.
    auto output = std::make_unique<kx::StagedOutput>();
    if (!output->prepare(*outputPath, kx::StagedOutput::kindForOutputType(type), &whyNot, true)) {
        failBeforeStart(item, KXError{errorDomain, kOutputNotWritable,
                                      "Can't write the output file.(" + *outputPath + ")", whyNot});
        return false;
    }
    const std::string writePath = output->writePath();
    output_ = std::move(output);
    convertedPages_ = 0;
    engineRunning_ = true;
    item->setConverting(true);
    // The engine works on a copy: the settings sheets may go on editing the item's options.
    docuvane_.convertPDFAtPath(item->sourcePath(), item->sourcePassword(), std::move(pages), type, writePath,
                               std::make_shared<const KXPDFOptions>(item->convertOpts()));
    return true;
}

void KXDocuvaneManager::failBeforeStart(const std::shared_ptr<KXSourceFileItem>& item, const KXError& error) {
    item->setConversionError(error);
    if (delegate_) {
        delegate_->didStartConversion(*this, item, nullptr);
        delegate_->didEndConversion(*this, item, &error);
    }
}

void KXDocuvaneManager::didStartConversion(KXDocuvane&, const KXError* error) {
    if (delegate_) delegate_->didStartConversion(*this, currentConvertItem_, error);
}

void KXDocuvaneManager::didEndConversion(KXDocuvane&, const KXError* error) {
    engineRunning_ = false;
    std::optional<KXError> result = error ? std::optional<KXError>(*error) : std::nullopt;
    // The output goes to its place only after a job that converted something; anything else leaves
    // the output path as it was.
    if (std::unique_ptr<kx::StagedOutput> output = std::move(output_)) {
        std::string whyNot;
        if (!result && pageRangeNotReadable_ && currentConvertItem_)
            result = KXError{errorDomain, kPageRangeNotReadable,
                             "The page range can't be read.(" + currentConvertItem_->settings_customPageRange() + ")"};
        if (!result && convertedPages_ == 0) result = KXError{errorDomain, kNoPageConverted, "No page could be converted."};
        if (result)
            output->discard();
        else if (!output->commit(&whyNot))
            result = KXError{errorDomain, kOutputNotWritable, "Can't write the output file.(" + output->destination() + ")",
                             whyNot};
    }
    std::shared_ptr<KXSourceFileItem> item = currentConvertItem_;
    if (item) {
        item->setConverting(false);
        item->setConversionError(result);
    }
    if (delegate_) delegate_->didEndConversion(*this, item, result ? &*result : nullptr);
    continueConversion();
}

void KXDocuvaneManager::convertPDFPageIndex(KXDocuvane&, std::uint64_t pdfPageIndex, std::uint64_t writeWordPageIndex,
                                            std::uint64_t finshedWordPageCount) {
    ++convertedPages_;
    if (delegate_)
        delegate_->didConversion(*this, currentConvertItem_, pdfPageIndex, writeWordPageIndex, finshedWordPageCount);
}

void KXDocuvaneManager::convertPDFPageIndexFaildWithError(KXDocuvane&, std::uint64_t pdfPageIndex,
                                                          const KXError& error) {
    // A page converted with something left out is in the output (it was counted converted); it
    // still keeps the item from reading Success, and the reason says what it lost.
    if (currentConvertItem_) {
        std::string reason = error.failureReason;
        if (!error.underlyingReason.empty()) reason += " (" + error.underlyingReason + ")";
        currentConvertItem_->addFailedPage(pdfPageIndex, std::move(reason),
                                           error.domain == KXDocuvaneErrorDomain &&
                                               error.code == KXDocuvaneErrorPageIncomplete);
    }
    if (delegate_)
        delegate_->didConversionConvertPDFPageIndexFaildWithError(*this, currentConvertItem_, pdfPageIndex, error);
}

void KXDocuvaneManager::willSaveDoc(KXDocuvane&) {
    if (delegate_) delegate_->didConversionWillSaveDoc(*this, currentConvertItem_);
}

void KXDocuvaneManager::catchException(KXDocuvane&, const std::string& description) {
    if (delegate_) delegate_->didConversionCatchException(*this, currentConvertItem_, description);
}
