#include "pdf/KXPDFOutLineManager.h"

#include <cstring>
#include <limits>
#include <utility>
#include <vector>

#include "platform/TextBreaks.h"
#include "platform/Unicode.h"
#include "platform/pdf/PDFDocument.h"

using kx::PDFObject;

namespace {

// Outlines and name trees come from the file and may link back to themselves; both walks remember
// the nodes they have entered and stop at a depth no real document reaches.
constexpr std::int64_t kMaxOutlineDepth = 64;
constexpr int kMaxNameTreeDepth = 64;

// Byte strings compared up to their first zero byte, as C strings compare.
int compareKeys(const std::string& a, const std::string& b) { return std::strcmp(a.c_str(), b.c_str()); }

// A named destination's value: a destination array, or a dictionary whose /D is one.
PDFObject destinationArrayOf(const PDFObject& value) {
    PDFObject d = value.isArray() ? value : value.isDictionary() ? value.dictGet("D") : PDFObject();
    if (!d.isArray() || d.arrayCount() == 0) return {};
    return d;
}

bool searchNode(const PDFObject& node, const std::string& key, PDFObject& value, bool checkLimits, int depth,
                std::unordered_set<std::uintptr_t>& visited);

bool searchKidsArray(const PDFObject& kids, const std::string& key, PDFObject& value, int depth,
                     std::unordered_set<std::uintptr_t>& visited) {
    if (!kids.isArray() || depth > kMaxNameTreeDepth) return false;
    for (size_t i = 0, n = kids.arrayCount(); i < n; ++i) {
        PDFObject kid = kids.arrayAt(i);
        if (kid.isDictionary() && searchNode(kid, key, value, true, depth, visited)) return true;
    }
    return false;
}

bool searchNode(const PDFObject& node, const std::string& key, PDFObject& value, bool checkLimits, int depth,
                std::unordered_set<std::uintptr_t>& visited) {
    if (!visited.insert(node.identity()).second) return false;
    if (checkLimits) {
        PDFObject limits = node.dictGet("Limits");
        if (limits.isArray()) {
            std::string lower, upper;
            if (limits.arrayAt(0).getString(lower) && compareKeys(lower, key) > 0) return false;
            if (limits.arrayAt(1).getString(upper) && compareKeys(upper, key) < 0) return false;
        }
    }
    PDFObject names = node.dictGet("Names");
    if (names.isArray() && names.arrayCount() >= 2) {
        size_t count = names.arrayCount();
        for (size_t i = 0; i + 1 < count; i += 2) {
            std::string name;
            if (names.arrayAt(i).getString(name) && compareKeys(name, key) == 0) {
                value = names.arrayAt(i + 1);
                return true;
            }
        }
        return false;
    }
    return searchKidsArray(node.dictGet("Kids"), key, value, depth + 1, visited);
}

std::unique_ptr<KXPDFOutLineManager>& sharedSlot() {
    static std::unique_ptr<KXPDFOutLineManager> instance;
    return instance;
}
}  // namespace

KXPDFOutLineManager& KXPDFOutLineManager::sharedInstance() {
    auto& slot = sharedSlot();
    if (!slot) slot = std::make_unique<KXPDFOutLineManager>();
    return *slot;
}

void KXPDFOutLineManager::destory() { sharedSlot().reset(); }

bool KXPDFOutLineManager::isHaveOutline(const kx::PDFDocument& document) {
    PDFObject outlines = document.catalog().dictGet("Outlines");
    return outlines.isDictionary() && outlines.dictGet("First").isDictionary();
}

std::int64_t KXPDFOutLineManager::GetGoToPageWithItem(const Item& item) {
    if (!item.action || !item.action->D || !item.action->D->pageNumber) return -1;
    // A page dictionary that is none of the document's pages reads back as -1, like no page at all.
    return static_cast<std::int64_t>(*item.action->D->pageNumber);
}

