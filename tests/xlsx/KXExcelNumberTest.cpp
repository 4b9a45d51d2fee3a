// Number recognition: which cell texts are numbers, their values and their number formats.

#include <gtest/gtest.h>

#include "XlsxTestSupport.h"
#include "xlsx/KXExcelNumber.h"

namespace {

struct NumberCase {
    const char* what;
    std::u16string text;
    const char* grouping;  // the character that groups thousands
    bool isNumber;
    std::uint64_t type;
    std::string value;
    std::int32_t numID;  // -1: the custom format of `code`; otherwise no format code
    std::string code;
};

const NumberCase kCases[] = {
    // The forms of the two conventions.
    {"thousands with decimals", u"1,234.56", ",", true, 2, "1234.56", -1, "#,##0.00"},
    {"thousands", u"1,234", ",", true, 2, "1234", -1, "#,##0"},
    {"a comma is no decimal point", u"12,34", ",", false, 0, "", 0, ""},
    {"a blank inside", u"1 234", ",", true, 0, "1234", 0, ""},
    {"symbol before", u"$1,234.5", ",", true, 4, "1234.5", -1, "$#,##0.0"},
    {"symbol after a blank", u"5 \u20AC", ",", true, 6, "5", -1, "#,##0\u20AC"},
    {"minus before the symbol", u"-$5.00", ",", true, 4, "-5.00", -1, "$#,##0.00"},
    {"minus after the symbol", u"$-5", ",", false, 0, "", 0, ""},
    {"whole percent", u"12%", ",", true, 9, "0.12", 9, ""},
    {"percent with two decimals", u"12.50%", ",", true, 9, "0.125", 10, ""},
    {"percent with one decimal", u"5.9%", ",", true, 9, "0.059", 10, ""},
    {"negative percent", u"-3%", ",", true, 9, "-0.03", 9, ""},
    {"plain decimals", u"3.14", ",", true, 0, "3.14", 0, ""},
    {"trailing zeros stay in the value", u"54.0", ",", true, 0, "54.0", 0, ""},
    {"whole number", u"2400", ",", true, 0, "2400", 0, ""},
    {"dot thousands", u"1.234,56", ".", true, 3, "1234.56", -1, "#,##0.00"},
    {"comma decimals", u"1,234", ".", true, 1, "1.234", 0, ""},
    {"comma percent", u"12,5%", ".", true, 8, "0.125", 10, ""},
    {"symbol before, dot thousands", u"\u20AC1.000", ".", true, 5, "1000", -1, "\u20AC#,##0"},
    {"exponent", u"1e5", ",", false, 0, "", 0, ""},
    {"plus sign", u"+5", ".", false, 0, "", 0, ""},
    {"trailing minus", u"5-", ",", false, 0, "", 0, ""},
    // A percentage's value is the number times 0.01 with six decimals at most, trailing zeros dropped.
    {"tiny percent", u"0.00001%", ",", true, 9, "0", 10, ""},
    {"percent rounded to six decimals", u"12.3456789%", ",", true, 9, "0.123457", 10, ""},
    {"percent whose product is inexact", u"57%", ",", true, 9, "0.57", 9, ""},
    {"percent with three decimals", u"12.345%", ",", true, 9, "0.12345", 10, ""},
    {"hundred percent", u"100%", ",", true, 9, "1", 9, ""},
    // Parentheses round a number make it negative, with a format that shows it so.
    {"accounting negative", u"(123)", ",", true, 0, "-123", -1, "0_);(0)"},
    {"accounting negative with decimals", u"(1234.50)", ",", true, 0, "-1234.50", -1, "0.00_);(0.00)"},
    {"accounting thousands", u"(1,234.56)", ",", true, 2, "-1234.56", -1, "#,##0.00_);(#,##0.00)"},
    {"accounting currency", u"($5.00)", ",", true, 4, "-5.00", -1, "$#,##0.00_);($#,##0.00)"},
    {"accounting percent", u"(12%)", ",", true, 9, "-0.12", -1, "0%_);(0%)"},
    {"accounting zero has no sign", u"(0)", ",", true, 0, "0", -1, "0_);(0)"},
    {"parentheses inside", u"1(2)3", ",", false, 0, "", 0, ""},
    {"signed number in parentheses", u"(-5)", ",", false, 0, "", 0, ""},
    {"double parentheses", u"((5))", ",", false, 0, "", 0, ""},
    {"unclosed parenthesis", u"(5", ",", false, 0, "", 0, ""},
    {"empty parentheses", u"()", ",", false, 0, "", 0, ""},
    // Leading zeros mark a code, not a quantity.
    {"leading zeros", u"00123", ",", false, 0, "", 0, ""},
    {"negative with a leading zero", u"-0123", ",", false, 0, "", 0, ""},
    {"thousands with a leading zero", u"0,123", ",", false, 0, "", 0, ""},
    {"percent with a leading zero", u"05%", ",", false, 0, "", 0, ""},
    {"zero", u"0", ",", true, 0, "0", 0, ""},
    {"zero point five", u"0.5", ",", true, 0, "0.5", 0, ""},
    {"zero comma five", u"0,5", ".", true, 1, "0.5", 0, ""},
    // More than 15 significant digits do not survive a cell.
    {"fifteen digits", u"123456789012345", ",", true, 0, "123456789012345", 0, ""},
    {"sixteen digits", u"1234567890123456", ",", false, 0, "", 0, ""},
    {"sixteen digits in groups", u"1,234,567,890,123,456", ",", false, 0, "", 0, ""},
    {"sixteen digits with decimals", u"1234567890.123456", ",", false, 0, "", 0, ""},
    {"leading fraction zeros are not significant", u"0.000000000000000001", ",", true, 0, "0.000000000000000001", 0,
     ""},
    {"trailing fraction zeros are not significant", u"1.5000000000000000", ",", true, 0, "1.5000000000000000", 0, ""},
    // Only ASCII digits are digits.
    {"full-width digits", u"\uFF11\uFF12\uFF13", ",", false, 0, "", 0, ""},
    {"Arabic-Indic digits", u"\u0661\u0662\u0663", ",", false, 0, "", 0, ""},
    {"full-width digits after a symbol", u"$\uFF11,\uFF12\uFF13\uFF14", ",", false, 0, "", 0, ""},
    {"full-width percent digits", u"\uFF11\uFF12%", ",", false, 0, "", 0, ""},
};

void checkCases() {
    for (const NumberCase& c : kCases) {
        SCOPED_TRACE(c.what);
        KXExcelNumber n(c.text, c.grouping);
        EXPECT_EQ(n.isNumber(), c.isNumber);
        if (!c.isNumber) {
            EXPECT_FALSE(n.readNumber());
            continue;
        }
        EXPECT_EQ(n.type(), c.type);
        EXPECT_EQ(n.readNumber().value_or("<none>"), c.value);
        EXPECT_EQ(n.numID(), c.numID);
        if (c.numID == -1)
            EXPECT_EQ(n.formatCode().value_or("<none>"), c.code);
        else
            EXPECT_FALSE(n.formatCode()) << *n.formatCode();
    }
}

}  // namespace

