// Word and character segmentation, character classes and regular expressions.

#include <gtest/gtest.h>

#include "platform/Regex.h"
#include "platform/TextBreaks.h"

using namespace kx;

TEST(TextBreaks, WordsAndComposedCharacters) {
    EXPECT_EQ(wordsOf(u"Hello, world! 3.5 times"), (std::vector<std::u16string>{u"Hello", u"world", u"3.5", u"times"}));
    EXPECT_EQ(wordsOf(u"  \t "), std::vector<std::u16string>{});
    EXPECT_EQ(wordsOf(u""), std::vector<std::u16string>{});
    EXPECT_EQ(wordsOf(u"don't stop"), (std::vector<std::u16string>{u"don't", u"stop"}));
    // e + combining acute, a flag of two regional indicators, and a surrogate pair stay whole.
    EXPECT_EQ(composedCharactersOf(u"e\u0301x\U0001F1EB\U0001F1F7\U0001F600"),
              (std::vector<std::u16string>{u"e\u0301", u"x", u"\U0001F1EB\U0001F1F7", u"\U0001F600"}));
    EXPECT_EQ(composedCharactersOf(u"\u4E2D\u6587"), (std::vector<std::u16string>{u"\u4E2D", u"\u6587"}));
}

TEST(TextBreaks, CharacterClasses) {
    for (char32_t c : {U' ', U'\t', U'\n', U'\r', U'\v', U'\f', U'\u0085', U'\u00A0', U'\u2003', U'\u2028', U'\u3000'})
        EXPECT_TRUE(isWhitespaceOrNewline(c)) << std::hex << static_cast<unsigned>(c);
    for (char32_t c : {U'a', U'0', U'\u200B', U'-'}) EXPECT_FALSE(isWhitespaceOrNewline(c)) << std::hex << unsigned(c);
    for (char32_t c : {U'\0', U'\x07', U'\x7F', U'\u200B', U'\uFEFF', U'\u00AD'})
        EXPECT_TRUE(isControlCharacter(c)) << std::hex << static_cast<unsigned>(c);
    for (char32_t c : {U'a', U' ', U'\u4E2D'}) EXPECT_FALSE(isControlCharacter(c)) << std::hex << unsigned(c);
}

TEST(Regex, MatchesWholeTexts) {
    Regex number(u"-?\\d+(\\.\\d+)?");
    EXPECT_TRUE(number.valid());
    EXPECT_TRUE(number.matchesWhole(u"-12.5"));
    EXPECT_FALSE(number.matchesWhole(u"12.5 kg"));
    EXPECT_FALSE(number.matchesWhole(u""));
    Regex broken(u"(unclosed");
    EXPECT_FALSE(broken.valid());
    EXPECT_FALSE(broken.matchesWhole(u"(unclosed"));
}
