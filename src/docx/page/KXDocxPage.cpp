// The DOCX page: its model, the end-of-page pipeline, font replacement and the page bookmark.

#include "docx/page/KXDocxPage.h"

#include <algorithm>

#include "docx/model/KXDocxManager.h"
#include "docx/model/KXDocxProperty.h"
#include "docx/model/KXDocxUtilities.h"
#include "docx/page/KXDocxWriter.h"
#include "docx/page/layout/KXDocxTableManager.h"
#include "fonts/KXPDFFontUtilities.h"
#include "ooxml/KXOpenXMLNameSpace.h"
#include "ooxml/XMLFileWriter.h"
#include "platform/TextBreaks.h"
#include "util/KXRegex.h"

namespace {

constexpr std::string_view W = KXOpenXMLNameSpace::nameSpace_w();
constexpr const char* kWideCoverageFont = "Arial Unicode MS";

// The runs' text without blanks, line breaks and control characters, run after run from `begin`
// (backwards when `step` is -1), up to the run with which it first passes `limit` units.
std::u16string sampleText(const KXDocxRunTextArray& runs, long begin, long end, long step, size_t limit) {
    std::u16string sample;
    for (long i = begin; i != end; i += step) {
        for (char16_t c : runs[static_cast<size_t>(i)]->runText())
            if (!kx::isWhitespaceOrNewline(c) && !kx::isControlCharacter(c)) sample.push_back(c);
        if (sample.size() > limit) break;
    }
    return sample;
}

}  // namespace

KXDocxPage::KXDocxPage(XMLFileWriter* documentWriter, kx::Size pageSize, bool firstPage, bool lastPage)
    : documentWriter_(documentWriter),
      isFirstPage_(firstPage),
      isLastPage_(lastPage),
      pgBorders_(KXDocxUtilities::defaultPageBordersNone()),
      sectProperty_(KXDocxUtilities::defaultSectPropertyHiden()) {
    sectProperty_.shouldWrite = true;
    sectProperty_.type = 1;
    sectProperty_.pgSz.w = static_cast<float>(pageSize.width);
    sectProperty_.pgSz.h = static_cast<float>(pageSize.height);
}

void KXDocxPage::updateAllPDFScanIndex() {
    // The runs are numbered through plain pointers: the page holds them all, and copying their
    // shared pointers into one array costs more than the numbering itself on a page of many runs.
    std::vector<std::pair<std::uint64_t, KXDocxRun*>> all;
    all.reserve(allRunTextBoxArray_.size() + allRunTextArray_.size() + allRunImageArray_.size() +
                allRunPathArray_.size() + allTableArray_.size());
    const auto byPosition = [](const auto& a, const auto& b) { return a.first < b.first; };
    // Each kind of run mostly comes in reading order already (the page renumbers them all each time
    // it moves some): each kind is put in order on its own, when it is not, and merged into the
    // kinds before it, which is the stable sort of them all, without sorting the whole page again.
    auto add = [&](const auto& runs) {
        const auto from = static_cast<std::ptrdiff_t>(all.size());
        for (const auto& run : runs) all.emplace_back(run->pdfScanIndex(), run.get());
        if (!std::is_sorted(all.begin() + from, all.end(), byPosition))
            std::stable_sort(all.begin() + from, all.end(), byPosition);
        if (from > 0 && from < static_cast<std::ptrdiff_t>(all.size()) && byPosition(all[from], all[from - 1]))
            std::inplace_merge(all.begin(), all.begin() + from, all.end(), byPosition);
    };
    // Text boxes share the reading order; texts along paths keep the index they were made with.
    // Reading position first, equal positions in the order below.
    add(allRunTextBoxArray_);
    add(allRunTextArray_);
    add(allRunImageArray_);
    add(allRunPathArray_);
    add(allTableArray_);
    std::uint64_t k = 0;
    for (const auto& entry : all) {
        entry.second->setPdfScanIndex(k++);
        entry.second->setPdfScanLength(1);
    }
    KXDocxRunText::UpdateRunTextArrayPDFScanIndex(allRunTextArray_);
}

void KXDocxPage::optimizeAllRunTextPropertyIfNeed(bool replaceFont) {
    if (replaceFont) _localizedReplaceFontNameIfNeed();
    KXDocxRunText::PropertyCache cache;
    for (const auto& run : allRunTextArray_) run->optimizePropertyAtStart(replaceFont, &cache);
}

bool KXDocxPage::_localizedReplaceFontNameIfNeed() {
    const KXDocxRunTextArray& runs = allRunTextArray_;
    const long n = static_cast<long>(runs.size());
    const std::u16string first = sampleText(runs, 0, n, 1, 20);
    const long middleBegin = n / 3, middleEnd = std::min(n, middleBegin + n / 2);
    const std::u16string middle = sampleText(runs, middleBegin, middleEnd, 1, 50);
    const std::u16string last = n > 0 ? sampleText(runs, n - 1, -1, -1, 20) : std::u16string();
    if (KXRegex::IsLanguageForString_Chinese(first) || KXRegex::IsLanguageForString_Chinese(middle) ||
        KXRegex::IsLanguageForString_Chinese(last)) {
        _localizedReplaceFontNameWithDictionary({{"Times", "STSong"},
                                                 {"Courier", "Simsun"},
                                                 {"Consolas", "SimHei"},
                                                 {"Arial Unicode MS", "Microsoft YaHei"}});
        return true;
    }
    if (KXRegex::IsLanguageForString_English(middle) || KXRegex::IsLanguageForString_English(last)) return true;
    for (const auto& run : runs) {
        KXDocx_RPr r = run->rProperty();
        r.rFonts_replace = {kWideCoverageFont, kWideCoverageFont, kWideCoverageFont, kWideCoverageFont};
        run->setRProperty(r);
    }
    return false;
}

