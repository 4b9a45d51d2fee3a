// Paragraphs: which paragraph carries an outline entry's title.

#include <gtest/gtest.h>

#include "DocxModelFixtures.h"
#include "docx/model/KXDocxParagraph.h"

using kx::test::makeLine;

namespace {

std::shared_ptr<KXDocxParagraph> paragraphOf(std::initializer_list<std::u16string> lines) {
    KXDocxRunTextLineArray made;
    double y = 100;
    for (const std::u16string& text : lines) {
        made.push_back(makeLine({{.text = text, .width = 6.0 * static_cast<double>(text.size()), .yBase = y}}));
        y += 14;
    }
    return KXDocxParagraph::initWithLineArray(made);
}

}  // namespace

TEST(KXDocxParagraph, CompareOutLine) {
    struct Case {
        const char* name;
        std::initializer_list<std::u16string> lines;
        std::u16string title;
        bool likeDetect;
        int level;
        bool expected;
    } cases[] = {
        {"same words, other case and spacing", {u"1.2  Getting Started"}, u"1.2 getting\tstarted", false, 0, true},
        {"the title inside a longer line", {u"Part II. Results and more"}, u"Results", false, 0, true},
        {"the title broken over two lines", {u"Chapter One:", u"The Beginning of it all"},
         u"Chapter One: The Beginning of it all", false, 0, true},
        {"a short line inside the title is not enough", {u"The"}, u"The Beginning of it all", false, 0, false},
        {"a few letters read differently, with likeness", {u"Introductoin"}, u"Introduction", true, 0, true},
        {"the same without likeness", {u"Introductoin"}, u"Introduction", false, 0, false},
        {"likeness needs lengths close enough", {u"Intro"}, u"Introduction and Overview", true, 0, false},
        {"a paragraph with a level already", {u"Results"}, u"Results", false, 1, false},
        {"a title of nothing but blanks", {u"Results"}, u" \t\n", true, 0, false},
        {"another text", {u"Methods"}, u"Results", true, 0, false},
        {"no lines", {}, u"Results", true, 0, false},
    };
    for (const Case& c : cases) {
        std::shared_ptr<KXDocxParagraph> p = paragraphOf(c.lines);
        if (c.level) p->setupOutline(c.level);
        EXPECT_EQ(p->compareOutLine(c.title, c.likeDetect), c.expected) << c.name;
    }
}
