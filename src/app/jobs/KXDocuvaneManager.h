#pragma once
// Runs the window's queue of source items one at a time through one engine object, and forwards
// every engine event to its delegate together with the item the event belongs to. The next item
// starts only from the previous item's end event, so the engine runs one job at a time. Main thread
// only: the engine delivers its events there.
//
// An item's output is written aside and put at its output path only when the job succeeded (as the
// command line does, app/jobs/StagedOutput): a failed or cancelled job leaves nothing there, and a
// job that converted no page counts as failed. The output name is claimed by an empty file (folder)
// when the job starts, so that jobs of other windows or programs writing into the same folder never
// pick the same name; the job replaces that file, or removes it when it does not succeed.

#include <cstdint>
#include <memory>
#include <vector>

#include "app/jobs/KXDocuvaneManagerDelegate.h"
#include "app/jobs/KXSourceFileItem.h"
#include "app/jobs/StagedOutput.h"
#include "engine/KXDocuvane.h"

class KXDocuvaneManager : public KXDocuvaneDelegate {
public:
    using Items = std::vector<std::shared_ptr<KXSourceFileItem>>;

    // The domain of the manager's own errors: an item that could not be started, a job that
    // converted no page, an output that could not be put in place.
    static const char* const errorDomain;
    enum ErrorCode { kNoFreeOutputName = 1, kOutputNotWritable = 2, kNoPageConverted = 3, kPageRangeNotReadable = 4 };

    KXDocuvaneManager();
    // A running job is cancelled and its worker waited for (by the engine).
    ~KXDocuvaneManager() override;
    KXDocuvaneManager(const KXDocuvaneManager&) = delete;
    KXDocuvaneManager& operator=(const KXDocuvaneManager&) = delete;

    KXDocuvaneManagerDelegate* delegate() const { return delegate_; }
    void setDelegate(KXDocuvaneManagerDelegate* delegate) { delegate_ = delegate; }
    KXDocuvane& docuvane() { return docuvane_; }

    // The items of the next batch, in list order.
    const Items& ma_sourceItems() const { return ma_sourceItems_; }
    void setMa_sourceItems(Items items) { ma_sourceItems_ = std::move(items); }
    // The items still waiting in the running batch.
    const Items& ma_readyToConvertItems() const { return ma_readyToConvertItems_; }
    // The item whose job runs or ran last.
    const std::shared_ptr<KXSourceFileItem>& currentConvertItem() const { return currentConvertItem_; }
    // The number of pages asked of the engine for the current item, taken when its job started (the
    // item's range may be edited while it runs).
    std::size_t currentConvertPageCount() const { return currentConvertPageCount_; }

    // Starts a batch of the items handed over (ignored while a batch runs). Items added to the list
    // afterwards do not change it; items taken out of it go through cancelConvertItems. When a cancelled job has not ended yet, the batch
    // begins and its first item waits for that job's end event.
    void startConversion();
    // Cancels the batch: no further item starts, and the running job stops at its next page.
    void stopConversion();
    bool isConverting() const { return isConverting_; }
    // Items taken out of the list while a batch runs: those still waiting are not started, and the
    // running job, when it is one of them, is cancelled (its output goes); the batch goes on with
    // the other items.
    void cancelConvertItems(const Items& items);
    // Whether the item's job is running now (from its start until its end event, a cancelled one
    // included).
    bool isConvertingItem(const std::shared_ptr<KXSourceFileItem>& item) const {
        return engineRunning_ && item && item == currentConvertItem_;
    }

    void didStartConversion(KXDocuvane& engine, const KXError* error) override;
    void didEndConversion(KXDocuvane& engine, const KXError* error) override;
    void convertPDFPageIndex(KXDocuvane& engine, std::uint64_t pdfPageIndex, std::uint64_t writeWordPageIndex,
                             std::uint64_t finshedWordPageCount) override;
    void convertPDFPageIndexFaildWithError(KXDocuvane& engine, std::uint64_t pdfPageIndex, const KXError& error) override;
    void willSaveDoc(KXDocuvane& engine) override;
    void catchException(KXDocuvane& engine, const std::string& description) override;

private:
    void continueConversion();
    // True when the engine took the item's job; false when the item ended at once with an error.
    bool startConvertPDFItem(const std::shared_ptr<KXSourceFileItem>& item);
    // Ends an item that could not be given to the engine.
    void failBeforeStart(const std::shared_ptr<KXSourceFileItem>& item, const KXError& error);
    void endBatch();

    KXDocuvaneManagerDelegate* delegate_ = nullptr;
    std::shared_ptr<KXSourceFileItem> currentConvertItem_;
    Items ma_sourceItems_;
    Items ma_readyToConvertItems_;
    std::size_t currentConvertPageCount_ = 0;
    std::uint64_t convertedPages_ = 0;  // pages of the running job reported done
    bool pageRangeNotReadable_ = false;  // the running job converts nothing: its item's range reads in part
    bool isConverting_ = false;
    // A batch has been announced and its end not yet.
    bool batchOpen_ = false;
    // From the engine call until its end event; a new job waits while it is set.
    bool engineRunning_ = false;
    // Where the running job writes. Declared before the engine, so that it goes after the engine has
    // stopped its worker and takes back what a job cut short left.
    std::unique_ptr<kx::StagedOutput> output_;
    KXDocuvane docuvane_;
};
