#include "xlsx/KXExcelSortUtilities.h"

#include <algorithm>
#include <cmath>

#include "capture/WordGaps.h"
#include "xlsx/KXExcelRunText.h"

using RunList = KXExcelSortUtilities::RunList;

namespace {

bool endsInBlank(const std::u16string& text) { return !text.empty() && text.back() == u' '; }
bool startsWithBlank(const std::u16string& text) { return !text.empty() && text.front() == u' '; }

}  // namespace

RunList KXExcelSortUtilities::SortRunTextsByX(const RunList& runs) {
    RunList sorted = runs;
    std::stable_sort(sorted.begin(), sorted.end(), [](const KXExcelRunText* a, const KXExcelRunText* b) {
        return a->ctmInfo().xLeft < b->ctmInfo().xLeft;
    });
    return sorted;
}

RunList KXExcelSortUtilities::SortRunTextsByY(const RunList& runs) {
    RunList sorted = runs;
    std::stable_sort(sorted.begin(), sorted.end(), [](const KXExcelRunText* a, const KXExcelRunText* b) {
        return a->ctmInfo().yTop < b->ctmInfo().yTop;
    });
    return sorted;
}

RunList KXExcelSortUtilities::FindRunTextsCrossedInHeight(const RunList& runs) {
    if (runs.empty()) return {};
    RunList band{runs.front()};
    double reach = runs.front()->ctmInfo().yBase;
    for (size_t i = 1; i < runs.size(); ++i) {
        if (reach > runs[i]->ctmInfo().yTop) {
            band.push_back(runs[i]);
            reach = std::max(reach, runs[i]->ctmInfo().yBase);
        }
    }
    return band;
}

RunList KXExcelSortUtilities::FindRunTextsCrossedInWidth(const RunList& runs) {
    if (runs.empty()) return {};
    RunList band{runs.front()};
    double reach = runs.front()->ctmInfo().xRight;
    for (size_t i = 1; i < runs.size(); ++i) {
        if (reach >= runs[i]->ctmInfo().xLeft) {
            band.push_back(runs[i]);
            reach = std::max(reach, runs[i]->ctmInfo().xRight);
        }
    }
    return band;
}

bool KXExcelSortUtilities::continuesLine(const KXExcelRunText& anchor, const KXExcelRunText& r, double reach,
                                         std::int32_t option) {
    if (!(std::fabs(anchor.ctmInfo().yBase - r.ctmInfo().yBase) < 1.0)) return false;
    const double gap = r.ctmInfo().xLeft - reach;
    bool accepted = false;
    switch (option) {
        case 2: accepted = std::fabs(gap) < 2.0; break;
        case 1: accepted = gap < 3.0; break;
        default: accepted = gap > -3.0 && gap < 2.0; break;
    }
    return accepted && anchor.rPr().isSameToRPr(r.rPr());
}

bool KXExcelSortUtilities::endsLine(const KXExcelRunText& r, double reach, std::int32_t option) {
    return r.ctmInfo().xLeft - reach >= (option == 1 ? 3.0 : 2.0);
}

bool KXExcelSortUtilities::continuesCell(const KXExcelRunText& anchor, const KXExcelRunText& r, double reach) {
    return anchor.ctmInfo().xRight - r.ctmInfo().xLeft > 1.0 && std::fabs(r.ctmInfo().yTop - reach) < 2.0 &&
           anchor.rPr().isSameToRPr(r.rPr());
}

bool KXExcelSortUtilities::endsCell(const KXExcelRunText& r, double reach) { return r.ctmInfo().yTop - reach >= 2.0; }

RunList KXExcelSortUtilities::FindRunTextsMergedInWidth(const RunList& runs, std::int32_t option) {
    if (runs.empty()) return {};
    const KXExcelRunText& anchor = *runs.front();
    RunList group{runs.front()};
    double reach = anchor.ctmInfo().xRight;
    for (size_t i = 1; i < runs.size(); ++i) {
        if (!continuesLine(anchor, *runs[i], reach, option)) continue;
        group.push_back(runs[i]);
        reach = std::max(reach, runs[i]->ctmInfo().xRight);
    }
    return group;
}

RunList KXExcelSortUtilities::FindRunTextsMergedInHeight(const RunList& runs) {
    if (runs.empty()) return {};
    const KXExcelRunText& anchor = *runs.front();
    RunList group{runs.front()};
    double reach = anchor.ctmInfo().yBottom;
    for (size_t i = 1; i < runs.size(); ++i) {
        if (!continuesCell(anchor, *runs[i], reach)) continue;
        group.push_back(runs[i]);
        reach = std::max(reach, runs[i]->ctmInfo().yBottom);
    }
    return group;
}

