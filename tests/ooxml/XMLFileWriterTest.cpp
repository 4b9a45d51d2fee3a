// The streaming XML writer: declaration, layout, namespace bindings, escaping, misuse and the file.

#include <gtest/gtest.h>

#include <functional>

#include "ooxml/KXOpenXMLNameSpace.h"
#include "ooxml/XMLFileWriter.h"
#include "platform/FileSystem.h"
#include "support/TestSupport.h"

namespace {

const std::string W(KXOpenXMLNameSpace::nameSpace_w());
const std::string R(KXOpenXMLNameSpace::nameSpace_r());

std::string tempPath(const std::string& name) { return kx::pathJoin(kx::test::tempDir(), name); }

// Runs the body on a writer over a fresh file and returns what the file holds afterwards. The body
// also runs on a writer in memory, which must give the same bytes.
std::string written(const std::function<void(XMLFileWriter&)>& body) {
    static int counter = 0;
    std::string path = tempPath("writer-" + std::to_string(++counter) + ".xml");
    auto writer = XMLFileWriter::initWithPath(path);
    EXPECT_TRUE(writer);
    if (!writer) return {};
    body(*writer);
    writer->closeFile();
    std::string inFile = kx::readFile(path).value_or("<unreadable>");

    auto memory = XMLFileWriter::initInMemory();
    body(*memory);
    memory->closeFile();
    EXPECT_EQ(memory->toString(), inFile) << "the writer in memory differs from the file";
    return inFile;
}

// The reason of the XMLWriterException that the call throws ("" when it throws none).
std::string misuse(const std::function<void(XMLFileWriter&)>& body) {
    XMLFileWriter writer;  // no file needed to see the exceptions
    try {
        body(writer);
    } catch (const XMLWriterException& e) {
        EXPECT_EQ(XMLWriterException::name(), "XMLWriterException");
        return e.reason();
    }
    return "";
}

}  // namespace

TEST(XMLFileWriter, DeclarationOnceAtTheStart) {
    EXPECT_EQ(written([](XMLFileWriter& w) { w.writeStartDocumentWithEncodingAndVersion("UTF-8", "1.0", "yes"); }),
              "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\" ?>");
    EXPECT_EQ(written([](XMLFileWriter& w) { w.writeStartDocument(); }), "<?xml version=\"1.0\" ?>");
    EXPECT_EQ(written([](XMLFileWriter& w) { w.writeStartDocumentWithEncodingAndVersion("UTF-8", "1.1"); }),
              "<?xml version=\"1.1\" encoding=\"UTF-8\" ?>");

    std::string path = tempPath("declared-twice.xml");
    auto writer = XMLFileWriter::initWithPath(path);
    ASSERT_TRUE(writer);
    writer->writeStartDocumentWithEncodingAndVersion("UTF-8", "1.0", "yes");
    EXPECT_EQ(writer->encoding(), "UTF-8");
    try {
        writer->writeStartDocument();
        FAIL() << "a second declaration must throw";
    } catch (const XMLWriterException& e) {
        EXPECT_EQ(e.reason(), "Document has already been started");
    }
    // Anything written counts, not only a declaration.
    EXPECT_EQ(misuse([](XMLFileWriter& w) {
                  w.writeStartElement("a");
                  w.writeStartDocument();
              }),
              "Document has already been started");
}