std::optional<std::u16string> KXPDFOutLineManager::GetOutlineTitleWithItem(const Item& item) {
    if (!item.title) return std::nullopt;
    std::u16string out;
    const std::u16string& title = *item.title;
    for (size_t i = 0; i < title.size();) {
        char32_t c = kx::nextCodePoint(title, i);
        // Titles are compared with the text of the page without their blanks and controls.
        if (!kx::isWhitespaceOrNewline(c) && !kx::isControlCharacter(c)) kx::appendUtf16(out, c);
    }
    if (out.empty()) return std::nullopt;
    return out;
}

bool KXPDFOutLineManager::reLoadOutline(const kx::PDFDocument& document) {
    tableArray_.clear();
    visited_.clear();
    pageNumbers_.clear();
    pageNumbersBuilt_ = false;
    namedDests_.clear();
    namedDestsBuilt_ = false;
    PDFObject outlines = document.catalog().dictGet("Outlines");
    if (!outlines.isDictionary()) return false;
    PDFObject first = outlines.dictGet("First");
    if (!first.isDictionary()) return false;
    visited_.insert(outlines.identity());
    printOutLineItems(0, document, first);
    visited_.clear();
    return true;
}

std::vector<KXPDFOutLineManager::Item> KXPDFOutLineManager::outlineArrayForPage(std::int64_t page) const {
    std::vector<Item> out;
    for (const Item& item : tableArray_)
        if (GetGoToPageWithItem(item) == page) out.push_back(item);
    return out;
}

void KXPDFOutLineManager::printOutLineItems(std::int64_t indent, const kx::PDFDocument& document,
                                            const PDFObject& outline) {
    if (indent > kMaxOutlineDepth) return;
    for (PDFObject item = outline; item.isDictionary(); item = item.dictGet("Next")) {
        if (!visited_.insert(item.identity()).second) break;  // a sibling chain that loops
        std::optional<std::u16string> title;
        PDFObject t = item.dictGet("Title");
        if (t.isString()) title = t.textString();
        std::int64_t count = 0;
        if (item.dictGet("Count").getInteger(count) && count < 0)
            count = count == std::numeric_limits<std::int64_t>::min() ? std::numeric_limits<std::int64_t>::max() : -count;
        PDFObject a = item.dictGet("A");
        printItem(title, count, item.dictGet("Dest"), a.isDictionary() ? a : PDFObject(), indent, document);
        PDFObject first = item.dictGet("First");
        if (first.isDictionary()) printOutLineItems(indent + 1, document, first);
    }
}

void KXPDFOutLineManager::printItem(const std::optional<std::u16string>& title, std::int64_t childCount,
                                    const PDFObject& dest, const PDFObject& a, std::int64_t indent,
                                    const kx::PDFDocument& document) {
    Item item;
    item.title = title;
    item.indent = indent;
    item.count = childCount;
    if (!dest.isNull()) {
        Action action;
        action.S = "GoTo";
        getActoin(action, dest, document);
        item.action = std::move(action);
    } else if (!a.isNull()) {
        Action action;
        std::string s;
        if (a.dictGet("S").getName(s)) action.S = s;
        PDFObject d = a.dictGet("D");
        if (!d.isNull()) getActoin(action, d, document);
        item.action = std::move(action);
    }
    tableArray_.push_back(std::move(item));
}

void KXPDFOutLineManager::getActoin(Action& action, const PDFObject& d, const kx::PDFDocument& document) {
    PDFObject array;
    std::string key;
    if (d.isArray())
        array = d;
    else if (d.getString(key))
        array = namedDestination(document.catalog(), key);
    else if (d.getName(key))
        array = searchDestsIn(document.catalog(), key);
    if (array.isArray()) action.D = getArrayInforD(array, document);
}

