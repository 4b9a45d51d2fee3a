// The three flow-text file writers: the cap on repeated line breaks, escaping, and failures.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "flowtext/KXHTMLFileWriter.h"
#include "flowtext/KXRTFFileWriter.h"
#include "flowtext/KXTextFileWriter.h"
#include "platform/FileSystem.h"
#include "support/TestSupport.h"

namespace {

template <class Writer>
std::string writeAndRead(const std::string& name, const std::function<void(Writer&)>& body) {
    std::string path = kx::pathJoin(kx::test::tempDir(), name);
    auto writer = Writer::initWithPath(path);
    EXPECT_TRUE(writer);
    if (!writer) return {};
    body(*writer);
    EXPECT_TRUE(writer->closeFile());
    return kx::readFile(path).value_or("<unreadable>");
}

std::string repeat(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

}  // namespace

TEST(FlowFileWriters, RepeatedLineBreaksAndIndentationsAreCappedAtFive) {
    // HTML: six breaks write five; text resets the count; breaks and indentations count together;
    // an empty string leaves the count alone.
    EXPECT_EQ(writeAndRead<KXHTMLFileWriter>("cap1.html",
                                             [](KXHTMLFileWriter& w) {
                                                 for (int i = 0; i < 6; ++i) w.writeLinebreak();
                                                 w.writeContent(u"x");
                                                 for (int i = 0; i < 6; ++i) w.writeLinebreak();
                                             }),
              repeat("<br>", 5) + "x" + repeat("<br>", 5));
    EXPECT_EQ(writeAndRead<KXHTMLFileWriter>("cap2.html",
                                             [](KXHTMLFileWriter& w) {
                                                 for (int i = 0; i < 3; ++i) w.writeLinebreak();
                                                 for (int i = 0; i < 3; ++i) w.writeIndentation();
                                                 w.write("");
                                                 w.writeLinebreak();
                                             }),
              repeat("<br>", 3) + repeat("   ", 2));
    // A run text of exactly the indentation counts as one.
    EXPECT_EQ(writeAndRead<KXHTMLFileWriter>("cap3.html",
                                             [](KXHTMLFileWriter& w) {
                                                 for (int i = 0; i < 5; ++i) w.writeLinebreak();
                                                 w.writeContent(u"   ");
                                                 w.writeContent(u" ");
                                             }),
              repeat("<br>", 5) + " ");
    // RTF: the escaped line break is not the bare LF, so it is never capped; indentations are.
    EXPECT_EQ(writeAndRead<KXRTFFileWriter>("cap.rtf",
                                            [](KXRTFFileWriter& w) {
                                                for (int i = 0; i < 7; ++i) w.writeLinebreak();
                                                for (int i = 0; i < 7; ++i) w.writeIndentation();
                                            }),
              repeat("\\\n", 7) + repeat("    ", 5));
    EXPECT_EQ(writeAndRead<KXTextFileWriter>("cap.txt",
                                             [](KXTextFileWriter& w) {
                                                 w.write(u"a\tb");
                                                 for (int i = 0; i < 4; ++i) w.writeLinebreak();
                                                 for (int i = 0; i < 4; ++i) w.writeIndentation();
                                             }),
              "a\tb" + repeat("\n", 4) + "    ");
}

TEST(FlowFileWriters, HtmlEscapingKeepsMarkupOutOfText) {
    struct Case {
        const char* name;
        std::u16string text;
        std::string html;
    } cases[] = {
        {"markup", u"a<b & \"c\">", "a&lt;b &amp; &quot;c&quot;&gt;"},
        {"tab is a blank", u"a\tb", "a b"},
        {"line ends", u"a\nb\rc\r\nd", "a<br>b<br>c<br>d"},
        {"control characters dropped", u"a\x01\x1f\x7f\x85z", "az"},
        {"non-ASCII and non-BMP kept", u"\u00e9\u4e2d\U0001F600", "\u00e9\u4e2d\U0001F600"},
        {"lone surrogate", std::u16string(u"a") + char16_t(0xD800) + u"b", "a\uFFFDb"},
        {"empty", u"", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(KXHTMLFileWriter::_formatTextOfString(c.text), c.html) << c.name;
}

TEST(FlowFileWriters, RtfEscapingWritesSignedUnicodeWithFallbacks) {
    struct Case {
        const char* name;
        std::u16string text;
        std::string rtf;
    } cases[] = {
        {"reserved ASCII", u"{a\\b}", "\\{a\\\\b\\}"},
        {"Latin-1 falls back to its code-page byte", u"\u00e9", "\\u233\\'e9"},
        {"Windows-1252 upper half", u"\u20ac\u2019", "\\u8364\\'80\\u8217\\'92"},
        {"CJK falls back to a question mark", u"\u4e2d", "\\u20013?"},
        {"values above 32767 are negative", u"\u9ad8\uffff", "\\u-25896?\\u-1?"},
        {"non-BMP as a surrogate pair", u"\U0001F600", "\\u-10179?\\u-8704?"},
        {"lone surrogate", std::u16string(1, char16_t(0xDC00)), "\\u-3?"},
        {"tab", u"a\tb", "a\\tab b"},
        {"line ends", u"a\nb\r\nc", "a\\\nb\\\nc"},
        {"control characters dropped", u"a\x01\x7f\x85" "b", "ab"},
    };
    for (const Case& c : cases) EXPECT_EQ(KXRTFFileWriter::_formatTextOfString(c.text), c.rtf) << c.name;
    // In the font table a semicolon would end the entry and a line end does not belong.
    EXPECT_EQ(KXRTFFileWriter::formatFontName("A;B}\n\u00c9"), "A\\'3bB\\}\\u201\\'c9");
    EXPECT_TRUE(KXRTFFileWriter::_reservedSetHasMember(u'{'));
    EXPECT_FALSE(KXRTFFileWriter::_reservedSetHasMember(u'~'));
}

TEST(FlowFileWriters, FilesAreCreatedEmptyAndFailuresAreSeen) {
    std::string path = kx::test::writeTemp("existing.txt", "old contents that must go");
    auto writer = KXTextFileWriter::initWithPath(path);
    ASSERT_TRUE(writer);
    writer->write(u"new");
    EXPECT_TRUE(writer->closeFile());
    EXPECT_EQ(kx::readFile(path), "new");

    EXPECT_EQ(KXTextFileWriter::initWithPath(kx::pathJoin(kx::test::tempDir(), "no/such/folder/x.txt")), nullptr);
    EXPECT_EQ(KXHTMLFileWriter::initWithPath(kx::test::tempDir()), nullptr);

    // A device that takes no data: the failure shows when the buffered bytes reach it.
    if (kx::fileExists("/dev/full")) {
        auto full = KXRTFFileWriter::initWithPath("/dev/full");
        ASSERT_TRUE(full);
        full->write(std::string(100000, 'x'));
        EXPECT_FALSE(full->closeFile());
        EXPECT_TRUE(full->hasFailed());
    }
}