TEST(XMLFileWriter, LayoutOfNestedElements) {
    struct Case {
        const char* what;
        std::function<void(XMLFileWriter&)> body;
        const char* want;
    };
    const Case cases[] = {
        {"an element with no content closes as an empty-element tag",
         [](XMLFileWriter& w) {
             w.writeStartElement("a");
             w.writeEndElement();
         },
         "\n<a/>"},
        {"the named end closes the start tag and ends on the same line",
         [](XMLFileWriter& w) {
             w.writeStartElement("a");
             w.writeEndElement("a");
         },
         "\n<a></a>"},
        {"the end tag follows text directly",
         [](XMLFileWriter& w) {
             w.writeStartElement("t");
             w.writeCharacters("1 < 2");
             w.writeEndElement();
         },
         "\n<t>1 &lt; 2</t>"},
        {"after a child the end tag goes on a new line, one level less indented",
         [](XMLFileWriter& w) {
             w.writeStartElement("a");
             w.writeStartElement("b");
             w.writeStartElement("c");
             w.writeAttribute("k", "v");
             w.writeEndElement();
             w.writeEmptyElement("d");
             w.writeEndElement();
             w.writeEndElement();
         },
         "\n<a>\n\t<b>\n\t\t<c k=\"v\"/>\n\t\t<d/>\n\t</b>\n</a>"},
        {"without automatic empty elements a start and end tag pair is written",
         [](XMLFileWriter& w) {
             w.setAutomaticEmptyElements(false);
             w.writeStartElement("a");
             w.writeEndElement();
         },
         "\n<a></a>"},
        {"layout strings can be changed",
         [](XMLFileWriter& w) {
             w.setIndentation("  ");
             w.setLineBreak("\r\n");
             w.writeStartElement("a");
             w.writeStartElement("b");
             w.writeEndElement();
             w.writeEndElement();
         },
         "\r\n<a>\r\n  <b/>\r\n</a>"},
        {"comments, processing instructions and CDATA are written as given",
         [](XMLFileWriter& w) {
             w.writeStartElement("a");
             w.writeComment(" x & y ");
             w.writeProcessingInstruction("pi", "a<b");
             w.writeCData("<&>");
             w.writeEndElement();
         },
         "\n<a><!-- x & y --><?pi a<b?><![CDATA[<&>]]></a>"},
        {"raw markup closes the open start tag and goes in as given",
         [](XMLFileWriter& w) {
             w.writeStartElement("a");
             w.writeAttribute("k", "v");
             w.writeRaw("<b x=\"1\"/><b>&amp;</b>");
             w.writeEndElement();
         },
         "\n<a k=\"v\"><b x=\"1\"/><b>&amp;</b></a>"},
        {"the end of the document closes every open element",
         [](XMLFileWriter& w) {
             w.writeStartElement("a");
             w.writeStartElement("b");
             w.writeStartElement("c");
             w.writeEndDocument();
             w.writeStartElement("after");  // the file is closed: goes nowhere
         },
         "\n<a>\n\t<b>\n\t\t<c/>\n\t</b>\n</a>"},
    };
    for (const Case& c : cases) EXPECT_EQ(written(c.body), c.want) << c.what;
}

TEST(XMLFileWriter, ElementsThatHoldOneThing) {
    struct Case {
        const char* what;
        std::function<void(XMLFileWriter&)> body;
        std::string want;
    };
    const Case cases[] = {
        {"attributes in no namespace, in the order given, on an empty-element tag",
         [](XMLFileWriter& w) {
             w.setPrefix("w", W);
             w.writeStartElementWithNamespace(W, "r");
             w.writeEmptyElementWithAttributes(W, "sz", {{"b", "2"}, {"a", std::string("1 & 1")}});
             w.writeEndElement();
         },
         "\n<w:r xmlns:w=\"" + W + "\">\n\t<w:sz b=\"2\" a=\"1 &amp; 1\"/>\n</w:r>"},
        {"no attributes and no namespace", [](XMLFileWriter& w) { w.writeEmptyElementWithAttributes({}, "br", {}); },
         "\n<br/>"},
        {"text, escaped, ends on its line", [](XMLFileWriter& w) { w.writeDataElement({}, "Company", "A < B"); },
         "\n<Company>A &lt; B</Company>"},
        {"empty text still gives an end tag", [](XMLFileWriter& w) { w.writeDataElement({}, "Company", ""); },
         "\n<Company></Company>"},
        {"the val attribute takes the element's namespace",
         [](XMLFileWriter& w) {
             w.setPrefix("w", W);
             w.writeValElement(W, "jc", "left");
         },
         "\n<w:jc xmlns:w=\"" + W + "\" w:val=\"left\"/>"},
        {"a val element in no namespace", [](XMLFileWriter& w) { w.writeValElement({}, "b", "1"); },
         "\n<b val=\"1\"/>"},
    };
    for (const Case& c : cases) EXPECT_EQ(written(c.body), c.want) << c.what;
}

