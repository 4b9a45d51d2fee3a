// Page sections: tables in blank space. A table found on the page usually stands where the section
// layout put blank paragraphs (above the text, below it, or in a column). When the section is
// written, each such table goes into the text flow in place of the blank paragraphs that cover it,
// as an inline table with blank paragraphs or spacing around it, so that the text above and below
// keeps its place; the space the table needs beyond the blank area is borrowed from the paragraphs
// next to it. A table that does not fit is left to float.
//
// A borrow takes a negative space (the overlap to remove) and takes 0.1 pt more than asked.

#include <algorithm>
#include <cmath>

#include "docx/model/KXDocxUtilities.h"
#include "docx/page/layout/KXDocxPageSection.h"
#include "docx/page/layout/KXDocxTable.h"

namespace {

constexpr double kSlack = 0.1;
constexpr double kSmallGap = 3.1;
constexpr double kLeftOver = 5.0;
constexpr double kLeastFrame = 0.5;

// Reading order of two tables: a above b (true), b above a, or neither (then left to right, then
// top to bottom within a point).
int readingOrder(const kx::Rect& a, const kx::Rect& b) {
    if (b.origin.y > a.origin.y + a.size.height) return -1;
    if (a.origin.y > b.origin.y + b.size.height) return 1;
    if (b.origin.x > a.origin.x + a.size.width) return -1;
    if (a.origin.x > b.origin.x + b.size.width) return 1;
    if (b.origin.y - 1 > a.origin.y) return -1;
    if (a.origin.y > b.origin.y + 1) return 1;
    return 0;
}

// Sorted by reading order; the comparison need not be a strict order, so an insertion sort that
// only moves a table ahead of one that must follow it.
void sortTables(KXDocxTableArray& tables) {
    for (size_t i = 1; i < tables.size(); ++i) {
        auto t = tables[i];
        size_t j = i;
        while (j > 0 && readingOrder(t->bounds(), tables[j - 1]->bounds()) < 0) {
            tables[j] = tables[j - 1];
            --j;
        }
        tables[j] = t;
    }
}

std::vector<std::shared_ptr<KXDocxParagraph>> paragraphsOf(const KXDocxWriterObjectArray& column) {
    std::vector<std::shared_ptr<KXDocxParagraph>> paragraphs;
    for (const auto& object : column)
        if (auto p = std::dynamic_pointer_cast<KXDocxParagraph>(object)) paragraphs.push_back(p);
    return paragraphs;
}

}  // namespace

kx::Rect KXDocxPageSection::FrameOfParagraphArray(const KXDocxParagraphArray& paragraphs, bool isMaxWidth) {
    kx::Rect frame;
    for (const auto& p : paragraphs) {
        const kx::Rect& c = p->contentFrame();
        if (!(c.size.width > kLeastFrame && c.size.height > kLeastFrame)) continue;
        if (!(frame.size.height > 0)) {
            frame = c;
            if (isMaxWidth) {
                frame.origin.x = p->columnFrame().origin.x;
                frame.size.width = p->columnFrame().size.width;
            }
        } else {
            frame = frame.unionWith(c);
        }
    }
    return frame;
}

KXDocxTableArray KXDocxPageSection::FindBlankParagraphArray(const kx::Rect& blank, const KXDocxTableArray& tables) {
    KXDocxTableArray inside;
    for (const auto& table : tables) {
        const kx::Rect& b = table->bounds();
        kx::Rect shrunk = b;
        for (int d = 20; d >= 2; d -= 2) {
            const kx::Rect r = b.insetBy(d, d);
            if (!r.isNull() && r.size.width > 1 && r.size.height > 1) {
                shrunk = r;
                break;
            }
        }
        if (blank.contains(shrunk)) inside.push_back(table);
    }
    return inside;
}

KXDocxWriterObjectArray KXDocxPageSection::InsertTables(KXDocxTableArray& tables, const KXDocxParagraphArray& blanks,
                                                        const std::vector<KXDocxWriterObjectArray>* paragraphArray0,
                                                        const std::vector<KXDocxWriterObjectArray>* paragraphArrayN) {
    const kx::Rect frame = FrameOfParagraphArray(blanks, true);
    const std::shared_ptr<KXDocxParagraph> example = blanks.empty() ? nullptr : blanks.front();
    KXDocxWriterObjectArray result = CreateParagraphsAndTables(tables, frame, example, paragraphArray0, paragraphArrayN);
    if (result.empty()) result.insert(result.end(), blanks.begin(), blanks.end());
    return result;
}