namespace {

// The group's box becomes the first run's: smallest top and left, largest baseline, bottom and
// right; the first run's other geometry stays.
void takeGroupBox(KXExcelRunText* first, const RunList& runs) {
    KXPDF_CTMInfo g = first->ctmInfo();
    for (const KXExcelRunText* r : runs) {
        const KXPDF_CTMInfo& o = r->ctmInfo();
        g.yTop = std::min(g.yTop, o.yTop);
        g.yBase = std::max(g.yBase, o.yBase);
        g.yBottom = std::max(g.yBottom, o.yBottom);
        g.xLeft = std::min(g.xLeft, o.xLeft);
        g.xRight = std::max(g.xRight, o.xRight);
    }
    first->setCtmInfo(g);
    first->setTextWidth(g.xRight - g.xLeft);
}

}  // namespace

KXExcelRunText* KXExcelSortUtilities::MergeRunTextsInWidth(const RunList& runs) {
    if (runs.empty()) return nullptr;
    KXExcelRunText* first = runs.front();
    double reach = first->ctmInfo().xRight;
    for (size_t i = 1; i < runs.size(); ++i) {
        const KXExcelRunText& r = *runs[i];
        // Words set apart without a blank between them (tight lines of text placed word by word)
        // keep a blank between them.
        if (kx::separatesWords(r.ctmInfo().xLeft - reach, first->rPr().sz()) && !endsInBlank(first->text()) &&
            !startsWithBlank(r.text()))
            first->text() += u' ';
        first->text() += r.text();
        reach = std::max(reach, r.ctmInfo().xRight);
    }
    takeGroupBox(first, runs);
    return first;
}

KXExcelRunText* KXExcelSortUtilities::MergeRunTextsInHeight(const RunList& runs) {
    if (runs.empty()) return nullptr;
    KXExcelRunText* first = runs.front();
    for (size_t i = 1; i < runs.size(); ++i) {
        const std::u16string& next = runs[i]->text();
        if (first->rPr().isSameToRPr(runs[i]->rPr())) {
            // Lines of Chinese text run on without a blank; a line that ends or begins with any other
            // character is a word of its own.
            const std::u16string& text = first->text();
            const bool ideographs = !text.empty() && !next.empty() &&
                                    HaveNoneEnglishString(std::u16string_view(text).substr(text.size() - 1)) &&
                                    HaveNoneEnglishString(std::u16string_view(next).substr(0, 1));
            if (!ideographs) first->text() += u' ';
        } else {
            first->text() += u'\n';
        }
        first->text() += next;
    }
    takeGroupBox(first, runs);
    return first;
}

bool KXExcelSortUtilities::HaveNoneEnglishString(std::u16string_view text) {
    return std::any_of(text.begin(), text.end(), [](char16_t c) { return c > 0x4E00 && c < 0x9FFF; });
}

namespace {

template <class Key>
RunList sameKey(const RunList& runs, Key key) {
    if (runs.empty()) return {};
    const auto k = key(runs.front());
    RunList group;
    for (KXExcelRunText* r : runs)
        if (key(r) == k) group.push_back(r);
    return group;
}

template <class Value, class Better>
double extreme(const RunList& runs, Value value, Better better) {
    double v = value(runs.front());
    for (const KXExcelRunText* r : runs) {
        const double x = value(r);
        if (better(x, v)) v = x;
    }
    return v;
}

}  // namespace

RunList KXExcelSortUtilities::FindRunTextsInSameRowColumnIndex(const RunList& runs) {
    return sameKey(runs, [](const KXExcelRunText* r) { return std::pair(r->rowIndex(), r->columnIndex()); });
}

RunList KXExcelSortUtilities::FindRunTextsInSameColumnIndex(const RunList& runs) {
    return sameKey(runs, [](const KXExcelRunText* r) { return r->columnIndex(); });
}

RunList KXExcelSortUtilities::FindRunTextsInSameRowIndex(const RunList& runs) {
    return sameKey(runs, [](const KXExcelRunText* r) { return r->rowIndex(); });
}

double KXExcelSortUtilities::GetMaxxRightInRunTexts(const RunList& runs) {
    return extreme(runs, [](const KXExcelRunText* r) { return r->ctmInfo().xRight; }, std::greater<double>());
}
double KXExcelSortUtilities::GetMinxRightInRunTexts(const RunList& runs) {
    return extreme(runs, [](const KXExcelRunText* r) { return r->ctmInfo().xRight; }, std::less<double>());
}
double KXExcelSortUtilities::GetMaxxLeftInRunTexts(const RunList& runs) {
    return extreme(runs, [](const KXExcelRunText* r) { return r->ctmInfo().xLeft; }, std::greater<double>());
}
double KXExcelSortUtilities::GetMinxLeftInRunTexts(const RunList& runs) {
    return extreme(runs, [](const KXExcelRunText* r) { return r->ctmInfo().xLeft; }, std::less<double>());
}
double KXExcelSortUtilities::GetMinxTopInRunTexts(const RunList& runs) {
    return extreme(runs, [](const KXExcelRunText* r) { return r->ctmInfo().yTop; }, std::less<double>());
}