TEST(XMLFileWriter, PrefixBindingsAreDeclaredOnTheNextStartElementAndEndWithIt) {
    std::string out = written([](XMLFileWriter& w) {
        w.writeStartDocumentWithEncodingAndVersion("UTF-8", "1.0", "yes");
        w.setPrefix("w", W);
        w.setPrefix("r", R);
        w.writeStartElementWithNamespace(W, "document");
        w.writeAttributeWithNamespace("http://www.w3.org/XML/1998/namespace", "space", "preserve");
        EXPECT_EQ(w.getPrefix(W), "w");
        EXPECT_EQ(w.getNamespaceURI("r"), R);
        w.setDefaultNamespace("urn:inner");
        w.writeStartElementWithNamespace("urn:inner", "inner");
        w.writeAttributeWithNamespace(R, "id", "rId1");
        w.writeAttributeWithNamespace("urn:inner", "plain", "1");  // default namespace: no prefix
        w.writeEndElementWithNamespace("urn:inner", "inner");
        EXPECT_FALSE(w.getPrefix("urn:inner").has_value());  // ended with its element
        w.writeEmptyElementWithNamespace(W, "body");
        w.writeEndElement();
        EXPECT_FALSE(w.getPrefix(W).has_value());
    });
    EXPECT_EQ(out,
              "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\" ?>"
              "\n<w:document xmlns:w=\"" + W + "\" xmlns:r=\"" + R + "\" xml:space=\"preserve\">"
              "\n\t<inner xmlns=\"urn:inner\" r:id=\"rId1\" plain=\"1\"></inner>"
              "\n\t<w:body/>"
              "\n</w:document>");

    // writeNamespace declares on the open start tag, for that element only.
    EXPECT_EQ(written([](XMLFileWriter& w) {
                  w.writeStartElement("a");
                  w.writeNamespace("x", "urn:x");
                  w.writeStartElementWithNamespace("urn:x", "b");
                  w.writeEndElement();
                  w.writeEndElement();
                  EXPECT_FALSE(w.getPrefix("urn:x").has_value());
              }),
              "\n<a xmlns:x=\"urn:x\">\n\t<x:b/>\n</a>");

    // A URI may be bound again once its first binding has ended.
    EXPECT_EQ(written([](XMLFileWriter& w) {
                  w.writeStartElement("root");
                  w.setPrefix("p", "urn:p");
                  w.writeStartElementWithNamespace("urn:p", "one");
                  w.writeEndElement();
                  w.setPrefix("q", "urn:p");
                  w.writeStartElementWithNamespace("urn:p", "two");
                  w.writeEndElement();
                  w.writeEndElement();
              }),
              "\n<root>\n\t<p:one xmlns:p=\"urn:p\"/>\n\t<q:two xmlns:q=\"urn:p\"/>\n</root>");
}

