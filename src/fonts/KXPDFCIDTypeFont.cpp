#include "fonts/KXPDFCIDTypeFont.h"

#include <algorithm>
#include <climits>
#include <map>
#include <mutex>

#include "fonts/KXFontSupport_p.h"
#include "fonts/KXPDFCharCodeToUnicode.h"
#include "fonts/KXPDFFontDescriptor.h"
#include "fonts/KXPDFMapTool.h"
#include "platform/Unicode.h"

namespace kx::detail {

// The CID-to-Unicode table of a collection ("Adobe-Japan1"): read once per process, none for a
// collection without one.
std::shared_ptr<const KXPDFCharCodeToUnicode> collectionToUnicodeMap(const std::string& region) {
    static std::mutex mutex;
    static std::map<std::string, std::shared_ptr<const KXPDFCharCodeToUnicode>> tables;
    std::lock_guard lock(mutex);
    auto it = tables.find(region);
    if (it != tables.end()) return it->second;
    std::shared_ptr<const KXPDFCharCodeToUnicode> table;
    auto text = KXPDFMapTool::FindToUnicodeFile(region);
    if (text && !text->empty()) table = KXPDFCharCodeToUnicode::parseCMap(*text, 16);
    tables.emplace(region, table);
    return table;
}

}  // namespace kx::detail

namespace {

bool integerAt(const kx::PDFObject& array, size_t i, std::int64_t& out) { return array.arrayAt(i).getInteger(out); }

}  // namespace

KXPDFCIDTypeFont::KXPDFCIDTypeFont() = default;
KXPDFCIDTypeFont::KXPDFCIDTypeFont(const KXPDFCIDTypeFont& other) = default;
KXPDFCIDTypeFont::~KXPDFCIDTypeFont() = default;

std::unique_ptr<KXPDFFont> KXPDFCIDTypeFont::clone() const { return std::make_unique<KXPDFCIDTypeFont>(*this); }

bool KXPDFCIDTypeFont::initWithDictionary(const kx::PDFObject&, const std::string& objectKey) {
    objectKey_ = objectKey;
    embToUnicodeMap_.reset();
    cidWidths_ = KXPDFFontCIDWidths{};
    return true;
}

std::uint16_t KXPDFCIDTypeFont::glyphForCID(std::uint32_t cid) const { return static_cast<std::uint16_t>(cid & 0xFFFF); }

void KXPDFCIDTypeFont::setCIDSystemInfoWithDictionary(const kx::PDFObject& dict) {
    kx::PDFObject info = dict.dictGet("CIDSystemInfo");
    if (!info.isDictionary()) return;
    std::string registry = kx::utf16ToUtf8(info.dictGet("Registry").textString());
    std::string ordering = kx::utf16ToUtf8(info.dictGet("Ordering").textString());
    if (registry.empty()) registry = "Adobe";
    if (ordering.empty()) ordering = "Identity";
    std::int64_t supplement = 0;
    info.dictGet("Supplement").getInteger(supplement);
    cidSystemRegion_ = registry + "-" + ordering;
    cidSystemInfo_ = cidSystemRegion_ + "-" + std::to_string(supplement);
    extToUnicodeMap_ = kx::detail::collectionToUnicodeMap(cidSystemRegion_);
}

void KXPDFCIDTypeFont::setWidthsWithFontDictionary(const kx::PDFObject& dict) {
    cidWidths_ = KXPDFFontCIDWidths{};
    widthsOk_ = setDW(dict) && setDW2(dict);
}

