#pragma once
// The document outline (bookmarks) as a flat list of items in document order, each with its title,
// depth, child count and target, so that a page can ask which items point at it. One reader serves
// the whole process and is used from the conversion thread only; it is reloaded for each document.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/pdf/PDFObject.h"

namespace kx {
class PDFDocument;
}

class KXPDFOutLineManager {
public:
    // A destination resolved from an explicit PDF destination array: the page number, the fit type
    // and its numbers.
    struct Destination {
        // Present when the destination's first entry is a page dictionary: its 1-based number in the
        // document, or kNoPage when that dictionary is none of the document's pages.
        std::optional<std::uint64_t> pageNumber;
        // The fit type ("XYZ", "Fit", "FitH", ...); absent when entry 1 is not a name.
        std::optional<std::string> fitType;
        // The numbers that the fit type takes, in array order; an entry that is not a number gives 0.
        std::vector<float> values;

        bool empty() const { return !pageNumber && !fitType && values.empty(); }
        bool operator==(const Destination&) const = default;
    };
    static constexpr std::uint64_t kNoPage = static_cast<std::uint64_t>(-1);

    struct Action {
        // "GoTo" for an item's /Dest, else the /S name of its /A dictionary; absent when /A has no /S.
        std::optional<std::string> S;
        // Present when a destination was found.
        std::optional<Destination> D;
        bool operator==(const Action&) const = default;
    };

    struct Item {
        std::optional<std::u16string> title;  // /Title, absent when the item has none
        std::int64_t indent = 0;              // depth, 0 for the top level
        std::int64_t count = 0;               // |/Count|, 0 when absent
        std::optional<Action> action;         // absent when the item has neither /Dest nor /A
    };

    // The process-wide reader, made on first use; `destory` drops it so the next call makes a new one.
    static KXPDFOutLineManager& sharedInstance();
    static void destory();
    static void reset() {}

    // True when the catalog has an /Outlines dictionary with a /First dictionary.
    static bool isHaveOutline(const kx::PDFDocument& document);
    // The item's target page (1-based), -1 when it has no destination or no page.
    static std::int64_t GetGoToPageWithItem(const Item& item);
    static std::int64_t GetIndentPageWithItem(const Item& item) { return item.indent; }
    // The title without any white space, line break or control character; nullopt when the item has
    // no title or nothing is left.
    static std::optional<std::u16string> GetOutlineTitleWithItem(const Item& item);

    // Reads the document's outline into `tableArray`; false (and an empty list) without an outline.
    bool reLoadOutline(const kx::PDFDocument& document);
    // The items whose target page is `page` (1-based), in list order.
    std::vector<Item> outlineArrayForPage(std::int64_t page) const;

    const std::vector<Item>& tableArray() const { return tableArray_; }
    void setTableArray(std::vector<Item> items) { tableArray_ = std::move(items); }

    // Steps of the walk.
    void printOutLineItems(std::int64_t indent, const kx::PDFDocument& document, const kx::PDFObject& outline);
    void printItem(const std::optional<std::u16string>& title, std::int64_t childCount, const kx::PDFObject& dest,
                   const kx::PDFObject& a, std::int64_t indent, const kx::PDFDocument& document);
    // Resolves a destination object (array, named destination as a string or as a name) into `action`.
    void getActoin(Action& action, const kx::PDFObject& d, const kx::PDFDocument& document);
    Destination getArrayInforD(const kx::PDFObject& array, const kx::PDFDocument& document);
    std::uint64_t getPageNumWith(const kx::PDFObject& page, const kx::PDFDocument& document);
    static float getFitValue(const kx::PDFObject& value);
    // The destination array of the name `name` in the catalog's /Dests dictionary.
    static kx::PDFObject searchDestsIn(const kx::PDFObject& catalog, const std::string& name);
    // The destination array of the string `key` in the catalog's /Names /Dests name tree.
    static kx::PDFObject searchNamesIn(const kx::PDFObject& catalog, const std::string& key);
    // Searches the name-tree nodes of `kids` for `key`; the value found goes to `value`.
    static bool searchKids(const kx::PDFObject& kids, const std::string& key, kx::PDFObject& value);
    // searchNamesIn for the document being read, through an index of its whole /Names /Dests tree
    // made on first need: an outline of thousands of named destinations scanned the tree for each.
    kx::PDFObject namedDestination(const kx::PDFObject& catalog, const std::string& key);

private:
    std::vector<Item> tableArray_;
    // Outline items already walked (cycles through /First and /Next end there).
    std::unordered_set<std::uintptr_t> visited_;
    // Page dictionary → 1-based page number, built on first need for the document being read.
    std::unordered_map<std::uintptr_t, std::uint64_t> pageNumbers_;
    bool pageNumbersBuilt_ = false;
    // Name → value of the /Names /Dests tree, built on first need for the document being read.
    std::unordered_map<std::string, kx::PDFObject> namedDests_;
    bool namedDestsBuilt_ = false;
};