KXDocxWriterObjectArray KXDocxPageSection::CreateParagraphsAndTables(
    KXDocxTableArray& tables, const kx::Rect& blankFrame, const std::shared_ptr<KXDocxParagraph>& example,
    const std::vector<KXDocxWriterObjectArray>* array0, const std::vector<KXDocxWriterObjectArray>* arrayN) {
    KXDocxWriterObjectArray result;
    KXDocxTableArray rejected;
    sortTables(tables);
    if (!tables.empty()) {
        KXDocx_SectPr sect = example ? example->sectProperty() : KXDocx_SectPr{};
        sect.shouldWrite = false;
        sect.type = 1;
        sect.cols = KXDocxUtilities::defaultColsProperty();
        const KXDocx_PPr pp = example ? example->pProperty() : KXDocx_PPr{};
        const KXDocx_RPr rp = example ? example->rProperty() : KXDocx_RPr{};
        const kx::Rect columnFrame = example ? example->columnFrame() : kx::Rect{};
        const double fontSize = rp.sz;
        auto blanksOf = [&](double height, double originY) {
            for (const auto& p : KXDocxParagraph::BlankParagraph(height, pp.spacing.line, pp.ind.left, pp.ind.right,
                                                                 pp.jc, rp, sect, originY, columnFrame))
                result.push_back(p);
        };
        const double top = blankFrame.origin.y, bottom = blankFrame.origin.y + blankFrame.size.height;
        double cursor = top;

        for (size_t i = 0; i < tables.size(); ++i) {
            const std::shared_ptr<KXDocxTable>& t = tables[i];
            const kx::Rect b = t->bounds();
            const bool last = i + 1 == tables.size();
            double T = b.origin.y - cursor;
            double B = (last ? bottom : tables[i + 1]->bounds().origin.y) - (b.origin.y + b.size.height);

            bool placedAtOnce = false;
            // How much lower the table stands in the flow than on the page: when the space it lacks
            // above is taken from the space below it, the space left below is that much shorter.
            double movedDown = 0;
            if (T < -kSlack) {
                if (BorrowParagraphArray0(array0, T)) {
                    T = kSlack;
                } else if (B > -T) {
                    movedDown = kSlack - T;
                    B = B + T - kSlack;
                    T = kSlack;
                }
            }
            if (B < -kSlack) {
                if (BorrowParagraphArrayN(arrayN, B)) {
                    B = kSlack;
                } else if (T > -B) {
                    T = T + B - kSlack;
                    B = kSlack;
                }
            }
            if (T < -kSlack && BorrowParagraphArrayN(arrayN, B + T)) placedAtOnce = true;
            if (!placedAtOnce && B < -kSlack && BorrowParagraphArray0(array0, B + T)) {
                B = kSlack;
                T = 0;
            }

            if (!placedAtOnce && !(T > -kSlack && B > -kSlack)) {
                const std::shared_ptr<KXDocxTable> neighbour =
                    T < kSlack ? (i > 0 ? tables[i - 1] : nullptr) : (last ? nullptr : tables[i + 1]);
                if (!neighbour || !(neighbour->bounds().origin.x > b.origin.x)) {
                    rejected.push_back(t);
                    continue;
                }
            }

            double M = 0;
            if (placedAtOnce) {
                M = kSlack;
            } else if (T <= kSmallGap) {
                M = T;
            } else if (cursor == top && T < fontSize && GiveYSpaceToParagraphColumnArray(T, false, array0)) {
                M = 0;
            } else {
                blanksOf(T, top);
                M = 0;
            }
            result.push_back(t);
            t->changeXMLPropertyTextWrappingToNone();

            double N = 0;
            const double tableBottom = b.origin.y + b.size.height + movedDown;
            if (!last) {
                cursor = std::max(cursor, tableBottom);
            } else {
                const double room = bottom - tableBottom;
                if (room <= kSmallGap) {
                    N = room;
                } else if (!(room < fontSize && GiveYSpaceToParagraphColumnArray(room, true, arrayN))) {
                    blanksOf(room, tableBottom);
                }
                cursor = bottom;
            }
            if (M > 0) t->setTextWrappingToNoneMarginTop(M);
            if (N > 0) t->setTextWrappingToNoneMarginBottom(N);
        }
        if (!rejected.empty() && bottom - cursor > kLeftOver) blanksOf(bottom - cursor, cursor);
    }

    std::erase_if(tables, [&](const auto& t) { return std::find(rejected.begin(), rejected.end(), t) != rejected.end(); });
    // Floating tables go first.
    KXDocxWriterObjectArray floating, rest;
    for (const auto& object : result) {
        auto table = std::dynamic_pointer_cast<KXDocxTable>(object);
        (table && table->tblProperty().tblpPr.horzAnchor != 0 ? floating : rest).push_back(object);
    }
    floating.insert(floating.end(), rest.begin(), rest.end());
    return floating;
}

