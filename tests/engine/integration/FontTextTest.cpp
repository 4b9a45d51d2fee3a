// What the fonts of a page say of its text, through every output format: the characters of glyph
// names with a variant suffix.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/EngineHarness.h"
#include "engine/integration/OutputText.h"
#include "exporters/ExporterTable.h"
#include "platform/FileSystem.h"
#include "support/PDFBuilder.h"
#include "support/TestSupport.h"

namespace {

const char* const kFormats[] = {"txt", "html", "rtf", "docx", "xlsx", "csv", "pptx"};

// The output of every page of `pdf` in the format; empty when the conversion failed.
std::string convert(const std::string& pdf, const std::string& name, const std::string& type) {
    kx::installExporters();
    const std::string in = kx::test::writeTemp(name + ".pdf", pdf);
    const std::string out = kx::pathJoin(kx::test::tempDir(), name + "." + type);
    const auto run = kx::test::runConversion(in, kx::test::everyPage(in), type, out);
    EXPECT_TRUE(run.ended) << name << " " << type;
    EXPECT_FALSE(run.error()) << name << " " << type << ": " << (run.error() ? run.error()->failureReason : "");
    return run.ended && !run.error() ? out : std::string();
}

std::string joined(const std::vector<std::string>& lines) {
    std::string all;
    for (const std::string& line : lines) all += line + "\n";
    return all;
}

// Every phrase stands in some line of the output (a line, a paragraph or a cell may hold more).
void expectPhrases(const std::string& type, const std::vector<std::string>& lines,
                   const std::vector<std::string>& phrases) {
    for (const std::string& phrase : phrases) {
        const bool found = std::any_of(lines.begin(), lines.end(),
                                       [&](const std::string& line) { return line.find(phrase) != std::string::npos; });
        EXPECT_TRUE(found) << type << ": no line holds \"" << phrase << "\" in\n" << joined(lines);
    }
}

std::string ref(int n) { return std::to_string(n) + " 0 R"; }

}  // namespace

// Old-style figures, tabular figures, small capitals and ligatures are glyphs named by suffixes
// ("one.os", "zero.tf", "a.sc", "f_f_i.liga"); their names were written as text: "Version
// one.os.one.os" for "Version 1.1".
TEST(FontText, EveryFormatWritesVariantGlyphNamesAsTheirCharacters) {
    kx::test::PDFBuilder b;
    std::string widths;
    for (int code = 32; code <= 131; ++code) widths += code == 32 ? "278 " : code >= 128 ? "833 " : "556 ";
    const int font = b.add("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding << /BaseEncoding "
                           "/WinAnsiEncoding /Differences [ 48 /zero.tf /one.os /two.os /three.os 97 /a.sc "
                           "128 /f_f_i.liga /T_h /uni00660069 /orn.ss01 ] >> /FirstChar 32 /LastChar 131 /Widths [" +
                           widths + "] >>");
    b.addPage("BT /F1 12 Tf 72 700 Td (Version 1.1 of 2023) Tj ET "
              "BT /F1 12 Tf 72 680 Td (\\201e o\\200ce \\202nds a tree\\203) Tj ET",
              "<< /Font << /F1 " + ref(font) + " >> >>");
    const std::string pdf = b.build();
    for (const std::string type : kFormats) {
        const std::string out = convert(pdf, "variants", type);
        if (out.empty()) continue;
        const std::vector<std::string> lines = kx::test::linesOfOutput(type, out);
        expectPhrases(type, lines, {"Version 1.1 of 2023", "The office finds a tree"});
        for (const char* name : {".os", ".tf", ".sc", "liga", "uni", "orn", "ss01"})
            EXPECT_EQ(joined(lines).find(name), std::string::npos) << type << ": " << name << " in\n" << joined(lines);
    }
}
