// The writer's output read back by an XML parser: escaped values and characters outside the Basic
// Multilingual Plane survive the round trip.

#include <gtest/gtest.h>

#include "ooxml/KXOpenXMLNameSpace.h"
#include "ooxml/XMLFileWriter.h"
#include "platform/FileSystem.h"
#include "support/TestSupport.h"

namespace {

const std::string W(KXOpenXMLNameSpace::nameSpace_w());

std::string tempPath(const std::string& name) { return kx::pathJoin(kx::test::tempDir(), name); }

}  // namespace

TEST(XMLRoundTrip, OutputReadsBackThroughAnXMLParser) {
    if (!kx::test::haveCommand("python3")) GTEST_SKIP() << "python3 not installed";
    std::string path = tempPath("parsed.xml");
    auto w = XMLFileWriter::initWithPath(path);
    ASSERT_TRUE(w);
    const std::u16string value = u"tab\there\nnew line\r & <>\"' \U0001F600 \x01";
    w->writeStartDocumentWithEncodingAndVersion("UTF-8", "1.0", "yes");
    w->setPrefix("w", W);
    w->writeStartElementWithNamespace(W, "t");
    w->writeAttributeWithNamespace(W, "val", std::u16string_view(value));
    w->writeCharacters(u"text \U0001F600 & more");
    w->writeEndDocument();
    std::string script =
        "import sys, xml.etree.ElementTree as E\n"
        "t = E.parse(sys.argv[1]).getroot()\n"
        "v = t.get('{" + W + "}val')\n"
        "assert v == 'tab\\there\\nnew line\\r & <>\"\\' \\U0001F600 ', repr(v)\n"
        "assert t.text == 'text \\U0001F600 & more', repr(t.text)\n";
    std::string scriptPath = kx::test::writeTemp("parse.py", script);
    std::string output;
    EXPECT_EQ(kx::test::runCommand("python3 '" + scriptPath + "' '" + path + "'", &output), 0) << output;
}

