#pragma once
// What a reader sees in each flow-text format: a document converted to plain text, HTML and RTF
// with the exporters themselves, and each output taken back to its lines of text (tags, control
// words and escapes undone), so that one expectation checks all three formats.

#include <gtest/gtest.h>

#include <cctype>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "FlowTestRuns.h"
#include "flowtext/KXHTMLPDFExporter.h"
#include "flowtext/KXRTFPDFExporter.h"
#include "flowtext/KXTextPDFExporter.h"
#include "platform/FileSystem.h"
#include "platform/Unicode.h"
#include "platform/pdf/PDFDocument.h"
#include "support/TestSupport.h"

namespace flowtest {

enum class Format { Text, HTML, RTF };

inline const char* nameOf(Format f) { return f == Format::Text ? "txt" : f == Format::HTML ? "html" : "rtf"; }

inline constexpr Format kAllFormats[] = {Format::Text, Format::HTML, Format::RTF};

// The output file of every page of `pdf` in the format.
template <class Exporter>
std::string convertWith(const std::string& pdf, const char* extension) {
    kx::ScopedTemporaryRoot root;
    auto document = kx::PDFDocument::openFromMemory(pdf);
    EXPECT_TRUE(document);
    if (!document) return {};
    const std::string out = tempPath(std::string("out.") + extension);
    Exporter exporter;
    exporter.setMoreOptions(std::make_shared<KXPDFOptions>());
    exporter.setNumberOfPagesToConvert(static_cast<std::uint64_t>(document->pageCount()));
    exporter.begainConvertPDF(out, document);
    for (int i = 1; i <= document->pageCount(); ++i) EXPECT_TRUE(exporter.convertPDFPage(*document->page(i)));
    exporter.endConvertPDF(document);
    EXPECT_FALSE(exporter.exportError());
    return kx::readFile(out).value_or("");
}

// The text of an HTML body: a paragraph or a line break ends a line; entities are undone.
inline std::string textOfHTML(const std::string& html) {
    std::string body = html.substr(std::min(html.size(), html.find("<body>")));
    std::string out;
    for (size_t i = 0; i < body.size();) {
        if (body[i] == '<') {
            const size_t end = body.find('>', i);
            const std::string tag = body.substr(i, end - i);
            if (tag == "</p" || tag.rfind("<br", 0) == 0) out += '\n';
            i = end == std::string::npos ? body.size() : end + 1;
        } else if (body[i] == '&') {
            const size_t end = body.find(';', i);
            const std::string entity = body.substr(i + 1, end - i - 1);
            if (entity == "amp") out += '&';
            else if (entity == "lt") out += '<';
            else if (entity == "gt") out += '>';
            else if (entity == "quot") out += '"';
            else if (entity == "nbsp") out += ' ';
            else if (entity.size() > 1 && entity[0] == '#') {
                std::u16string c;
                const bool hex = entity[1] == 'x' || entity[1] == 'X';
                kx::appendUtf16(c, static_cast<char32_t>(std::stoul(entity.substr(hex ? 2 : 1), nullptr, hex ? 16 : 10)));
                out += kx::utf16ToUtf8(c);
            }
            i = end + 1;
        } else if (body[i] == '\n') {
            ++i;
        } else {
            out += body[i++];
        }
    }
    return out;
}

// The text of an RTF document's body: \par ends a line, \uN? stands for its character (the
// fallback after it is skipped), other control words and the header groups are no text.
inline std::string textOfRTF(const std::string& rtf) {
    // The body follows the information group.
    size_t i = rtf.find("{\\info");
    i = i == std::string::npos ? 0 : rtf.find("\n}\n", i) + 3;
    std::u16string out;
    while (i < rtf.size()) {
        const char c = rtf[i];
        if (c == '\\' && i + 1 < rtf.size()) {
            const char n = rtf[i + 1];
            if (n == '\\' || n == '{' || n == '}') {
                out += static_cast<char16_t>(n);
                i += 2;
            } else if (n == '\'') {
                out += static_cast<char16_t>(std::stoi(rtf.substr(i + 2, 2), nullptr, 16));
                i += 4;
            } else {
                size_t j = i + 1;
                while (j < rtf.size() && std::isalpha(static_cast<unsigned char>(rtf[j]))) ++j;
                const std::string word = rtf.substr(i + 1, j - i - 1);
                size_t k = j;
                if (k < rtf.size() && (rtf[k] == '-' || std::isdigit(static_cast<unsigned char>(rtf[k])))) ++k;
                while (k < rtf.size() && std::isdigit(static_cast<unsigned char>(rtf[k]))) ++k;
                const std::string number = rtf.substr(j, k - j);
                if (k < rtf.size() && rtf[k] == ' ') ++k;
                if (word == "par" || word == "line") out += u'\n';
                if (word == "tab") out += u'\t';
                if (word == "u") {
                    out += static_cast<char16_t>(std::stoi(number) & 0xFFFF);
                    // The fallback: one character or one \'xx.
                    if (k < rtf.size() && rtf[k] == '\\' && k + 1 < rtf.size() && rtf[k + 1] == '\'') k += 4;
                    else if (k < rtf.size()) ++k;
                }
                i = k;
            }
        } else if (c == '{' || c == '}' || c == '\n' || c == '\r') {
            ++i;
        } else {
            out += static_cast<char16_t>(static_cast<unsigned char>(c));
            ++i;
        }
    }
    return kx::utf16ToUtf8(out);
}

// The document as a reader of the format sees it: its lines of text, blank lines left out.
inline std::vector<std::string> linesIn(Format format, const std::string& pdf) {
    std::string text;
    switch (format) {
        case Format::Text: text = convertWith<KXTextPDFExporter>(pdf, "txt"); break;
        case Format::HTML: text = textOfHTML(convertWith<KXHTMLPDFExporter>(pdf, "html")); break;
        case Format::RTF: text = textOfRTF(convertWith<KXRTFPDFExporter>(pdf, "rtf")); break;
    }
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        const size_t first = line.find_first_not_of(" \t\r");
        if (first == std::string::npos) continue;
        lines.push_back(line.substr(first, line.find_last_not_of(" \t\r") - first + 1));
    }
    return lines;
}

// The words of those lines in order, split at blanks.
inline std::vector<std::string> wordsIn(Format format, const std::string& pdf) {
    std::vector<std::string> words;
    for (const std::string& line : linesIn(format, pdf)) {
        std::istringstream in(line);
        for (std::string w; in >> w;) words.push_back(w);
    }
    return words;
}

inline std::string joined(const std::vector<std::string>& parts, const char* separator = "|") {
    std::string out;
    for (size_t i = 0; i < parts.size(); ++i) out += (i ? separator : "") + parts[i];
    return out;
}

}  // namespace flowtest
