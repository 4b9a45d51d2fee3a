#pragma once
// Floating pictures written as the document part writes them: inside an element that binds the
// prefixes of the document's root ("w", "v", "r", "o", "w10"), without line breaks.

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "docx/model/KXDocxCounters.h"
#include "docx/model/KXDocxVMLShapeTypes.h"
#include "ooxml/KXOpenXMLNameSpace.h"
#include "ooxml/XMLFileWriter.h"
#include "platform/FileSystem.h"
#include "platform/Image.h"
#include "support/TestSupport.h"
#include "util/KXWriteCGImageToURL.h"

namespace kx::test {

// A PNG of one colour (a soft mask where the three are equal) in the test's folder.
inline std::string solidPNG(const std::string& name, int width, int height, std::array<std::uint8_t, 3> rgb) {
    auto image = kx::Image::make(width, height, kx::PixelFormat::RGB8);
    for (size_t i = 0; i < image->pixels.size(); i += 3)
        for (size_t c = 0; c < 3; ++c) image->pixels[i + c] = rgb[c];
    const std::string path = kx::pathJoin(tempDir(), name);
    EXPECT_TRUE(KXWriteCGImageToURL(image, path, kx::ImageFileType::PNG, 72, 72, 1.0f));
    return path;
}

// A new document part: the shape counters and the shape types defined start again.
inline void beginVMLDocument() {
    KXDocxCounters::sharedInstance().begainWriteDocument();
    KXDocxVMLShapeTypes::sharedInstance().begainWriteDocument();
}

// What `body` writes, without the binding root element.
inline std::string vmlFragment(const std::function<void(XMLFileWriter&)>& body) {
    auto writer = XMLFileWriter::initInMemory();
    writer->setLineBreak("");
    writer->setIndentation("");
    using NS = KXOpenXMLNameSpace;
    writer->setPrefix("w", NS::nameSpace_w());
    writer->setPrefix("v", NS::nameSpace_v());
    writer->setPrefix("r", NS::nameSpace_r());
    writer->setPrefix("o", NS::nameSpace_o());
    writer->setPrefix("w10", NS::nameSpace_w10());
    writer->writeStartElement("root");
    writer->writeCharacters("");
    body(*writer);
    writer->writeEndDocument();
    std::string out = writer->toString().value_or("");
    const size_t open = out.find('>');
    const size_t close = out.rfind("</root>");
    if (open == std::string::npos || close == std::string::npos || close < open) return out;
    return out.substr(open + 1, close - open - 1);
}

// Every value of the attribute `name="..."` in the text, in order.
inline std::vector<std::string> attributeValues(const std::string& xml, const std::string& name) {
    std::vector<std::string> values;
    const std::string key = " " + name + "=\"";
    for (size_t at = xml.find(key); at != std::string::npos; at = xml.find(key, at + 1)) {
        const size_t begin = at + key.size();
        values.push_back(xml.substr(begin, xml.find('"', begin) - begin));
    }
    return values;
}

// The number of times `needle` occurs in the text.
inline size_t occurrences(const std::string& text, const std::string& needle) {
    size_t n = 0;
    for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + needle.size())) ++n;
    return n;
}

}  // namespace kx::test