TEST(XMLFileWriter, MisuseThrowsWithItsReason) {
    struct Case {
        std::function<void(XMLFileWriter&)> body;
        const char* reason;
    };
    const Case cases[] = {
        {[](XMLFileWriter& w) { w.writeAttribute("a", "b"); }, "No open start element"},
        {[](XMLFileWriter& w) {
             w.writeStartElement("a");
             w.writeCharacters("text");
             w.writeAttribute("k", "v");
         },
         "No open start element"},
        {[](XMLFileWriter& w) {
             w.writeStartElement("a");
             w.writeEmptyElement("b");
             w.writeAttribute("k", "v");  // an empty element takes no attributes
         },
         "No open start element"},
        {[](XMLFileWriter& w) { w.writeNamespace("x", "urn:x"); }, "No open start element"},
        {[](XMLFileWriter& w) { w.setPrefix("x", std::nullopt); }, "Namespace cannot be NULL"},
        {[](XMLFileWriter& w) { w.setPrefix(std::nullopt, "urn:x"); }, "Prefix cannot be NULL"},
        {[](XMLFileWriter& w) {
             w.setPrefix("a", "urn:x");
             w.setPrefix("b", "urn:x");
         },
         "Name namespace urn:x has already been set"},
        {[](XMLFileWriter& w) {
             w.setPrefix("w", W);
             w.writeStartElementWithNamespace(W, "document");
             w.setPrefix("w2", W);  // still in scope
         },
         "Name namespace http://schemas.openxmlformats.org/wordprocessingml/2006/main has already been set"},
        {[](XMLFileWriter& w) {
             w.setPrefix("a", "urn:x");
             w.setPrefix("a", "urn:y");
         },
         "Prefix a has already been set"},
        {[](XMLFileWriter& w) { w.setPrefix("xml", "urn:y"); }, "Prefix xml has already been set"},
        {[](XMLFileWriter& w) {
             w.setDefaultNamespace("urn:x");
             w.setDefaultNamespace("urn:y");
         },
         "Default namespace has already been set"},
        {[](XMLFileWriter& w) { w.writeStartElementWithNamespace("urn:none", "a"); },
         "Unknown namespace URI urn:none"},
        {[](XMLFileWriter& w) { w.writeEmptyElementWithNamespace("urn:none", "a"); },
         "Unknown namespace URI urn:none"},
        {[](XMLFileWriter& w) {
             w.writeStartElement("a");
             w.writeAttributeWithNamespace("urn:none", "k", "v");
         },
         "Unknown namespace URI urn:none"},
        {[](XMLFileWriter& w) {
             w.writeStartElement("a");
             w.writeEndElementWithNamespace("urn:none", "a");
         },
         "Unknown namespace URI urn:none"},
        {[](XMLFileWriter& w) { w.writeEndElement(); }, "Cannot write more end elements than start elements."},
        {[](XMLFileWriter& w) {
             w.writeStartElement("a");
             w.writeEndElement("a");
             w.writeEndElement("a");
         },
         "Cannot write more end elements than start elements."},
        {[](XMLFileWriter& w) {
             w.writeStartElement("a");
             w.writeEndElement();
         },
         ""},
    };
    for (const Case& c : cases) EXPECT_EQ(misuse(c.body), c.reason);
}

