#pragma once
// The text a reader finds in an output of any format, as lines: plain text and the CSV tables as
// they stand; HTML and RTF with their markup undone; the XML parts of a package (document, slide,
// sheets and shared strings) with every tag dropped and the end of a paragraph, cell or row made a
// line break.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "flowtext/FlowOutputText.h"
#include "platform/FileSystem.h"
#include "platform/Unicode.h"
#include "support/TestSupport.h"

namespace kx::test {

// Tags become nothing, the ends of paragraphs, cells and table rows a line break, a tab a blank.
inline std::string textOfMarkup(const std::string& xml) {
    std::string out;
    for (size_t i = 0; i < xml.size();) {
        if (xml[i] != '<') {
            out += xml[i++];
            continue;
        }
        const size_t end = std::min(xml.find('>', i), xml.size() - 1);
        const std::string tag = xml.substr(i, end - i + 1);
        for (const char* ends : {"</w:p>", "</w:tc>", "</a:p>", "</si>", "</is>", "</c>", "</p>", "<br"})
            if (tag.rfind(ends, 0) == 0) out += '\n';
        if (tag.rfind("<w:tab/", 0) == 0) out += ' ';
        i = end + 1;
    }
    return out;
}

// The lines of text a reader of the output finds, each with its blanks collapsed.
inline std::vector<std::string> linesOfOutput(const std::string& type, const std::string& path) {
    std::string text;
    if (type == "txt") {
        text = kx::readFile(path).value_or("");
    } else if (type == "csv") {
        // A folder of tables, one file each.
        std::vector<std::string> files;
        for (const auto& entry : std::filesystem::directory_iterator(path)) files.push_back(entry.path().string());
        std::sort(files.begin(), files.end());
        for (const std::string& file : files) {
            // UTF-16, little-endian after its byte-order mark; cells apart by tabs.
            const std::string bytes = kx::readFile(file).value_or("");
            std::u16string units;
            for (size_t i = 2; i + 1 < bytes.size(); i += 2)
                units.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                                      static_cast<unsigned char>(bytes[i + 1]) << 8));
            text += kx::utf16ToUtf8(units) + "\n";
        }
    } else if (type == "html") {
        text = flowtest::textOfHTML(kx::readFile(path).value_or(""));
    } else if (type == "rtf") {
        text = flowtest::textOfRTF(kx::readFile(path).value_or(""));
    } else {
        const char* parts = type == "docx" ? "word/document.xml" : type == "pptx" ? "ppt/slides/slide1.xml" : "'xl/*.xml'";
        std::string xml;
        EXPECT_EQ(runCommand("unzip -p '" + path + "' " + parts, &xml), 0) << type;
        text = textOfMarkup(xml);
    }
    std::vector<std::string> lines;
    std::string line;
    auto flush = [&] {
        if (!line.empty()) lines.push_back(line);
        line.clear();
    };
    bool blank = false;
    for (char c : text) {
        if (c == '\n' || c == '\r') {
            flush();
            blank = false;
        } else if (c == ' ' || c == '\t') {
            blank = !line.empty();
        } else {
            if (blank) line += ' ';
            blank = false;
            line += c;
        }
    }
    flush();
    return lines;
}

}  // namespace kx::test