KXPDFOutLineManager::Destination KXPDFOutLineManager::getArrayInforD(const PDFObject& array,
                                                                     const kx::PDFDocument& document) {
    Destination dest;
    PDFObject page = array.arrayAt(0);
    if (page.isDictionary()) dest.pageNumber = getPageNumWith(page, document);
    std::string fit;
    if (!array.arrayAt(1).getName(fit)) return dest;
    dest.fitType = fit;
    size_t first = 2, count = 0;
    if (fit == "XYZ")
        count = 3;
    else if (fit == "FitH" || fit == "FitV" || fit == "FitBH" || fit == "FitBV")
        count = 1;
    else if (fit == "FitR")
        count = 4;
    for (size_t i = first; i < first + count; ++i) dest.values.push_back(getFitValue(array.arrayAt(i)));
    return dest;
}

std::uint64_t KXPDFOutLineManager::getPageNumWith(const PDFObject& page, const kx::PDFDocument& document) {
    // One pass over the page tree per document instead of one per destination; the last page whose
    // dictionary is the object wins.
    if (!pageNumbersBuilt_) {
        pageNumbersBuilt_ = true;
        for (int n = 1, count = document.pageCount(); n <= count; ++n)
            if (auto p = document.page(n)) pageNumbers_[p->dictionary().identity()] = static_cast<std::uint64_t>(n);
    }
    auto it = pageNumbers_.find(page.identity());
    return it == pageNumbers_.end() ? kNoPage : it->second;
}

float KXPDFOutLineManager::getFitValue(const PDFObject& value) {
    double v = 0;
    if (!value.getNumber(v)) return 0;
    return static_cast<float>(v);
}

PDFObject KXPDFOutLineManager::searchDestsIn(const PDFObject& catalog, const std::string& name) {
    PDFObject dests = catalog.dictGet("Dests");
    if (!dests.isDictionary()) return {};
    return destinationArrayOf(dests.dictGet(name));
}

PDFObject KXPDFOutLineManager::searchNamesIn(const PDFObject& catalog, const std::string& key) {
    PDFObject root = catalog.dictGet("Names").dictGet("Dests");
    if (!root.isDictionary()) return {};
    // The root may hold the names itself (a small tree) or only kids; both are searched.
    std::unordered_set<std::uintptr_t> visited;
    PDFObject value;
    if (!searchNode(root, key, value, false, 0, visited)) return {};
    return destinationArrayOf(value);
}

PDFObject KXPDFOutLineManager::namedDestination(const PDFObject& catalog, const std::string& key) {
    if (!namedDestsBuilt_) {
        namedDestsBuilt_ = true;
        // Every node of the tree once (cycles and depth cut as in the search), the first entry of a
        // name kept, as the search finds the first.
        constexpr size_t kMaxNames = size_t(1) << 20;
        std::unordered_set<std::uintptr_t> visited;
        std::vector<std::pair<PDFObject, int>> pending{{catalog.dictGet("Names").dictGet("Dests"), 0}};
        while (!pending.empty() && namedDests_.size() < kMaxNames) {
            auto [node, depth] = std::move(pending.back());
            pending.pop_back();
            if (!node.isDictionary() || depth > kMaxNameTreeDepth || !visited.insert(node.identity()).second) continue;
            PDFObject names = node.dictGet("Names");
            if (names.isArray() && names.arrayCount() >= 2) {
                for (size_t i = 0; i + 1 < names.arrayCount(); i += 2) {
                    std::string name;
                    // Names compare up to their first zero byte.
                    if (names.arrayAt(i).getString(name)) namedDests_.emplace(name.c_str(), names.arrayAt(i + 1));
                }
                continue;
            }
            PDFObject kids = node.dictGet("Kids");
            // Kids are pushed last first, so that they are read in their order.
            for (size_t i = kids.arrayCount(); i-- > 0;) pending.emplace_back(kids.arrayAt(i), depth + 1);
        }
    }
    auto it = namedDests_.find(std::string(key.c_str()));
    return it == namedDests_.end() ? PDFObject() : destinationArrayOf(it->second);
}

bool KXPDFOutLineManager::searchKids(const PDFObject& kids, const std::string& key, PDFObject& value) {
    std::unordered_set<std::uintptr_t> visited;
    return searchKidsArray(kids, key, value, 0, visited);
}