TEST(XMLFileWriter, EscapingOfTextAndAttributeValues) {
    struct Case {
        const char* what;
        std::u16string input;
        const char* text;       // as element content
        const char* attribute;  // as an attribute value
    };
    const Case cases[] = {
        {"markup characters", u"a<b>&\"c'", "a&lt;b&gt;&amp;&quot;c'", "a&lt;b&gt;&amp;&quot;c'"},
        {"tab, line feed and carriage return", u"a\tb\nc\rd", "a\tb\nc\rd", "a&#9;b&#10;c&#13;d"},
        {"other C0 controls are dropped", u"a\x01\x08\x0B\x0C\x1F" u"b", "ab", "ab"},
        {"a surrogate pair becomes one four-byte character", u"x\U0001F600y", "x\xF0\x9F\x98\x80y",
         "x\xF0\x9F\x98\x80y"},
        {"lone surrogates are dropped", std::u16string(u"a") + char16_t(0xD83D) + u"b" + char16_t(0xDE00) + u"c",
         "abc", "abc"},
        {"U+FFFE and U+FFFF are dropped, U+FFFD stays", u"a\uFFFE\uFFFF\uFFFD", "a\xEF\xBF\xBD", "a\xEF\xBF\xBD"},
        {"other characters pass", u"\u00E9\u4E2D\uE000", "\xC3\xA9\xE4\xB8\xAD\xEE\x80\x80",
         "\xC3\xA9\xE4\xB8\xAD\xEE\x80\x80"},
        {"empty", u"", "", ""},
    };
    for (const Case& c : cases) {
        std::string utf16Text = written([&](XMLFileWriter& w) {
            w.writeStartElement("t");
            w.writeAttribute("v", std::u16string_view(c.input));
            w.writeCharacters(std::u16string_view(c.input));
            w.writeEndElement();
        });
        std::string want = std::string("\n<t v=\"") + c.attribute + "\">" + c.text + "</t>";
        if (c.input.empty()) want = "\n<t v=\"\"></t>";
        EXPECT_EQ(utf16Text, want) << c.what << " (UTF-16)";
    }
    // UTF-8 input follows the same rules; invalid bytes become U+FFFD.
    struct Utf8Case {
        std::string input;
        const char* text;
        const char* attribute;
    };
    const Utf8Case utf8Cases[] = {
        {"a<b\t&\"", "a&lt;b\t&amp;&quot;", "a&lt;b&#9;&amp;&quot;"},
        {"\x01x\xF0\x9F\x98\x80\xEF\xBF\xBE", "x\xF0\x9F\x98\x80", "x\xF0\x9F\x98\x80"},
        {"ok\xFF", "ok\xEF\xBF\xBD", "ok\xEF\xBF\xBD"},
    };
    for (const Utf8Case& c : utf8Cases) {
        std::string out = written([&](XMLFileWriter& w) {
            w.writeStartElement("t");
            w.writeAttribute("v", std::string_view(c.input));
            w.writeCharacters(std::string_view(c.input));
            w.writeEndElement();
        });
        EXPECT_EQ(out, std::string("\n<t v=\"") + c.attribute + "\">" + c.text + "</t>") << c.input;
    }
}

TEST(XMLFileWriter, StreamsThroughItsBufferAndReportsTheFile) {
    // More than the buffer holds: the bytes are the same as when written piece by piece.
    std::string expected = "\n<list>";
    for (int i = 0; i < 20000; ++i)
        expected += "\n\t<item n=\"" + std::to_string(i) + "\">\xC3\xA9t\xC3\xA9 &amp; hiver</item>";
    expected += "\n</list>";
    std::string out = written([&](XMLFileWriter& w) {
        w.writeStartElement("list");
        for (int i = 0; i < 20000; ++i) {
            w.writeStartElement("item");
            w.writeAttribute("n", std::to_string(i));
            w.writeCharacters(u"\u00E9t\u00E9 & hiver");
            w.writeEndElement();
        }
        w.writeEndElement();
    });
    EXPECT_TRUE(out == expected) << "the streamed list differs";

    // toString flushes what is buffered; the file replaces what was at the path.
    std::string path = kx::test::writeTemp("replaced.xml", "old contents that are longer");
    auto w = XMLFileWriter::initWithPath(path);
    ASSERT_TRUE(w);
    EXPECT_EQ(w->xmlPath(), path);
    w->writeStartElement("a");
    EXPECT_EQ(w->level(), 1);
    EXPECT_EQ(w->toString(), "\n<a");
    auto data = w->toData();
    ASSERT_TRUE(data);
    EXPECT_EQ(data->size(), 3u);
    w->writeEndDocument();
    EXPECT_EQ(w->toString(), "\n<a/>");
    EXPECT_FALSE(w->hasWriteError());

    // A writer in memory answers its output at any time, and still after the end of the document.
    auto memory = XMLFileWriter::initInMemory();
    EXPECT_TRUE(memory->isInMemory());
    EXPECT_EQ(memory->xmlPath(), "");
    memory->writeStartElement("a");
    EXPECT_EQ(memory->toString(), "\n<a");
    memory->writeEndDocument();
    EXPECT_EQ(memory->toString(), "\n<a/>");
    EXPECT_EQ(memory->toData(), std::vector<std::uint8_t>({'\n', '<', 'a', '/', '>'}));
    EXPECT_FALSE(memory->hasWriteError());

    // A writer without a file has nothing to read back.
    XMLFileWriter detached;
    detached.writeStartElement("a");
    EXPECT_FALSE(detached.toString().has_value());
}

