// Text, number and colour utilities of the writers.

#include <gtest/gtest.h>

#include <set>

#include "util/KXConverterUtilities.h"
#include "util/KXHexColor.h"
#include "util/KXNumberUtils.h"
#include "util/KXRegex.h"

TEST(KXConverterUtilities, BlankTextsAndWords) {
    EXPECT_TRUE(KXConverterUtilities::isBlankString(u""));
    EXPECT_TRUE(KXConverterUtilities::isBlankString(u"\t\n \r\n\u00A0\u200B\u3000"));
    EXPECT_FALSE(KXConverterUtilities::isBlankString(u"\t x"));
    EXPECT_FALSE(KXConverterUtilities::isBlankString(u"\U0001F600"));

    EXPECT_FALSE(KXConverterUtilities::IsFullWidthCharacter(u""));
    EXPECT_FALSE(KXConverterUtilities::IsFullWidthCharacter(u"e"));
    EXPECT_TRUE(KXConverterUtilities::IsFullWidthCharacter(u"\u00E9"));
    EXPECT_TRUE(KXConverterUtilities::IsFullWidthCharacter(u"\u4E2D"));
    EXPECT_TRUE(KXConverterUtilities::IsFullWidthCharacter(u"\xD83D"));

    EXPECT_EQ(KXConverterUtilities::ComponentsSeparatedByWords(u"two words."),
              (std::vector<std::u16string>{u"two", u"words"}));
    EXPECT_EQ(KXConverterUtilities::ComponentsSeparatedByWords(u"\u4E2D\u6587 ab"),
              (std::vector<std::u16string>{u"\u4E2D", u"\u6587", u" ", u"a", u"b"}));
}

TEST(KXConverterUtilities, TextWidthInAnInstalledFont) {
    const std::string font = "Liberation Sans";
    double a = KXConverterUtilities::TextWidth(u"a", font, 10, 100);
    if (a == 0) GTEST_SKIP() << "Liberation Sans is not installed";
    EXPECT_NEAR(a, 5.56, 0.01);  // 1139 of 2048 units
    EXPECT_NEAR(KXConverterUtilities::TextWidth(u"ab", font, 10, 100),
                a + KXConverterUtilities::TextWidth(u"b", font, 10, 100), 1e-9);
    EXPECT_NEAR(KXConverterUtilities::TextWidth(u"a", font, 20, 100), 2 * a, 1e-9);
    EXPECT_GT(KXConverterUtilities::TextWidth(u"WWW", font, 10, 100), KXConverterUtilities::TextWidth(u"iii", font, 10, 100));
    // The widest line counts.
    EXPECT_NEAR(KXConverterUtilities::TextWidth(u"a\naaa\naa", font, 10, 100), 3 * a, 1e-9);
    EXPECT_EQ(KXConverterUtilities::TextWidth(u"", font, 10, 100), 0);
    EXPECT_EQ(KXConverterUtilities::TextWidth(u"a", "", 10, 100), 0);
    EXPECT_EQ(KXConverterUtilities::TextWidth(u"a", "No Such Font Anywhere", 10, 100), 0);
    EXPECT_NEAR(KXConverterUtilities::TextWidth(u"a", "LiberationSans", 10, 100), a, 1e-9);
}

TEST(KXConverterUtilities, Likeness) {
    struct Case {
        const char16_t *a, *b;
        float percent;
    } cases[] = {
        {u"kitten", u"sitting", 50}, {u"same", u"same", 100}, {u"", u"abc", 3},
        {u"abcd", u"", 4},           {u"ab", u"abcdef", -100},
    };
    for (const Case& c : cases) EXPECT_FLOAT_EQ(KXConverterUtilities::String(c.a, c.b), c.percent);
}