TEST(KXExcelNumber, Recognition) { checkCases(); }

// Texts are read and values written the same way whatever the process locale says.
TEST(KXExcelNumber, RecognitionUnderAGermanLocale) {
    kx::test::ScopedLocale german("de_DE.UTF-8");
    if (!german.ok()) GTEST_SKIP() << "de_DE.UTF-8 is not installed";
    checkCases();
}

TEST(KXExcelNumber, ConventionComesFromTheSpreadsheetState) {
    KXExcelOptions dots;
    dots.setThousandSepartor(1);
    kx::test::freshManager(dots);
    EXPECT_EQ(KXExcelNumber(u"1.234,5").readNumber().value_or(""), "1234.5");
    kx::test::freshManager(KXExcelOptions());
    EXPECT_EQ(KXExcelNumber(u"1,234.5").readNumber().value_or(""), "1234.5");
    EXPECT_FALSE(KXExcelNumber(u"1.234,5").isNumber());
}

TEST(KXExcelNumber, TypeTables) {
    const char16_t* thousands[] = {u",", u",", u",", u".", u",", u".", u",", u".", u",", u","};
    const char16_t* decimals[] = {u".", u",", u".", u",", u".", u",", u".", u",", u",", u"."};
    for (std::uint64_t t = 0; t < 10; ++t) {
        EXPECT_EQ(KXExcelNumber::getThousandSepartor(t), thousands[t]) << t;
        EXPECT_EQ(KXExcelNumber::getDecimalSepartor(t), decimals[t]) << t;
    }
}