void KXDocxPage::_localizedReplaceFontNameWithDictionary(
    const std::vector<std::pair<std::string, std::string>>& table) {
    for (const auto& run : allRunTextArray_) {
        KXDocx_RPr r = run->rProperty();
        if (r.rFonts.ascii == r.rFonts_replace.ascii) continue;
        auto it = std::find_if(table.begin(), table.end(), [&](const auto& e) { return e.first == r.rFonts_replace.ascii; });
        if (it == table.end()) continue;
        const std::string name = KXPDFFontUtilities::SystemFontNameIsExist(it->second) ? it->second : kWideCoverageFont;
        r.rFonts_replace = {name, name, name, name};
        run->setRProperty(r);
    }
}

void KXDocxPage::writePDFPageBookmark() {
    if (!documentWriter_) return;
    KXDocxPageBookmark mark = docxWriter_ ? docxWriter_->newPageBookmark(pdfPageIndex_)
                                          : KXDocxPageBookmark{std::to_string(pdfPageIndex_), std::to_string(pdfPageIndex_)};
    documentWriter_->writeStartElementWithNamespace(W, "bookmarkStart");
    documentWriter_->writeAttributeWithNamespace(W, "id", mark.id);
    documentWriter_->writeAttributeWithNamespace(W, "name", mark.name);
    documentWriter_->writeEndElement();
    documentWriter_->writeStartElementWithNamespace(W, "bookmarkEnd");
    documentWriter_->writeAttributeWithNamespace(W, "id", mark.id);
    documentWriter_->writeEndElement();
}

void KXDocxPage::removeRunPictsOutsidePage() {
    // What was painted wholly off the page (a page that shows part of a larger sheet) is not seen
    // on it. Written, it would stand beyond the page's edge, and a word processor lays out a page
    // of its own for a picture below the foot. Its text is left out as it is read.
    const kx::Rect page(0, 0, sectProperty_.pgSz.w, sectProperty_.pgSz.h);
    auto outside = [&page](const auto& run) {
        const kx::Rect box = run->displayRect().standardized();
        return !box.isNull() && box.size.width > 0 && box.size.height > 0 && !page.intersects(box);
    };
    std::erase_if(allRunImageArray_, outside);
    std::erase_if(allRunPathArray_, outside);
    std::erase_if(allRunTextBoxArray_, outside);
    std::erase_if(allRunTextPathArray_, outside);
}

void KXDocxPage::endWritePage(std::int64_t) {
    // The table finder names this page while its tables are found and written, and never after.
    struct ForgetPage {
        ~ForgetPage() { KXDocxTableManager::sharedInstance().setSuperPage(nullptr); }
    } forgetPage;
    const KXWordOptions& options = KXDocxManager::sharedInstance().moreOptions().wordOptions();
    // What was painted into a soft mask is part of the mask, not of the page.
    std::erase_if(allRunImageArray_, [](const auto& image) { return image->isExtGStateSMask(); });
    std::erase_if(allRunPathArray_, [](const auto& path) { return path->isExtGStateSMask(); });
    removeRunPictsOutsidePage();
    updateAllPDFScanIndex();
    optimizeAllRunTextPropertyIfNeed(options.isNeedReplaceFont());
    convertImages2ImageIfNeed();
    filterAllRunPathArray();
    convertPathsForUnderLineIfNeed();
    convertPathsForHighLightIfNeed();
    convertPath2TableIfNeed();
    convertAnnotion2TextBox();
    createPageWithColumn();
    if (allPageSectionArray_.empty()) {
        auto blank = KXDocxPageSection::BankPageSectionWithSectProperty(sectProperty_);
        blank->setSuperPage(this);
        blank->setIsDocumentFirstPage(isFirstPage_);
        blank->setIsDocumentLastPage(isLastPage_);
        blank->setIsPageHeadSection(true);
        blank->setIsPageFootSection(true);
        allPageSectionArray_.push_back(blank);
    }
    convertShapes2ImageIfNeed();
    registerImagesForWriting();
    _insertFloatRunPicts();
    creatOutlineIfNeed();
    writePDFPageBookmark();
    for (const auto& table : allTableArray_) {
        const kx::Rect bounds = table->displayRect();
        std::shared_ptr<KXDocxPageSection> home;
        for (const auto& section : allPageSectionArray_) {
            const kx::Rect& f = section->sectionFrame();
            if (f.contains(bounds) || bounds.contains(f) || f.intersects(bounds)) {
                home = section;
                break;
            }
        }
        (home ? home : allPageSectionArray_.front())->addTable(table);
    }
    if (!documentWriter_) return;
    for (const auto& section : allPageSectionArray_) {
        section->writeWithXMLWriter(*documentWriter_);
        for (const auto& object : section->allWriteXMLObjects())
            if (auto property = std::dynamic_pointer_cast<KXDocxProperty>(object)) {
                lastWrittenSectProperty_ = property->sectProperty();
                wroteBodySectProperty_ = property->propertyWriteType() == KXDocxProperty::kWriteSectProperty;
            }
    }
}
