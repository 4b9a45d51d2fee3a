// Damaged content streams and damaged documents run through the interpreter: every run ends, and
// the state stack the caller handed in is left usable.

#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <string>

#include "pdf/interpreter/InterpreterTestSupport.h"
#include "pdf/interpreter/KXPDFConentParser.h"
#include "support/ICCFixtures.h"

using namespace kx;
using kx::test::PDFBuilder;

namespace {

// A page that exercises most operators: forms (one drawing itself), graphics states with a soft
// mask, colour spaces of every family, an inline image, marked content and text.
struct Sample {
    std::string pdf;
    std::string content;
};

Sample makeSample() {
    PDFBuilder b;
    int form = b.reserve();
    std::string formContent = "q 1 0 0 rg 0 0 5 5 re f /Self Do Q 0 0 m 3 3 l S";
    b.set(form, "<< /Type /XObject /Subtype /Form /BBox [0 0 10 10] /Matrix [1 0 0 1 2 2] /Resources << /XObject "
                "<< /Self " + std::to_string(form) + " 0 R >> >> /Length " + std::to_string(formContent.size()) +
                    " >>\nstream\n" + formContent + "\nendstream");
    int mask = b.addStream("/Type /XObject /Subtype /Form /BBox [0 0 10 10] /Group << /S /Transparency >>",
                           "0 g 0 0 10 10 re f /GS0 gs");
    int icc = b.addStream("/N 3", kx::test::iccRGBProfile(1.0));
    int font = b.add("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>");
    int image = b.addStream("/Type /XObject /Subtype /Image /Width 2 /Height 2 /ColorSpace /DeviceGray "
                            "/BitsPerComponent 8",
                            std::string("\x00\x40\x80\xFF", 4));
    Sample s;
    s.content =
        "q 1 0 0 1 10 10 cm /GS0 gs /CS0 cs 0.2 0.4 0.6 scn 0 0 100 50 re f Q\n"
        "q /CS1 CS 50 10 -20 SC 2 w [3 1] 0 d 0 0 m 100 100 l 50 0 50 100 50 50 c S Q\n"
        "/Pattern cs /P0 scn 10 10 20 20 re W n 0 0 30 30 re B* /Fm0 Do /Sh0 sh\n"
        "/OC /MC0 BDC /Span << /ActualText (x) >> BDC EMC EMC /GS1 gs\n"
        "BT /F1 12 Tf 10 20 Td (Hello) Tj [(a) -250 (b)] TJ T* (x) ' 1 2 (y) \" ET\n"
        "q /CS2 cs 1 0 0 sc 0 0 m 10 0 l 10 10 l h b Q q 20 0 0 20 5 5 cm /Im0 Do Q\n"
        "BI /W 2 /H 2 /CS /G /BPC 8 ID \x10\x20\x30\x40 EI\n"
        "0.5 0.5 0.5 0 k 1 J 1 j 4 M 0.5 i /RelativeColorimetric ri 10 10 m 20 20 v 30 30 y s\n";
    std::string resources = "<< /Font << /F1 " + std::to_string(font) + " 0 R >> /XObject << /Fm0 " +
                            std::to_string(form) + " 0 R /Im0 " + std::to_string(image) + " 0 R >> /ExtGState << /GS0 << /ca 0.5 /BM [/Multiply] /SMask << /S /Luminosity /G " +
                            std::to_string(mask) +
                            " 0 R >> >> /GS1 << /LW 3 /D [[2 2] 0] >> >> /ColorSpace << /CS0 [/ICCBased " +
                            std::to_string(icc) +
                            " 0 R] /CS1 [/Lab << /WhitePoint [0.95 1 1.09] >>] /CS2 [/CalRGB << /Gamma [2 2 2] >>] >> "
                            "/Properties << /MC0 << /PropertiesType 1 >> >> >>";
    b.addPage(s.content, resources);
    s.pdf = b.build();
    return s;
}

// Damages text the ways files get damaged: flipped bytes, cuts, inserted tokens, repeated runs.
std::string damage(std::string s, std::mt19937& rng) {
    static const char* const kTokens[] = {"q", "Q", "Q Q Q", "cm", "re", "W", "n", "f", "BT", "ET", "Tj",
                                          "Do", "/Fm0 Do", "/GS0 gs", "BI", "ID", "EI", "[", "]", "<<", ">>",
                                          "(", ")", "<", ">", "/", "%", "1e309", "-99999999999", "0", "1", "/CS0 cs",
                                          "scn", "BDC", "EMC", "sh", "{", "}", "\0", "\xFF\xFE"};
    std::uniform_int_distribution<int> kind(0, 4);
    int edits = 1 + static_cast<int>(rng() % 6);
    for (int e = 0; e < edits && !s.empty(); ++e) {
        size_t at = rng() % s.size();
        switch (kind(rng)) {
            case 0: s[at] = static_cast<char>(rng() & 0xFF); break;
            case 1: s.resize(at); break;
            case 2: s.insert(at, std::string(" ") + kTokens[rng() % std::size(kTokens)] + " "); break;
            case 3: {
                size_t len = std::min<size_t>(s.size() - at, 1 + rng() % 40);
                std::string run = s.substr(at, len);
                for (int r = static_cast<int>(rng() % 4); r >= 0; --r) s.insert(at, run);
                break;
            }
            default: s.erase(at, std::min<size_t>(s.size() - at, 1 + rng() % 10)); break;
        }
    }
    return s;
}

void runPage(const PDFPage& page, const PDFContentStream& content, kx::test::RecordingDelegate& recorder) {
    auto stack = std::make_shared<KXPDFRenderStateStack>();
    KXPDFConentParser parser(page.dictionary(), content);
    parser.setDelegate(&recorder);
    parser.setRenderingStateStack(stack);
    parser.startParser();
    ASSERT_GE(stack->depth(), 1u);
    stack->topRenderingState();
}

}  // namespace

TEST(KXPDFConentParserFuzz, DamagedContentStreamsEndCleanly) {
    Sample sample = makeSample();
    auto doc = PDFDocument::openFromMemory(sample.pdf);
    ASSERT_TRUE(doc);
    auto page = doc->page(1);
    ASSERT_TRUE(page);
    {
        kx::test::RecordingDelegate recorder;
        runPage(*page, PDFContentStream::forPage(*page), recorder);
        EXPECT_GE(recorder.paths.size(), 6u);  // the undamaged page paints, shows text and draws an image
        EXPECT_GE(recorder.texts.size(), 5u);
        EXPECT_GE(recorder.images, 1u);
    }
    std::mt19937 rng(20261209);
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < 300; ++i) {
        std::string damaged = damage(sample.content, rng);
        kx::test::RecordingDelegate recorder;
        runPage(*page, PDFContentStream::forBytes(doc->session(), damaged, page->resources()), recorder);
    }
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    EXPECT_LT(ms.count(), 20000);
}

TEST(KXPDFConentParserFuzz, DamagedDocumentsEndCleanly) {
    Sample sample = makeSample();
    std::mt19937 rng(9122026);
    int opened = 0;
    for (int i = 0; i < 120; ++i) {
        std::string damaged = damage(sample.pdf, rng);
        auto doc = PDFDocument::openFromMemory(damaged);
        if (!doc) continue;
        for (int n = 1; n <= std::min(doc->pageCount(), 2); ++n) {
            auto page = doc->page(n);
            if (!page) continue;
            ++opened;
            kx::test::RecordingDelegate recorder;
            runPage(*page, PDFContentStream::forPage(*page), recorder);
        }
    }
    EXPECT_GT(opened, 0);
}