TEST(XMLFileWriter, FailuresOfTheFile) {
    EXPECT_EQ(XMLFileWriter::initWithPath(tempPath("no-such-folder/part.xml")), nullptr);
    EXPECT_EQ(XMLFileWriter::initWithPath(""), nullptr);
    if (kx::fileExists("/dev/full")) {
        // A full disk: the writes fail and the writer says so.
        auto w = XMLFileWriter::initWithPath("/dev/full");
        ASSERT_TRUE(w);
        w->writeStartElement("a");
        w->writeEndDocument();
        EXPECT_TRUE(w->hasWriteError());
    }
}

TEST(XMLFileWriter, FragmentsAreWrittenAgainByteForByte) {
    // Run properties keyed by their size, written through the fragment cache or built every time:
    // both give the same bytes, and the cache is used where nothing else differs.
    auto properties = [](XMLFileWriter& w, const std::string& size, bool cached, int& replays) {
        if (cached && w.writeFragment(size)) {
            ++replays;
            return;
        }
        XMLFileWriter::FragmentMark mark = w.beginFragment();
        w.writeStartElementWithNamespace(W, "rPr");
        w.writeStartElementWithNamespace(W, "sz");
        w.writeAttributeWithNamespace(W, "val", size);
        w.writeEndElement();
        w.writeEmptyElementWithNamespace(W, "noProof");
        w.writeEndElement();
        if (cached) w.endFragment(size, mark);
    };
    struct Case {
        const char* what;
        std::function<void(XMLFileWriter&, const std::function<void(XMLFileWriter&, const std::string&)>&)> body;
        int replays;
    };
    auto run = [](XMLFileWriter& w, const auto& props) {
        w.writeStartElementWithNamespace(W, "r");
        props(w, "24");
        w.writeStartElementWithNamespace(W, "t");
        w.writeCharacters("x");
        w.writeEndElement();
        w.writeEndElement();
    };
    const Case cases[] = {
        {"the same properties on runs side by side",
         [&](XMLFileWriter& w, const auto& props) {
             for (int i = 0; i < 3; ++i) run(w, props);
         },
         2},
        {"the same properties at another depth are built anew",
         [&](XMLFileWriter& w, const auto& props) {
             run(w, props);
             w.writeStartElementWithNamespace(W, "hyperlink");
             run(w, props);
             run(w, props);
             w.writeEndElement();
         },
         1},
        {"other properties are built anew, then both are found",
         [&](XMLFileWriter& w, const auto& props) {
             run(w, props);
             props(w, "20");
             run(w, props);
             props(w, "20");
         },
         2},
        {"a binding to declare, or a changed layout, builds them anew",
         [&](XMLFileWriter& w, const auto& props) {
             run(w, props);
             w.setPrefix("v", "urn:v");
             props(w, "24");
             run(w, props);
             w.setIndentation("  ");
             run(w, props);
         },
         0},
    };
    for (const Case& c : cases) {
        int replays = 0;
        auto body = [&](bool cached) {
            return [&, cached](XMLFileWriter& w) {
                w.setPrefix("w", W);
                w.writeStartElementWithNamespace(W, "p");
                c.body(w, [&](XMLFileWriter& writer, const std::string& size) { properties(writer, size, cached, replays); });
                w.writeEndElement();
            };
        };
        const std::string built = written(body(false));
        replays = 0;
        EXPECT_EQ(written(body(true)), built) << c.what;
        EXPECT_EQ(replays, 2 * c.replays) << c.what;  // written() runs the body twice: file and memory
    }
}