TEST(KXConverterUtilities, RandomNamesAndOverlaps) {
    std::set<std::string> names;
    for (int i = 0; i < 50; ++i) {
        std::string n = KXConverterUtilities::Random4BigLetter();
        ASSERT_EQ(n.size(), 4u);
        for (char c : n) EXPECT_TRUE(c >= 'A' && c <= 'Z');
        names.insert(n);
    }
    EXPECT_GT(names.size(), 40u);

    using R = kx::Rect;
    EXPECT_DOUBLE_EQ(KXConverterUtilities::PecentAreaOfIntersectRect(R(0, 0, 10, 10), R(5, 0, 10, 10)), 0.5);
    EXPECT_EQ(KXConverterUtilities::PecentAreaOfIntersectRect(R(0, 0, 10, 10), R(10, 0, 10, 10)), 0);  // touching
    EXPECT_EQ(KXConverterUtilities::PecentAreaOfIntersectRect(R(0, 0, 10, 10), R(50, 50, 1, 1)), 0);
    EXPECT_DOUBLE_EQ(KXConverterUtilities::WidthOfNoneIntersectRect(R(0, 0, 10, 10), R(6, 0, 10, 10)), 6);
    EXPECT_EQ(KXConverterUtilities::WidthOfNoneIntersectRect(R(0, 0, 10, 10), R(10, 0, 10, 10)), 0);
}

TEST(KXRegex, NumberAndCurrencyPatterns) {
    struct Case {
        bool (*test)(std::u16string_view);
        const char16_t* text;
        bool match;
    } cases[] = {
        {KXRegex::validateGeneralNumbersDecimalSepartorByDot, u"-12.50", true},
        {KXRegex::validateGeneralNumbersDecimalSepartorByDot, u"12,50", false},
        {KXRegex::validateGeneralNumbersDecimalSepartorByComma, u"12,50", true},
        {KXRegex::validatePercentNumbersDecimalSepartorByDot, u"12.5%", true},
        {KXRegex::validatePercentNumbersDecimalSepartorByDot, u"12.5", false},
        {KXRegex::validatePercentNumbersDecimalSepartorByComma, u"-3,5%", true},
        {KXRegex::validateNumbersWithThousandSepartorByComma, u"1,234,567.89", true},
        {KXRegex::validateNumbersWithThousandSepartorByComma, u"1234", false},
        {KXRegex::validateNumbersWithThousandSepartorByComma, u"12,34", false},
        {KXRegex::validateNumbersWithThousandSepartorByDot, u"1.234,5", true},
        {KXRegex::validateIntNumbers, u"-42", true},
        {KXRegex::validateIntNumbers, u"4.2", false},
    };
    for (const Case& c : cases) EXPECT_EQ(c.test(c.text), c.match) << std::string(c.text, c.text + std::char_traits<char16_t>::length(c.text));

    const std::vector<std::u16string> none;
    EXPECT_TRUE(KXRegex::validateCurrencyNumberSBNSC(u"$ 1,234.50", none));
    EXPECT_TRUE(KXRegex::validateCurrencyNumberSBNSC(u"-\u00A51,234", none));
    EXPECT_FALSE(KXRegex::validateCurrencyNumberSBNSC(u"1,234.50$", none));
    EXPECT_TRUE(KXRegex::validateCurrencyNumberSANSC(u"1,234.50 \u20AC", none));
    EXPECT_TRUE(KXRegex::validateCurrencyNumberSBNSD(u"\u20AC1.234,50", none));
    EXPECT_TRUE(KXRegex::validateCurrencyNumberSANSD(u"1.234,50\uFFE5", none));
    // Given symbols replace the default set; symbols that mean something inside a class are escaped.
    EXPECT_FALSE(KXRegex::validateCurrencyNumberSBNSC(u"$5", {u"\u00A3"}));
    EXPECT_TRUE(KXRegex::validateCurrencyNumberSBNSC(u"\u00A35", {u"\u00A3"}));
    EXPECT_TRUE(KXRegex::validateCurrencyNumberSBNSC(u"]5", {u"]", u"^"}));
    EXPECT_FALSE(KXRegex::validateCurrencyNumberSBNSC(u"x5", {u"]", u"^"}));
    EXPECT_EQ(KXRegex::currencySymbols({}), u"$\uFFE5\u00A5\u20AC");
    EXPECT_TRUE(KXRegex::validateWithRegex(u"a+b", u"aaab"));
}