bool KXPDFCIDTypeFont::setDW(const kx::PDFObject& dict) {
    std::int64_t dw = 0;
    if (dict.dictGet("DW").getInteger(dw)) cidWidths_.defWidth = static_cast<double>(dw) * 0.001;

    kx::PDFObject w = dict.dictGet("W");
    if (!w.isArray() || w.arrayCount() < 2) return true;
    const size_t count = w.arrayCount();
    auto add = [&](std::uint32_t first, std::uint32_t last, double width) {
        if (cidWidths_.exceps.size() >= kMaxWidthExceptions) {
            kx::detail::checkAllocationSize(static_cast<size_t>(INT_MAX), sizeof(KXPDFFontCIDWidthExcep));
            return false;
        }
        cidWidths_.exceps.push_back({first, last, width * 0.001});
        return true;
    };
    size_t i = 0;
    while (count - i >= 2) {
        std::int64_t c = 0;
        if (!integerAt(w, i, c)) break;
        kx::PDFObject next = w.arrayAt(i + 1);
        std::int64_t c2 = 0;
        if (next.isArray()) {
            for (size_t k = 0; k < next.arrayCount(); ++k) {
                double width = 0;
                if (!kx::detail::fontNumberAt(next, k, width)) continue;
                if (!add(static_cast<std::uint32_t>(c), static_cast<std::uint32_t>(c), width)) return false;
                ++c;
            }
            i += 2;
        } else if (next.getInteger(c2) && i + 2 < count) {
            double width = 0;
            if (kx::detail::fontNumberAt(w, i + 2, width) &&
                !add(static_cast<std::uint32_t>(c), static_cast<std::uint32_t>(c2), width))
                return false;
            i += 3;
        } else {
            i += 1;
        }
    }
    std::stable_sort(cidWidths_.exceps.begin(), cidWidths_.exceps.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    return true;
}

bool KXPDFCIDTypeFont::setDW2(const kx::PDFObject& dict) {
    kx::PDFObject dw2 = dict.dictGet("DW2");
    std::int64_t single = 0;
    double vy = 0, height = 0;
    if (dw2.getInteger(single)) {
        cidWidths_.defHeight = static_cast<double>(single) * 0.001;
    } else if (dw2.isArray() && dw2.arrayCount() == 2 && kx::detail::fontNumberAt(dw2, 0, vy) &&
               kx::detail::fontNumberAt(dw2, 1, height)) {
        // The standard form [vy h]: the default origin height and vertical advance.
        cidWidths_.defVY = vy * 0.001;
        cidWidths_.defHeight = height * 0.001;
    }

    kx::PDFObject w2 = dict.dictGet("W2");
    if (!w2.isArray() || w2.arrayCount() < 2) return true;
    const size_t count = w2.arrayCount();
    auto add = [&](std::uint32_t first, std::uint32_t last, double h, double x, double y) {
        if (cidWidths_.excepsV.size() >= kMaxWidthExceptions) {
            kx::detail::checkAllocationSize(static_cast<size_t>(INT_MAX), sizeof(KXPDFFontCIDWidthExcepV));
            return false;
        }
        cidWidths_.excepsV.push_back({first, last, h * 0.001, x * 0.001, y * 0.001});
        return true;
    };
    size_t i = 0;
    while (count - i >= 2) {
        std::int64_t c = 0;
        if (!integerAt(w2, i, c)) break;
        kx::PDFObject next = w2.arrayAt(i + 1);
        std::int64_t c2 = 0;
        if (next.isArray()) {
            for (size_t k = 0; k + 2 < next.arrayCount(); k += 3) {
                double h = 0, x = 0, y = 0;
                if (!kx::detail::fontNumberAt(next, k, h) || !kx::detail::fontNumberAt(next, k + 1, x) ||
                    !kx::detail::fontNumberAt(next, k + 2, y))
                    continue;
                if (!add(static_cast<std::uint32_t>(c), static_cast<std::uint32_t>(c), h, x, y)) return false;
                ++c;
            }
            i += 2;
        } else if (next.getInteger(c2) && i + 4 < count) {
            double h = 0, x = 0, y = 0;
            if (kx::detail::fontNumberAt(w2, i + 2, h) && kx::detail::fontNumberAt(w2, i + 3, x) &&
                kx::detail::fontNumberAt(w2, i + 4, y) &&
                !add(static_cast<std::uint32_t>(c), static_cast<std::uint32_t>(c2), h, x, y))
                return false;
            i += 5;
        } else {
            i += 1;
        }
    }
    std::stable_sort(cidWidths_.excepsV.begin(), cidWidths_.excepsV.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    return true;
}