bool KXDocxPageSection::BorrowParagraphArray0(const std::vector<KXDocxWriterObjectArray>* array0, double yTopSpace) {
    if (!array0 || array0->empty()) return false;
    for (const auto& column : *array0)
        if (!BorrowParagraphColum(column, yTopSpace, true, false)) return false;
    for (const auto& column : *array0) BorrowParagraphColum(column, yTopSpace, true, true);
    return true;
}

bool KXDocxPageSection::BorrowParagraphArrayN(const std::vector<KXDocxWriterObjectArray>* arrayN, double yBottomSpace) {
    if (!arrayN || arrayN->empty()) return false;
    for (const auto& column : *arrayN)
        if (!BorrowParagraphColum(column, yBottomSpace, false, false)) return false;
    for (const auto& column : *arrayN) BorrowParagraphColum(column, yBottomSpace, false, true);
    return true;
}

bool KXDocxPageSection::BorrowParagraphColum(const KXDocxWriterObjectArray& column, double ySpace, bool afterFirst,
                                             bool isSave) {
    std::vector<std::shared_ptr<KXDocxParagraph>> paragraphs = paragraphsOf(column);
    if (afterFirst) std::reverse(paragraphs.begin(), paragraphs.end());
    for (const auto& p : paragraphs)
        if (BorrowParagraph(*p, ySpace, afterFirst, isSave)) return true;
    return false;
}

bool KXDocxPageSection::BorrowParagraph(KXDocxParagraph& paragraph, double ySpace, bool afterFirst, bool isSave) {
    const double need = kSlack - ySpace;
    KXDocx_PPr p = paragraph.pProperty();
    const double before = p.spacing.before, after = p.spacing.after, line = p.spacing.line;
    const double n = static_cast<double>(paragraph.lineArray().size());
    bool lends = true;
    if (afterFirst ? after >= need : before >= need) {
        if (afterFirst) {
            p.spacing.after = static_cast<float>(after - need);
        } else {
            p.spacing.before = static_cast<float>(before - need);
        }
    } else if (before + after >= need) {
        if (afterFirst) {
            p.spacing.before = static_cast<float>(before + after - need);
            p.spacing.after = 0;
        } else {
            p.spacing.after = static_cast<float>(before + after - need);
            p.spacing.before = 0;
        }
    } else if (paragraph.paragraphText().empty() && line >= need) {
        p.spacing.line = static_cast<float>(line - need);
    } else if (n > 0 && (before + line + after - 0.9 * paragraph.rProperty().sz) * n >= need) {
        p.spacing.line = static_cast<float>(line + (before + after - need) / n);
        p.spacing.before = 0;
        p.spacing.after = 0;
    } else {
        lends = false;
    }
    if (lends && isSave) paragraph.setPProperty(p);
    return lends;
}

bool KXDocxPageSection::GiveYSpaceToParagraphColumnArray(double ySpace, bool beforeLine,
                                                        const std::vector<KXDocxWriterObjectArray>* columns) {
    if (ySpace < 0 || !columns) return false;
    bool taken = false;
    for (const auto& column : *columns) taken = GiveYSpaceToParagraphColumn(ySpace, beforeLine, column) || taken;
    return taken;
}

bool KXDocxPageSection::GiveYSpaceToParagraphColumn(double ySpace, bool beforeLine,
                                                    const KXDocxWriterObjectArray& column) {
    if (ySpace < 0) return false;
    std::vector<std::shared_ptr<KXDocxParagraph>> paragraphs = paragraphsOf(column);
    if (paragraphs.empty()) return false;
    const std::shared_ptr<KXDocxParagraph>& p = beforeLine ? paragraphs.front() : paragraphs.back();
    KXDocx_PPr pp = p->pProperty();
    if (beforeLine) {
        pp.spacing.before = static_cast<float>(pp.spacing.before + ySpace);
    } else {
        pp.spacing.after = static_cast<float>(pp.spacing.after + ySpace);
    }
    p->setPProperty(pp);
    return true;
}