TEST(KXRegex, LanguageGuessFromScripts) {
    struct Case {
        const char16_t* text;
        const char* language;
    } cases[] = {
        {u"", ""},
        {u"The quick brown fox", "en"},
        {u"Caf\u00E9 cr\u00E8me", "en"},
        {u"\u8FD9\u662F\u4E2D\u6587\u7684\u6587\u672C", "zh-Hans"},  // 这是中文的文本
        {u"\u9019\u662F\u4E2D\u6587\u7684\u6587\u672C", "zh-Hant"},  // 這是中文的文本
        {u"\u4E2D\u6587", "zh-Hans"},                                // no telling character: simplified
        {u"\u65E5\u672C\u8A9E\u306E\u30C6\u30AD\u30B9\u30C8", ""},   // Japanese
        {u"\uD55C\uAD6D\uC5B4", ""},                                 // Korean
        {u"12345 %", ""},
        {u"PDF \u6587\u4EF6", "zh-Hans"},
        {u"Version 2 of the manual \u8BF4\u660E", "en"},
    };
    for (const Case& c : cases) EXPECT_EQ(KXRegex::LanguageForString(c.text), c.language);
    EXPECT_TRUE(KXRegex::IsLanguageForString_English(u"Hello"));
    EXPECT_TRUE(KXRegex::IsLanguageForString_Chinese(u"\u9019\u500B"));
    EXPECT_TRUE(KXRegex::IsLanguageForString_Chinese_Traditional(u"\u9019\u500B"));
    EXPECT_FALSE(KXRegex::IsLanguageForString_Chinese_Simplified(u"\u9019\u500B"));
    // Only the first 100 units count.
    std::u16string english(100, u'a');
    EXPECT_EQ(KXRegex::LanguageForString(english + u"\u4E2D\u6587\u4E2D\u6587"), "en");
}

TEST(KXNumberUtils, SymbolsSeparatorsAndFormatCodes) {
    EXPECT_EQ(KXNumberUtils::supportCurrencySymbols().size(), 4u);
    EXPECT_EQ(KXNumberUtils::getSymbol(u"12 \u20AC"), u"\u20AC");
    EXPECT_EQ(KXNumberUtils::getSymbol(u"\uFFE5 and \u00A5"), u"\uFFE5");
    EXPECT_EQ(KXNumberUtils::getSymbol(u"12"), u"");
    for (std::uint64_t t = 0; t < 10; ++t) {
        EXPECT_EQ(KXNumberUtils::getThousandSepartor(t), (t == 3 || t == 5 || t == 7) ? u"." : u",") << t;
        EXPECT_EQ(KXNumberUtils::getDecimalSepartor(t), (t == 0 || t == 2 || t == 4 || t == 6 || t == 9) ? u"." : u",")
            << t;
    }
    EXPECT_EQ(KXNumberUtils::getDecimalLength(u"$ 1,234.50", u"$", u"."), 2);
    EXPECT_EQ(KXNumberUtils::getDecimalLength(u"1.2.3", std::nullopt, u"."), 0);
    EXPECT_EQ(KXNumberUtils::getDecimalLength(u"1 234", std::nullopt, u"."), 0);
    EXPECT_EQ(KXNumberUtils::getDecimalLength(u"1 234,125 \u20AC", u","), 3);
    EXPECT_EQ(KXNumberUtils::numberCodeWithDecimalLength(3), "#,##0.000");
    EXPECT_EQ(KXNumberUtils::numberCodeWithDecimalLength(0), "#,##0");
    EXPECT_EQ(KXNumberUtils::numberCodeWithDecimalLength(-1), "#,##0");
    EXPECT_EQ(KXNumberUtils::currencyFormatWithDecimalLength(2, u"\u20AC", std::uint64_t{6}), "#,##0.00\u20AC");
    EXPECT_EQ(KXNumberUtils::currencyFormatWithDecimalLength(2, u"$", std::uint64_t{4}), "$#,##0.00");
    EXPECT_EQ(KXNumberUtils::currencyFormatWithDecimalLength(0, u"$", false), "#,##0$");
}

TEST(KXHexColor, HexTextWhiteAndBlack) {
    EXPECT_EQ(KXHexColor::getHexColorFromCGColor(kx::Color{1, 0.5, 0, 1}), "ff8000");
    EXPECT_EQ(KXHexColor::getHexColorFromCGColor(kx::Color::gray(0.2)), "333333");
    EXPECT_EQ(KXHexColor::getHexColorFromCGColor(std::nullopt), std::nullopt);
    EXPECT_EQ(KXHexColor::whiteCGColor(), (kx::Color{1, 1, 1, 1}));
    EXPECT_TRUE(KXHexColor::isBlackColor(kx::Color{0.04, 0.02, 0, 1}));
    EXPECT_FALSE(KXHexColor::isBlackColor(kx::Color{0.05, 0, 0, 1}));
    EXPECT_FALSE(KXHexColor::isBlackColor(std::nullopt));
}
