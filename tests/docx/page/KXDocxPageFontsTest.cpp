// The language of a page's text and the fonts written for it: Chinese text takes the Chinese font
// of its substitute, text in a language that is neither Chinese nor English a font that covers
// every script, English text keeps its fonts.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "docx/model/DocxModelFixtures.h"
#include "docx/page/KXDocxPage.h"
#include "fonts/KXPDFFontUtilities.h"

using namespace kx::test;

namespace {

constexpr const char* kWide = "Arial Unicode MS";

// A run of the text in the PDF's font `font`, written with the substitute `replacement`.
std::shared_ptr<KXDocxRunText> run(const std::u16string& text, const std::string& font, const std::string& replacement) {
    RunSpec spec;
    spec.text = text;
    spec.font = font;
    auto r = makeRun(spec);
    KXDocx_RPr p = r->rProperty();
    p.rFonts_replace = {replacement, replacement, replacement, replacement};
    r->setRProperty(p);
    return r;
}

std::vector<std::string> substitutes(const KXDocxPage& page) {
    std::vector<std::string> names;
    for (const auto& r : page.allRunTextArray()) {
        const KXDocx_RFonts& f = r->rProperty().rFonts_replace;
        EXPECT_TRUE(f.hAnsi == f.ascii && f.cs == f.ascii && f.eastAsia == f.ascii) << f.ascii;
        names.push_back(f.ascii);
    }
    return names;
}

std::string installedOrWide(const char* name) {
    return KXPDFFontUtilities::SystemFontNameIsExist(name) ? name : kWide;
}

}  // namespace

TEST(KXDocxPageFonts, ChineseTextTakesTheChineseFontOfItsSubstitute) {
    KXDocxPage page(nullptr, {612, 792}, true, true);
    const std::u16string chinese = u"中文文本的字体替换测试内容";
    for (const char* substitute : {"Times", "Courier", "Consolas", kWide, "Helvetica"})
        page.allRunTextArray().push_back(run(chinese, "EmbeddedSong", substitute));
    // Installed under its own name: written with it.
    page.allRunTextArray().push_back(run(chinese, "Times", "Times"));
    EXPECT_TRUE(page._localizedReplaceFontNameIfNeed());
    const std::vector<std::string> expected = {installedOrWide("STSong"), installedOrWide("Simsun"),
                                               installedOrWide("SimHei"), installedOrWide("Microsoft YaHei"),
                                               "Helvetica", "Times"};
    EXPECT_EQ(substitutes(page), expected);
}

TEST(KXDocxPageFonts, TheLanguageIsTakenFromTheStartTheMiddleAndTheEnd) {
    const std::u16string english = u"The quick brown fox jumps over";
    const std::u16string russian = u"Съешь же ещё этих мягких булок";
    const std::u16string chinese = u"中文文本的字体替换测试内容";
    struct Case {
        const char* what;
        std::vector<std::u16string> runs;
        bool recognised;
        bool wide;  // every substitute becomes the wide-coverage font
    };
    const Case cases[] = {
        {"no text", {}, false, false},
        {"English", {english, english, english, english, english, english}, true, false},
        {"English at the start only", {english, russian, russian, russian, russian, russian}, false, true},
        {"English in the middle", {russian, russian, english, english, english, russian}, true, false},
        {"English at the end", {russian, russian, russian, russian, russian, english}, true, false},
        {"Chinese at the start only", {chinese, russian, russian, russian, russian, russian}, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        KXDocxPage page(nullptr, {612, 792}, true, true);
        for (const auto& text : c.runs) page.allRunTextArray().push_back(run(text, "PDFSans", "Helvetica"));
        EXPECT_EQ(page._localizedReplaceFontNameIfNeed(), c.recognised);
        for (const std::string& name : substitutes(page)) EXPECT_EQ(name, c.wide ? kWide : "Helvetica");
    }
}
