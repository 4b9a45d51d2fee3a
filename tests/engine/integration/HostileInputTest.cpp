// Damaged and hostile documents through the whole pipeline (interpreter with every resource kind,
// annotation pass, outlines, then the engine), each in a child process with a time and memory
// limit. A case passes when the child ends by itself, in time, within its memory, and the document
// comes out the way the case says: painted where the damage leaves something to paint, refused
// with an error where nothing is left to convert.
//
// The damages are a fixed table: seeded byte damage (flips, cuts, repeated and deleted ranges) in
// content streams, object streams and whole files, and hand-made hostile structures (cycles in
// every walk that can loop, huge sizes, deep nesting, huge content).

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "HostileRun.h"
#include "pdf/interpreter/KXPDFConentParser.h"
#include "platform/pdf/PDFDocument.h"
#include "support/CairoFixtures.h"
#include "support/ICCFixtures.h"
#include "support/ImageFixtures.h"
#include "support/PDFBuilder.h"
#include "support/TestSupport.h"
#include "platform/FileSystem.h"
#include "platform/FontCatalog.h"

using kx::test::PDFBuilder;

namespace {

#ifdef KX_TEST_UNDER_ASAN
constexpr double kTimeFactor = 4;
#else
constexpr double kTimeFactor = 1;
#endif

std::string ref(int n) { return std::to_string(n) + " 0 R"; }

// ---- The undamaged documents the byte damage starts from ----

// Small content streams and resources that use every kind of resource the interpreter reads.
struct RichParts {
    std::string content;
    std::string resources;
    std::string annots;
};

RichParts addRichResources(PDFBuilder& b, bool flate) {
    auto stream = [&](const std::string& dict, const std::string& data) {
        return flate ? b.addFlateStream(dict, data) : b.addStream(dict, data);
    };
    RichParts r;
    int helvetica = b.add("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>");
    int cmap = stream("/Type /CMap /CMapName /KXTest /CIDSystemInfo << /Registry (Adobe) /Ordering (Identity) "
                      "/Supplement 0 >>",
                      "/CIDInit /ProcSet findresource begin 12 dict begin begincmap /CMapName /KXTest def\n"
                      "1 begincodespacerange <0000> <FFFF> endcodespacerange\n"
                      "1 begincidrange <0000> <00FF> 0 endcidrange\n"
                      "endcmap CMapName currentdict /CMap defineresource pop end end\n");
    int toUnicode = stream("", "/CIDInit /ProcSet findresource begin 12 dict begin begincmap\n"
                               "1 begincodespacerange <0000> <FFFF> endcodespacerange\n"
                               "1 beginbfrange <0000> <00FF> <0000> endbfrange\n"
                               "1 beginbfchar <0100> <D835DC00> endbfchar\n"
                               "endcmap CMapName currentdict /CMap defineresource pop end end\n");
    int cidFont = b.add("<< /Type /Font /Subtype /CIDFontType2 /BaseFont /KXTest /CIDSystemInfo << /Registry (Adobe) "
                        "/Ordering (Identity) /Supplement 0 >> /FontDescriptor << /Type /FontDescriptor /FontName "
                        "/KXTest /Flags 32 /FontBBox [0 -200 1000 900] /ItalicAngle 0 /Ascent 900 /Descent -200 "
                        "/CapHeight 700 /StemV 80 >> /DW 1000 /W [1 [500 600] 10 20 700] >>");
    int type0 = b.add("<< /Type /Font /Subtype /Type0 /BaseFont /KXTest /Encoding " + ref(cmap) +
                      " /DescendantFonts [" + ref(cidFont) + "] /ToUnicode " + ref(toUnicode) + " >>");
    int glyph = stream("", "1000 0 0 0 1000 1000 d1 0 0 1000 1000 re f");
    int type3 = b.add("<< /Type /Font /Subtype /Type3 /FontMatrix [0.001 0 0 0.001 0 0] /FontBBox [0 0 1000 1000] "
                      "/CharProcs << /square " + ref(glyph) + " >> /Encoding << /Differences [97 /square] >> "
                      "/FirstChar 97 /LastChar 97 /Widths [1000] /Resources << >> >>");

    std::string rgb;
    for (int i = 0; i < 16; ++i) rgb += {static_cast<char>(i * 16), static_cast<char>(255 - i * 16), '\x40'};
    int smask = stream("/Type /XObject /Subtype /Image /Width 4 /Height 4 /ColorSpace /DeviceGray /BitsPerComponent 8",
                       std::string(16, '\x80'));
    int image = stream("/Type /XObject /Subtype /Image /Width 4 /Height 4 /ColorSpace /DeviceRGB /BitsPerComponent 8 "
                       "/SMask " + ref(smask), rgb);
    std::vector<std::uint8_t> gray(64);
    for (size_t i = 0; i < gray.size(); ++i) gray[i] = static_cast<std::uint8_t>(i * 4);
    int jpeg = b.addStream("/Type /XObject /Subtype /Image /Width 8 /Height 8 /ColorSpace /DeviceGray "
                           "/BitsPerComponent 8 /Filter /DCTDecode",
                           kx::test::encodeJPEG(gray, 8, 8, 1));
    int form = stream("/Type /XObject /Subtype /Form /BBox [0 0 100 100] /Matrix [1 0 0 1 10 10] /Resources << "
                      "/Font << /F1 " + ref(helvetica) + " >> /XObject << /Im1 " + ref(image) + " >> >>",
                      "BT /F1 10 Tf 0 0 Td (In a form) Tj ET q 20 0 0 20 0 20 cm /Im1 Do Q");

    int exp1 = b.add("<< /FunctionType 2 /Domain [0 1] /C0 [1 0 0] /C1 [0 0 1] /N 1 >>");
    int exp2 = b.add("<< /FunctionType 2 /Domain [0 1] /C0 [0 0 1] /C1 [0 1 0] /N 2 >>");
    int stitch = b.add("<< /FunctionType 3 /Domain [0 1] /Functions [" + ref(exp1) + " " + ref(exp2) +
                       "] /Bounds [0.5] /Encode [0 1 0 1] >>");
    int calc = stream("/FunctionType 4 /Domain [0 1] /Range [0 1 0 1 0 1]",
                      "{ dup 0.5 gt { 1 exch sub } if dup 0.3 mul exch 0.7 mul 1 }");
    std::string samples;
    for (int i = 0; i < 4; ++i) samples += {static_cast<char>(i * 80), static_cast<char>(255 - i * 80), '\x20'};
    int sampled = stream("/FunctionType 0 /Domain [0 1] /Range [0 1 0 1 0 1] /Size [4] /BitsPerSample 8", samples);
    int axial = b.add("<< /ShadingType 2 /ColorSpace /DeviceRGB /Coords [0 0 100 0] /Function " + ref(stitch) +
                      " /Extend [true true] >>");
    int radial = b.add("<< /ShadingType 3 /ColorSpace /DeviceRGB /Coords [50 50 0 50 50 50] /Function " + ref(calc) +
                       " >>");
    int sampledShading = b.add("<< /ShadingType 2 /ColorSpace /DeviceRGB /Coords [0 0 0 100] /Function " +
                               ref(sampled) + " /Background [1 1 1] >>");
    int cell = stream("/Type /Pattern /PatternType 1 /PaintType 1 /TilingType 1 /BBox [0 0 20 20] /XStep 20 "
                      "/YStep 20 /Resources << /XObject << /Im1 " + ref(image) + " >> >>",
                      "0 0 1 rg 0 0 10 10 re f q 10 0 0 10 10 10 cm /Im1 Do Q");
    int uncoloured = stream("/Type /Pattern /PatternType 1 /PaintType 2 /TilingType 1 /BBox [0 0 8 8] /XStep 8 "
                            "/YStep 8 /Resources << >>",
                            "0 0 4 4 re f");
    int shadingPattern = b.add("<< /Type /Pattern /PatternType 2 /Shading " + ref(axial) + " >>");
    int maskGroup = stream("/Type /XObject /Subtype /Form /BBox [0 0 100 100] /Group << /S /Transparency /CS "
                           "/DeviceGray >> /Resources << /Shading << /Sh0 " + ref(axial) + " >> >>",
                           "/Sh0 sh");
    int profile = b.add("[/Indexed /DeviceRGB 1 <FF000000FF00>]");

    int square = stream("/Type /XObject /Subtype /Form /BBox [0 0 40 20]", "1 0 0 RG 0 0 m 40 20 l S");
    int popup = b.reserve();
    int text = b.add("<< /Type /Annot /Subtype /Text /Rect [300 700 320 720] /Contents (Note) /Popup " + ref(popup) +
                     " /C [1 1 0] >>");
    b.set(popup, "<< /Type /Annot /Subtype /Popup /Rect [320 650 420 720] /Parent " + ref(text) + " >>");
    r.annots = "[" + ref(b.add("<< /Type /Annot /Subtype /Square /Rect [100 100 140 120] /AP << /N " + ref(square) +
                               " >> /C [0 0 1] /BS << /W 2 /D [3 1] /S /D >> >>")) +
               " " + ref(text) + " " + ref(popup) + " " +
               ref(b.add("<< /Type /Annot /Subtype /FreeText /Rect [100 400 300 440] /Contents (Free text) /DA "
                         "(/Helv 12 Tf 0 0 1 rg) /Q 1 >>")) +
               " " +
               ref(b.add("<< /Type /Annot /Subtype /Ink /Rect [0 0 200 200] /InkList [[10 10 50 60 90 10]] /C [1 0 "
                         "0] >>")) +
               " " +
               ref(b.add("<< /Type /Annot /Subtype /Line /Rect [0 0 200 200] /L [10 10 190 190] /LE [/OpenArrow "
                         "/Circle] /C [0 1 0] >>")) +
               " " +
               ref(b.add("<< /Type /Annot /Subtype /Highlight /Rect [72 690 200 712] /QuadPoints [72 712 200 712 72 "
                         "690 200 690] /C [1 1 0] >>")) +
               "]";

    r.resources = "<< /Font << /F1 " + ref(helvetica) + " /F2 " + ref(type0) + " /F3 " + ref(type3) +
                  " >> /XObject << /Im1 " + ref(image) + " /Im2 " + ref(jpeg) + " /Fm1 " + ref(form) +
                  " >> /Shading << /Sh1 " + ref(axial) + " /Sh2 " + ref(radial) + " /Sh3 " + ref(sampledShading) +
                  " >> /Pattern << /P1 " + ref(cell) + " /P2 " + ref(shadingPattern) + " /P3 " + ref(uncoloured) +
                  " >> /ExtGState << /GS1 << /ca 0.5 /SMask << /S /Luminosity /G " + ref(maskGroup) +
                  " >> >> >> /ColorSpace << /CS1 " + ref(profile) +
                  " /CS2 [/Separation /Spot /DeviceCMYK " + ref(calc) + "] /CS3 [/DeviceN [/A /B] /DeviceRGB " +
                  ref(stitch) + "] /CS4 [/Pattern /DeviceRGB] >> /Properties << /MC0 << /Title (Layer) >> >> >>";
    r.content =
        "q BT /F1 12 Tf 72 700 Td (Hello world) Tj [(Kern) -250 (ed)] TJ ET Q\n"
        "BT /F2 12 Tf 72 680 Td <004100420100> Tj ET\n"
        "BT /F3 12 Tf 72 660 Td (aaa) Tj ET\n"
        "q 100 0 0 100 72 500 cm /Im1 Do Q q 50 0 0 50 200 500 cm /Im2 Do Q\n"
        "q /Fm1 Do Q\n"
        "q 0 0 100 100 re W n /Sh1 sh Q q /Sh2 sh Q q 200 0 100 100 re W n /Sh3 sh Q\n"
        "q /Pattern cs /P1 scn 300 300 100 100 re f Q\n"
        "q /Pattern cs /P2 scn 300 100 100 100 re f Q\n"
        "q /CS4 cs 1 0 0 /P3 scn 400 100 50 50 re f Q\n"
        "q /GS1 gs 1 0 0 rg 10 10 50 50 re f Q\n"
        "/OC /MC0 BDC /CS1 cs 1 sc 0 0 10 10 re f /CS2 cs 0.5 sc 10 0 10 10 re f /CS3 cs 0.2 0.3 sc 20 0 10 10 re f "
        "EMC\n"
        "q 2 w [4 2] 0 d 1 J 1 j 0 0 m 100 50 l 150 0 200 100 250 50 c S Q\n"
        "BI /W 2 /H 2 /CS /G /BPC 8 ID \x10\x20\x30\x40 EI\n";
    return r;
}

// Outline and named destinations for the outline reader.
void addOutlines(PDFBuilder& b, int firstPage) {
    int outlines = b.reserve();
    int one = b.reserve(), two = b.reserve(), child = b.reserve();
    b.set(outlines, "<< /Type /Outlines /First " + ref(one) + " /Last " + ref(two) + " /Count 3 >>");
    b.set(one, "<< /Title (One) /Parent " + ref(outlines) + " /Next " + ref(two) + " /Dest [" + ref(firstPage) +
                   " /XYZ 0 792 0] /First " + ref(child) + " /Last " + ref(child) + " /Count 1 >>");
    b.set(child, "<< /Title (Named) /Parent " + ref(one) + " /Dest (chapter) >>");
    b.set(two, "<< /Title (Two) /Parent " + ref(outlines) + " /Prev " + ref(one) + " /A << /S /GoTo /D [" +
                   ref(firstPage) + " /Fit] >> >>");
    int leaf = b.add("<< /Limits [(a) (z)] /Names [(chapter) [" + ref(firstPage) + " /Fit]] >>");
    int dests = b.add("<< /Kids [" + ref(leaf) + "] >>");
    b.setCatalogExtra("/Outlines " + ref(outlines) + " /Names << /Dests " + ref(dests) + " >>");
}

std::string richDocument(bool flate, bool packed) {
    PDFBuilder b;
    RichParts parts = addRichResources(b, flate);
    int first = b.addPage(parts.content, parts.resources, "/MediaBox [0 0 612 792] /Annots " + parts.annots);
    b.addPage("BT /F1 14 Tf 72 720 Td (Second page) Tj ET 0 0 m 100 100 l S",
              "<< /Font << /F1 << /Type /Font /Subtype /Type1 /BaseFont /Times-Roman >> >> >>",
              "/MediaBox [0 0 612 792] /Rotate 90");
    addOutlines(b, first);
    b.setObjectStreams(packed);
    return b.build();
}

std::string cairoDocument() {
    // fontconfig is started through the font catalogue first, so that it shuts down after cairo's
    // caches at exit and the sanitizer's leak check stays clean.
    kx::FontCatalog::findFont("Liberation Sans");
    return kx::test::cairoTextPDF({{"Liberation Sans", false, false, 14, 72, 72, "Embedded TrueType text"},
                                   {"Liberation Serif", true, true, 12, 72, 120, "Bold italic ünïcödé"},
                                   {"Nimbus Sans", false, false, 12, 72, 160, "Type 1 text"}});
}

// ---- Seeded byte damage ----

// The byte range of the data of the n-th stream whose dictionary contains `marker` (the whole file
// when none matches).
std::pair<size_t, size_t> streamRange(const std::string& pdf, const std::string& marker, int nth = 0) {
    size_t at = 0;
    while ((at = pdf.find("stream\n", at)) != std::string::npos) {
        size_t dictStart = pdf.rfind(" obj", at);
        bool isEnd = at >= 3 && pdf.compare(at - 3, 3, "end") == 0;
        if (!isEnd && dictStart != std::string::npos && pdf.substr(dictStart, at - dictStart).find(marker) != std::string::npos) {
            size_t end = pdf.find("endstream", at);
            if (end != std::string::npos && nth-- == 0) return {at + 7, end};
        }
        at += 7;
    }
    return {0, pdf.size()};
}

using Damage = std::function<std::string(std::string, std::mt19937&)>;

Damage flipBytes(std::string marker, int count) {
    return [marker, count](std::string pdf, std::mt19937& rng) {
        auto [from, to] = marker.empty() ? std::pair<size_t, size_t>{0, pdf.size()} : streamRange(pdf, marker);
        for (int i = 0; i < count && to > from; ++i) pdf[from + rng() % (to - from)] ^= static_cast<char>(1 + rng() % 255);
        return pdf;
    };
}

Damage truncateAt(double fraction) {
    return [fraction](std::string pdf, std::mt19937&) {
        pdf.resize(static_cast<size_t>(static_cast<double>(pdf.size()) * fraction));
        return pdf;
    };
}

// Copies a range of the stream's data (repeated a few times) to another place in it, or removes
// one; the stream's /Length then no longer matches, as in files cut and pasted by broken tools.
Damage duplicateRange(std::string marker) {
    return [marker](std::string pdf, std::mt19937& rng) {
        auto [from, to] = streamRange(pdf, marker);
        if (to <= from + 2) return pdf;
        size_t start = from + rng() % (to - from - 1);
        size_t length = 1 + rng() % std::min<size_t>(200, to - start);
        std::string run = pdf.substr(start, length);
        size_t into = from + rng() % (to - from);
        for (int r = 0; r < 3; ++r) pdf.insert(into, run);
        return pdf;
    };
}

Damage deleteRange(std::string marker) {
    return [marker](std::string pdf, std::mt19937& rng) {
        auto [from, to] = streamRange(pdf, marker);
        if (to <= from + 2) return pdf;
        size_t start = from + rng() % (to - from - 1);
        pdf.erase(start, 1 + rng() % std::min<size_t>(120, to - start));
        return pdf;
    };
}

// ---- Hand-made hostile documents ----

std::string onePage(const std::string& content, const std::string& resources = "<< >>",
                    const std::function<void(PDFBuilder&)>& setup = {}, const std::string& extra = "") {
    PDFBuilder b;
    if (setup) setup(b);
    b.addPage(content, resources, "/MediaBox [0 0 612 792] " + extra);
    return b.build();
}

// Content that paints a marker path the case can look for, next to the hostile part.
const std::string kMarker = " 0 0 m 10 10 l S ";

std::string formCycle(int length) {
    PDFBuilder b;
    std::vector<int> forms;
    for (int i = 0; i < length; ++i) forms.push_back(b.reserve());
    for (int i = 0; i < length; ++i) {
        int next = forms[static_cast<size_t>((i + 1) % length)];
        std::string content = "0 0 m 5 5 l S /Next Do";
        b.set(forms[static_cast<size_t>(i)],
              "<< /Type /XObject /Subtype /Form /BBox [0 0 10 10] /Resources << /XObject << /Next " + ref(next) +
                  " >> >> /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "\nendstream");
    }
    b.addPage("/Fm Do" + kMarker, "<< /XObject << /Fm " + ref(forms[0]) + " >> >>");
    return b.build();
}

// Forms that each draw the next one `fanOut` times, `levels` deep: no cycle, but the work doubles
// with every level unless the runs are budgeted.
std::string formFanOut(int levels, int fanOut) {
    PDFBuilder b;
    int below = b.addStream("/Type /XObject /Subtype /Form /BBox [0 0 10 10]", "0 0 m 1 1 l S");
    for (int level = 0; level < levels; ++level) {
        std::string content;
        for (int i = 0; i < fanOut; ++i) content += "/N Do ";
        below = b.addStream("/Type /XObject /Subtype /Form /BBox [0 0 10 10] /Resources << /XObject << /N " +
                                ref(below) + " >> >>",
                            content);
    }
    b.addPage("/Fm Do" + kMarker, "<< /XObject << /Fm " + ref(below) + " >> >>");
    return b.build();
}

std::string patternCycle(bool throughSecond) {
    PDFBuilder b;
    int p1 = b.reserve(), p2 = b.reserve();
    auto pattern = [&](int self, int other) {
        std::string content = "0 0 5 5 re f /Pattern cs /Q scn 0 0 10 10 re f";
        b.set(self, "<< /Type /Pattern /PatternType 1 /PaintType 1 /TilingType 1 /BBox [0 0 10 10] /XStep 10 /YStep 10 "
                    "/Resources << /Pattern << /Q " + ref(other) + " >> >> /Length " +
                        std::to_string(content.size()) + " >>\nstream\n" + content + "\nendstream");
    };
    pattern(p1, throughSecond ? p2 : p1);
    pattern(p2, p1);
    b.addPage("/Pattern cs /P scn 0 0 100 100 re f" + kMarker, "<< /Pattern << /P " + ref(p1) + " >> >>");
    return b.build();
}

// A pattern in the resources of a form drawn many times: each run of the form must not render the
// cell (a large one) again and again.
std::string patternInRepeatedForm(int draws, int cellSide) {
    PDFBuilder b;
    std::string side = std::to_string(cellSide);
    int pattern = b.addStream("/Type /Pattern /PatternType 1 /PaintType 1 /TilingType 1 /BBox [0 0 " + side + " " +
                                  side + "] /XStep " + side + " /YStep " + side + " /Resources << >>",
                              "0 0 1 1 re f");
    int form = b.addStream("/Type /XObject /Subtype /Form /BBox [0 0 10 10] /Resources << /Pattern << /P " +
                               ref(pattern) + " >> >>",
                           "/Pattern cs /P scn 0 0 10 10 re f");
    std::string content;
    for (int i = 0; i < draws; ++i) content += "/Fm Do ";
    b.addPage(content + kMarker, "<< /XObject << /Fm " + ref(form) + " >> >>");
    return b.build();
}

std::string softMaskCycle() {
    PDFBuilder b;
    int gs = b.reserve();
    int group = b.reserve();
    std::string content = "/G gs 0 0 10 10 re f";
    b.set(group, "<< /Type /XObject /Subtype /Form /BBox [0 0 10 10] /Group << /S /Transparency >> /Resources << "
                 "/ExtGState << /G " + ref(gs) + " >> >> /Length " + std::to_string(content.size()) +
                     " >>\nstream\n" + content + "\nendstream");
    b.set(gs, "<< /Type /ExtGState /SMask << /S /Luminosity /G " + ref(group) + " >> >>");
    b.addPage("/G gs 0 0 100 100 re f" + kMarker, "<< /ExtGState << /G " + ref(gs) + " >> >>");
    return b.build();
}

std::string pageTree(const std::string& kind) {
    PDFBuilder b;
    int content = b.addStream("", "BT /F1 12 Tf 72 700 Td (Page) Tj ET" + kMarker);
    std::string font = "<< /Font << /F1 << /Type /Font /Subtype /Type1 /BaseFont /Helvetica >> >> >>";
    int root = b.reserve(), mid = b.reserve(), page = b.reserve(), page2 = b.reserve();
    if (kind == "ParentCycle") {
        // The page's parent chain loops and never reaches a node with resources or a media box.
        b.set(root, "<< /Type /Pages /Kids [" + ref(mid) + "] /Count 1 >>");
        b.set(mid, "<< /Type /Pages /Kids [" + ref(page) + "] /Count 1 /Parent " + ref(page) + " >>");
        b.set(page, "<< /Type /Page /Parent " + ref(mid) + " /Contents " + ref(content) + " >>");
    } else if (kind == "KidsCycle") {
        // A node lists its own ancestor among its kids, next to a real page.
        b.set(root, "<< /Type /Pages /Kids [" + ref(mid) + " " + ref(page2) + "] /Count 3 /MediaBox [0 0 612 792] "
                    "/Resources " + font + " >>");
        b.set(mid, "<< /Type /Pages /Kids [" + ref(page) + " " + ref(root) + " " + ref(mid) + "] /Count 2 /Parent " +
                       ref(root) + " >>");
        b.set(page, "<< /Type /Page /Parent " + ref(mid) + " /Contents " + ref(content) + " >>");
        b.set(page2, "<< /Type /Page /Parent " + ref(root) + " /Contents " + ref(content) + " >>");
    } else if (kind == "CountLies") {
        b.set(root, "<< /Type /Pages /Kids [" + ref(page) + "] /Count 2147483647 /MediaBox [0 0 612 792] /Resources " +
                        font + " >>");
        b.set(page, "<< /Type /Page /Parent " + ref(root) + " /Contents " + ref(content) + " >>");
        b.set(mid, "null");
        b.set(page2, "null");
    } else {  // "PageIsItsOwnParent"
        b.set(root, "<< /Type /Pages /Kids [" + ref(page) + "] /Count 1 >>");
        b.set(page, "<< /Type /Page /Parent " + ref(page) + " /Contents " + ref(content) + " /Resources " + font +
                        " /MediaBox [0 0 612 792] >>");
        b.set(mid, "null");
        b.set(page2, "null");
    }
    return b.buildWithRoot(b.add("<< /Type /Catalog /Pages " + ref(root) + " >>"));
}

std::string outlineCycle(const std::string& kind) {
    PDFBuilder b;
    int page = b.addPage("0 0 m 10 10 l S");
    int outlines = b.reserve(), one = b.reserve(), two = b.reserve(), child = b.reserve();
    std::string dest = " /Dest [" + ref(page) + " /Fit]";
    b.set(outlines, "<< /Type /Outlines /First " + ref(one) + " /Last " + ref(two) + " /Count 3 >>");
    if (kind == "NextLoop") {
        b.set(one, "<< /Title (One) /Parent " + ref(outlines) + " /Next " + ref(two) + dest + " >>");
        b.set(two, "<< /Title (Two) /Parent " + ref(outlines) + " /Next " + ref(one) + dest + " >>");
        b.set(child, "null");
    } else {  // "FirstPointsUp": a child's first child is the outline root's first item again
        b.set(one, "<< /Title (One) /Parent " + ref(outlines) + " /Next " + ref(two) + " /First " + ref(child) +
                       " /Last " + ref(child) + " /Count 1" + dest + " >>");
        b.set(child, "<< /Title (Child) /Parent " + ref(one) + " /First " + ref(one) + " /Last " + ref(outlines) +
                         " /Count 5" + dest + " >>");
        b.set(two, "<< /Title (Two) /Parent " + ref(outlines) + dest + " >>");
    }
    b.setCatalogExtra("/Outlines " + ref(outlines));
    return b.build();
}

std::string nameTreeCycle() {
    PDFBuilder b;
    int page = b.addPage("0 0 m 10 10 l S");
    int outlines = b.reserve(), item = b.reserve(), node = b.reserve(), other = b.reserve();
    b.set(outlines, "<< /Type /Outlines /First " + ref(item) + " /Last " + ref(item) + " /Count 1 >>");
    b.set(item, "<< /Title (Named) /Parent " + ref(outlines) + " /Dest (missing) >>");
    b.set(node, "<< /Kids [" + ref(other) + " " + ref(node) + "] >>");
    b.set(other, "<< /Limits [(a) (z)] /Kids [" + ref(node) + "] >>");
    (void)page;
    b.setCatalogExtra("/Outlines " + ref(outlines) + " /Names << /Dests " + ref(node) + " >> /Dests << /x [" +
                      ref(page) + " /Fit] >>");
    return b.build();
}

std::string annotPopupCycle() {
    PDFBuilder b;
    int a = b.reserve(), p = b.reserve();
    b.set(a, "<< /Type /Annot /Subtype /Text /Rect [10 10 30 30] /Popup " + ref(p) + " /IRT " + ref(a) +
                 " /Parent " + ref(p) + " >>");
    b.set(p, "<< /Type /Annot /Subtype /Popup /Rect [30 10 130 60] /Parent " + ref(a) + " /Popup " + ref(p) + " >>");
    int self = b.reserve();
    b.set(self, "<< /Type /Annot /Subtype /Popup /Rect [0 0 5 5] /Parent " + ref(self) + " /Popup " + ref(self) + " >>");
    b.addPage(kMarker, "<< >>", "/MediaBox [0 0 612 792] /Annots [" + ref(a) + " " + ref(p) + " " + ref(self) + "]");
    return b.build();
}

// Appearance streams that draw themselves, and an appearance dictionary that holds itself.
std::string annotAppearanceCycle() {
    PDFBuilder b;
    int ap = b.reserve(), apDict = b.reserve();
    std::string content = "0 0 m 10 10 l S /Me Do";
    b.set(ap, "<< /Type /XObject /Subtype /Form /BBox [0 0 20 20] /Resources << /XObject << /Me " + ref(ap) +
                  " >> >> /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "\nendstream");
    b.set(apDict, "<< /N << /On " + ref(ap) + " /Off " + ref(apDict) + " >> /D " + ref(apDict) + " >>");
    int widget = b.add("<< /Type /Annot /Subtype /Widget /Rect [10 10 30 30] /AS /On /AP " + ref(apDict) + " >>");
    int stamp = b.add("<< /Type /Annot /Subtype /Stamp /Rect [50 10 90 30] /AP << /N " + ref(ap) + " >> >>");
    b.addPage(kMarker, "<< >>", "/MediaBox [0 0 612 792] /Annots [" + ref(widget) + " " + ref(stamp) + "]");
    return b.build();
}

std::string colorSpaceCycle(const std::string& kind) {
    PDFBuilder b;
    std::string resources;
    if (kind == "IndexedNamesItself") {
        resources = "<< /ColorSpace << /C [/Indexed /C 1 <FF0000 00FF00>] >> >>";
    } else if (kind == "NamedChain") {
        resources = "<< /ColorSpace << /A [/Indexed /B 1 <FF0000 00FF00>] /B [/Pattern /A] >> >>";
    } else {  // "AlternateIsItself": an indirect Separation array whose alternate is the array
        int self = b.reserve();
        int fn = b.add("<< /FunctionType 2 /Domain [0 1] /C0 [0] /C1 [1] /N 1 >>");
        b.set(self, "[/Separation /Spot " + ref(self) + " " + ref(fn) + "]");
        resources = "<< /ColorSpace << /C " + ref(self) + " /D [/DeviceN [/X] " + ref(self) + " " + ref(fn) + "] >> >>";
    }
    std::string content = "/C cs 1 sc 0 0 10 10 re f /C CS 0.5 SC 0 0 m 5 5 l S";
    if (kind == "NamedChain") content = "/A cs 1 sc 0 0 10 10 re f /B cs 0 0 10 10 re f";
    if (kind == "AlternateIsItself") content += " /D cs 0.5 sc 0 0 10 10 re f";
    // An image in the same space exercises the image colour-space reader too.
    std::string image = "BI /W 1 /H 1 /CS /" + std::string(kind == "NamedChain" ? "A" : "C") +
                        " /BPC 8 ID \x01 EI ";
    b.addPage(content + " " + image + kMarker, resources);
    return b.build();
}

std::string functionCycle() {
    PDFBuilder b;
    int self = b.reserve();
    b.set(self, "<< /FunctionType 3 /Domain [0 1] /Functions [" + ref(self) + " " + ref(self) +
                    "] /Bounds [0.5] /Encode [0 1 0 1] >>");
    int shading = b.add("<< /ShadingType 2 /ColorSpace /DeviceRGB /Coords [0 0 100 0] /Function " + ref(self) + " >>");
    b.addPage("/Sh sh /CS cs 0.5 sc 0 0 10 10 re f" + kMarker,
              "<< /Shading << /Sh " + ref(shading) + " >> /ColorSpace << /CS [/Separation /X /DeviceRGB " + ref(self) +
                  "] >> >>");
    return b.build();
}

std::string postScriptFunction(const std::string& program) {
    PDFBuilder b;
    int fn = b.addStream("/FunctionType 4 /Domain [0 1] /Range [0 1 0 1 0 1]", program);
    int shading = b.add("<< /ShadingType 2 /ColorSpace /DeviceRGB /Coords [0 0 100 0] /Function " + ref(fn) + " >>");
    b.addPage("/Sh sh /CS cs 0.5 sc 0 0 10 10 re f" + kMarker,
              "<< /Shading << /Sh " + ref(shading) + " >> /ColorSpace << /CS [/Separation /X /DeviceRGB " + ref(fn) +
                  "] >> >>");
    return b.build();
}

std::string repeat(const std::string& s, int n) {
    std::string out;
    out.reserve(s.size() * static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

// A Type0 font whose embedded CMap and ToUnicode map name each other (and themselves) with usecmap.
std::string cmapLoop() {
    PDFBuilder b;
    std::string body = " begincmap 1 begincodespacerange <00> <FF> endcodespacerange 1 begincidrange <00> <FF> 0 "
                       "endcidrange endcmap";
    int cmap = b.addStream("/Type /CMap /CMapName /Loop /UseCMap /Loop",
                           "/Loop usecmap /Identity-H usecmap /Loop usecmap /UniJIS-UCS2-H usecmap" + body);
    int toUnicode = b.addStream("", "/Adobe-Japan1-UCS2 usecmap /Self usecmap /Self usecmap begincmap 1 "
                                    "begincodespacerange <00> <FF> endcodespacerange 1 beginbfrange <00> <FF> <0041> "
                                    "endbfrange endcmap");
    int cid = b.add("<< /Type /Font /Subtype /CIDFontType0 /BaseFont /Loop /CIDSystemInfo << /Registry (Adobe) "
                    "/Ordering (Japan1) /Supplement 6 >> /W [0 [500]] >>");
    int font = b.add("<< /Type /Font /Subtype /Type0 /BaseFont /Loop /Encoding " + ref(cmap) + " /DescendantFonts [" +
                     ref(cid) + "] /ToUnicode " + ref(toUnicode) + " >>");
    b.addPage("BT /F 12 Tf 72 700 Td <0102030405> Tj ET" + kMarker, "<< /Font << /F " + ref(font) + " >> >>");
    return b.build();
}

std::string hugeWidths(const std::string& kind) {
    std::string descendant;
    if (kind == "Range")
        descendant = "/W [0 4294967295 500 1 2147483647 [1 2 3] -5 -1 7]";
    else if (kind == "Entries")
        descendant = "/W [0 [" + repeat("500 ", 200000) + "] 0 [" + repeat("1 ", 100000) + "]] /W2 [0 4294967295 " +
                     "1000 500 880]";
    else  // "FirstChar"
        descendant = "";
    std::string font =
        kind == "FirstChar"
            ? "<< /Type /Font /Subtype /TrueType /BaseFont /Arial /FirstChar 2147483000 /LastChar 2147483647 "
              "/Widths [" + repeat("500 ", 5000) + "] >>"
            : "<< /Type /Font /Subtype /Type0 /BaseFont /Wide /Encoding /Identity-H /DescendantFonts [<< /Type /Font "
              "/Subtype /CIDFontType2 /BaseFont /Wide /CIDSystemInfo << /Registry (Adobe) /Ordering (Identity) "
              "/Supplement 0 >> " + descendant + " >>] >>";
    return onePage("BT /F 12 Tf 72 700 Td <0001FFFF7FFF> Tj (abc) Tj ET" + kMarker,
                   "<< /Font << /F " + font + " >> >>");
}

std::string hugeImage(const std::string& kind) {
    PDFBuilder b;
    std::string dict;
    std::string data(64, '\x7f');
    if (kind == "Dimensions")
        dict = "/Width 2147483647 /Height 2147483647 /ColorSpace /DeviceRGB /BitsPerComponent 8";
    else if (kind == "WithinIntButOverBudget")
        dict = "/Width 60000 /Height 60000 /ColorSpace /DeviceRGB /BitsPerComponent 16";
    else if (kind == "NegativeAndZero")
        dict = "/Width -5 /Height 0 /ColorSpace /DeviceRGB /BitsPerComponent 8";
    else if (kind == "OddBitsAndDecode")
        dict = "/Width 3 /Height 3 /ColorSpace [/Indexed /DeviceRGB 4294967295 <00>] /BitsPerComponent 7 /Decode [0 "
               "1e308 -1e308]";
    else  // "JPEGLies": JPEG data whose header claims a size far beyond the dictionary's
        dict = "/Width 8 /Height 8 /ColorSpace /DeviceGray /BitsPerComponent 8 /Filter /DCTDecode";
    if (kind == "JPEGLies") {
        std::vector<std::uint8_t> gray(64, 100);
        data = kx::test::encodeJPEG(gray, 8, 8, 1);
        // The frame header's height and width (after the SOF0 marker, length and precision).
        size_t sof = data.find("\xFF\xC0");
        if (sof != std::string::npos) data.replace(sof + 5, 4, "\xFF\xFF\xFF\xFF");
    }
    int image = b.addStream("/Type /XObject /Subtype /Image " + dict, data);
    int form = b.addStream("/Type /XObject /Subtype /Form /BBox [0 0 1e30 1e30] /Matrix [1e30 0 0 1e30 0 0]",
                           "0 0 m 1 1 l S");
    b.addPage("q 100 0 0 100 0 0 cm /Im Do Q /Fm Do BI /W 100000 /H 100000 /CS /RGB /BPC 8 ID \x01\x02\x03 EI" +
                  kMarker,
              "<< /XObject << /Im " + ref(image) + " /Fm " + ref(form) + " >> >>");
    return b.build();
}

std::string hugePatternCell() {
    PDFBuilder b;
    int image = b.addStream("/Type /XObject /Subtype /Image /Width 1 /Height 1 /ColorSpace /DeviceGray "
                            "/BitsPerComponent 8", "\x80");
    int big = b.addStream("/Type /Pattern /PatternType 1 /PaintType 1 /TilingType 1 /BBox [0 0 30000 30000] /XStep "
                          "0.001 /YStep 0.001 /Resources << /XObject << /I " + ref(image) + " >> >>",
                          "q 30000 0 0 30000 0 0 cm /I Do Q");
    int inf = b.addStream("/Type /Pattern /PatternType 1 /PaintType 1 /TilingType 1 /BBox [-1e300 -1e300 1e300 "
                          "1e300] /XStep 1e-300 /YStep 1e300 /Matrix [0 0 0 0 0 0] /Resources << >>",
                          "0 0 1 1 re f");
    b.addPage("/Pattern cs /P scn 0 0 100 100 re f /Pattern CS /Q SCN 0 0 m 10 10 l S" + kMarker,
              "<< /Pattern << /P " + ref(big) + " /Q " + ref(inf) + " >> >>");
    return b.build();
}

std::string hugeSampledFunction() {
    PDFBuilder b;
    int fn = b.addStream("/FunctionType 0 /Domain [0 1 0 1] /Range [0 1 0 1 0 1] /Size [2147483647 2147483647] "
                         "/BitsPerSample 32",
                         std::string(64, '\x10'));
    int fn2 = b.addStream("/FunctionType 0 /Domain [0 1] /Range [0 1] /Size [0] /BitsPerSample 0", "");
    int shading = b.add("<< /ShadingType 2 /ColorSpace /DeviceRGB /Coords [0 0 100 0] /Function " + ref(fn) + " >>");
    b.addPage("/Sh sh /C cs 0.2 sc 0 0 10 10 re f" + kMarker,
              "<< /Shading << /Sh " + ref(shading) + " >> /ColorSpace << /C [/Separation /S /DeviceGray " + ref(fn2) +
                  "] >> >>");
    return b.build();
}

std::string bigContent(const std::string& kind) {
    std::string content;
    std::string resources = "<< /Font << /F1 << /Type /Font /Subtype /Type1 /BaseFont /Helvetica >> >> >>";
    if (kind == "HundredThousandOperators")
        content = repeat("q 1 0 0 1 1 1 cm 0 0 m 10 10 l 0 0 1 RG S Q BT /F1 9 Tf 1 2 Td (x) Tj ET\n", 12500);
    else if (kind == "TenThousandEntryArrays")
        content = "BT /F1 9 Tf [" + repeat("(ab) -120 ", 10000) + "] TJ ET [" + repeat("3 1 ", 5000) +
                  "] 0 d 0 0 m 500 500 l S";
    else if (kind == "UnbalancedSaves")
        content = repeat("q ", 100000) + repeat("BT ", 20000) + "0 0 m 1 1 l S" + repeat("Q ", 200000);
    else if (kind == "HugePath")
        content = "0 0 m " + repeat("1 2 l 3 4 5 6 7 8 c ", 50000) + "h f";
    else  // "DeepArrays": operands nested far deeper than any real file
        content = repeat("[", 50000) + repeat("]", 50000) + " " + repeat("<<", 20000) + " Tj" + kMarker;
    return onePage(content + kMarker, resources);
}

// Resources that cost something to read (fonts, ICC colour spaces, tint tables, images, patterns) in
// a form that runs many times: every run reads its resources afresh.
std::string heavyResourcesInRepeatedForm(const std::string& kind, int entries, int draws) {
    PDFBuilder b;
    std::string dict, content;
    if (kind == "Fonts") {
        std::string widths = "[" + repeat("600 ", 224) + "]";
        for (int i = 0; i < entries; ++i)
            dict += "/F" + std::to_string(i) + " << /Type /Font /Subtype /Type1 /BaseFont /Helvetica /FirstChar 32 "
                    "/LastChar 255 /Widths " + widths + " /Encoding << /Differences [32 /space /a /b] >> >> ";
        dict = "/Font << " + dict + ">>";
        content = "BT /F0 9 Tf (x) Tj ET";
    } else if (kind == "ICCColorSpaces") {
        for (int i = 0; i < entries; ++i) {
            int icc = b.addStream("/N 3", kx::test::iccRGBProfile(1.0 + i * 0.01));
            dict += "/C" + std::to_string(i) + " [/ICCBased " + ref(icc) + "] ";
        }
        dict = "/ColorSpace << " + dict + ">>";
        content = "/C0 cs 0.5 0.5 0.5 sc 0 0 1 1 re f";
    } else if (kind == "SpacesOverOneTintTable") {  // one sampled function of a million samples
        int table = b.addFlateStream("/FunctionType 0 /Domain [0 1] /Range [0 1 0 1 0 1 0 1] /Size [1048576] "
                                     "/BitsPerSample 8",
                                     std::string(4 << 20, '\x40'));
        for (int i = 0; i < entries; ++i)
            dict += "/C" + std::to_string(i) + " [/Separation /S" + std::to_string(i) + " /DeviceCMYK " + ref(table) +
                    "] ";
        dict = "/ColorSpace << " + dict + ">>";
        content = "/C0 cs 1 sc 0 0 1 1 re f";
    } else if (kind == "SpacesWithTintTablesOfTheirOwn") {  // each a million samples, 4 KB in the file
        const std::string packed = kx::test::deflate(std::string(4 << 20, '\x40'));
        for (int i = 0; i < entries; ++i) {
            int table = b.addStream("/FunctionType 0 /Domain [0 1] /Range [0 1 0 1 0 1 0 1] /Size [1048576] "
                                    "/BitsPerSample 8 /Filter /FlateDecode",
                                    packed);
            dict += "/C" + std::to_string(i) + " [/Separation /S" + std::to_string(i) + " /DeviceCMYK " + ref(table) +
                    "] ";
        }
        dict = "/ColorSpace << " + dict + ">>";
        content = "/C0 cs 1 sc 0 0 1 1 re f";
    } else if (kind == "Patterns") {  // tiling patterns with cells of the largest bitmap size
        for (int i = 0; i < entries; ++i) {
            int pattern = b.addStream("/Type /Pattern /PatternType 1 /PaintType 1 /TilingType 1 /BBox [0 0 600 600] "
                                      "/XStep 600 /YStep 600 /Resources << >>",
                                      "0 0 " + std::to_string(i + 1) + " 1 re f");
            dict += "/P" + std::to_string(i) + " " + ref(pattern) + " ";
        }
        dict = "/Pattern << " + dict + ">>";
        content = "/Pattern cs /P0 scn 0 0 10 10 re f";
    } else {  // "Images": many images listed, one painted
        for (int i = 0; i < entries; ++i) {
            int image = b.addStream("/Type /XObject /Subtype /Image /Width 64 /Height 64 /ColorSpace /DeviceRGB "
                                    "/BitsPerComponent 8",
                                    std::string(64 * 64 * 3, static_cast<char>(i)));
            dict += "/I" + std::to_string(i) + " " + ref(image) + " ";
        }
        dict = "/XObject << " + dict + ">>";
        content = "/I0 Do";
    }
    int form = b.addStream("/Type /XObject /Subtype /Form /BBox [0 0 10 10] /Resources << " + dict + " >>", content);
    b.addPage(repeat("/Fm Do ", draws) + kMarker, "<< /XObject << /Fm " + ref(form) + " >> >>");
    return b.build();
}

// Many outline items with named destinations in a large name tree, over many pages.
std::string largeOutline(int items, int names, int pages) {
    PDFBuilder b;
    std::vector<int> pageNumbers;
    for (int i = 0; i < pages; ++i) pageNumbers.push_back(b.addPage("0 0 m " + std::to_string(i) + " 10 l S"));
    std::string namesArray;
    for (int i = 0; i < names; ++i) {
        char key[16];
        std::snprintf(key, sizeof key, "n%07d", i);
        namesArray += "(" + std::string(key) + ") [" + ref(pageNumbers[static_cast<size_t>(i % pages)]) + " /Fit] ";
    }
    int leaf = b.add("<< /Limits [(n0000000) (n9999999)] /Names [" + namesArray + "] >>");
    int outlines = b.reserve();
    std::vector<int> itemNumbers;
    for (int i = 0; i < items; ++i) itemNumbers.push_back(b.reserve());
    for (int i = 0; i < items; ++i) {
        char key[16];
        std::snprintf(key, sizeof key, "n%07d", (i * 7919) % names);
        std::string entry = "<< /Title (Item " + std::to_string(i) + ") /Parent " + ref(outlines) + " /Dest (" + key + ")";
        if (i + 1 < items) entry += " /Next " + ref(itemNumbers[static_cast<size_t>(i + 1)]);
        if (i > 0) entry += " /Prev " + ref(itemNumbers[static_cast<size_t>(i - 1)]);
        b.set(itemNumbers[static_cast<size_t>(i)], entry + " >>");
    }
    b.set(outlines, "<< /Type /Outlines /First " + ref(itemNumbers.front()) + " /Last " + ref(itemNumbers.back()) +
                        " /Count " + std::to_string(items) + " >>");
    b.setCatalogExtra("/Outlines " + ref(outlines) + " /Names << /Dests " + ref(b.add("<< /Kids [" + ref(leaf) + "] >>")) +
                      " >>");
    return b.build();
}

std::string manyAnnotations(int count) {
    PDFBuilder b;
    int ap = b.addStream("/Type /XObject /Subtype /Form /BBox [0 0 10 10]", "0 0 m 10 10 l S");
    std::string annots;
    for (int i = 0; i < count; ++i)
        annots += ref(b.add("<< /Type /Annot /Subtype /Square /Rect [" + std::to_string(i % 600) + " 10 " +
                            std::to_string(i % 600 + 10) + " 20] /AP << /N " + ref(ap) + " >> /C [1 0 0] >>")) + " ";
    b.addPage(kMarker, "<< >>", "/MediaBox [0 0 612 792] /Annots [" + annots + "]");
    return b.build();
}

// ---- The table ----

enum class Expect {
    Anything,       // any clean end
    Paints,         // the undamaged part of the page still reaches the delegate
    DocumentError,  // the engine ends with an error (no silent success)
};

struct Case {
    std::string name;
    std::function<std::string()> make;
    Expect expect = Expect::Anything;
    double seconds = 15;  // time bound of the child (interpreter and engine together)
};

std::vector<Case> byteDamageCases() {
    struct Base {
        std::string name;
        std::function<std::string()> make;
        std::string contentMarker;  // how the page's content stream is found
    };
    std::vector<Base> bases = {
        {"Rich", [] { return richDocument(false, false); }, "/Length"},
        {"RichFlate", [] { return richDocument(true, false); }, "/Filter /FlateDecode /Length"},
        {"RichPacked", [] { return richDocument(false, true); }, "/Length"},
        {"CairoText", [] { return cairoDocument(); }, "/Length"},
    };
    for (const char* small : {"text/vertical.pdf", "text/rotation.pdf", "roundtrip/table-sample.xlsx.pdf"}) {
        std::string label = small;
        for (char& c : label)
            if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
        std::string relative = small;
        bases.push_back({"Corpus_" + label, [relative] {
                             auto path = kx::test::corpusPath(relative);
                             if (!path) return std::string();
                             return kx::readFile(*path).value_or("");
                         },
                         "/Length"});
    }
    struct Kind {
        std::string name;
        Damage damage;
        int seeds;
    };
    std::vector<Kind> kinds = {
        {"FlippedContentBytes", flipBytes("/Length", 12), 3},
        {"FlippedBytesAnywhere", flipBytes("", 40), 2},
        {"DuplicatedContentRange", duplicateRange("/Length"), 2},
        {"DeletedContentRange", deleteRange("/Length"), 2},
        {"FlippedObjectStreamBytes", flipBytes("/ObjStm", 10), 2},
        {"DuplicatedObjectStreamRange", duplicateRange("/ObjStm"), 1},
        {"DeletedObjectStreamRange", deleteRange("/ObjStm"), 1},
        {"TruncatedToAThird", truncateAt(0.33), 1},
        {"TruncatedNearTheEnd", truncateAt(0.97), 1},
    };
    std::vector<Case> cases;
    for (const Base& base : bases) {
        for (const Kind& kind : kinds) {
            const bool objectStream = kind.name.find("ObjectStream") != std::string::npos;
            if (objectStream != (base.name == "RichPacked")) continue;
            for (int seed = 1; seed <= kind.seeds; ++seed) {
                Case c;
                c.name = base.name + "_" + kind.name + (kind.seeds > 1 ? "_" + std::to_string(seed) : "");
                auto make = base.make;
                auto damage = kind.damage;
                c.make = [make, damage, seed] {
                    std::string pdf = make();
                    if (pdf.empty()) return pdf;
                    std::mt19937 rng(static_cast<std::uint32_t>(seed * 7919));
                    return damage(pdf, rng);
                };
                cases.push_back(std::move(c));
            }
        }
    }
    return cases;
}

std::vector<Case> structuralCases() {
    std::vector<Case> cases = {
        {"NotAPDFAtAll", [] { return std::string("%!PS-Adobe-3.0\nshowpage\n"); }, Expect::DocumentError},
        {"EmptyFile", [] { return std::string(); }, Expect::DocumentError},
        {"HeaderOnly", [] { return std::string("%PDF-1.7\n"); }, Expect::DocumentError},
        {"PageTreeParentCycle", [] { return pageTree("ParentCycle"); }},
        {"PageTreeKidsCycle", [] { return pageTree("KidsCycle"); }, Expect::Paints},
        {"PageTreeCountLies", [] { return pageTree("CountLies"); }, Expect::Paints},
        {"PageIsItsOwnParent", [] { return pageTree("PageIsItsOwnParent"); }, Expect::Paints},
        {"FormDrawsItself", [] { return formCycle(1); }, Expect::Paints},
        {"FormsDrawEachOther", [] { return formCycle(3); }, Expect::Paints},
        // Both run the interpreter's whole budget of nested runs three times (interpreter, page
        // images, text) and the page image's drawing to its time limit: seconds of work by design.
        {"FormsFanOutExponentially", [] { return formFanOut(12, 8); }, Expect::Paints, 30},
        {"FormsFanOutWide", [] { return formFanOut(3, 3000); }, Expect::Paints, 30},
        {"ManyFontsInAFormDrawnManyTimes", [] { return heavyResourcesInRepeatedForm("Fonts", 200, 1000); },
         Expect::Paints},
        {"ManyICCSpacesInAFormDrawnManyTimes",
         [] { return heavyResourcesInRepeatedForm("ICCColorSpaces", 40, 1000); }, Expect::Paints},
        {"ManyImagesInAFormDrawnManyTimes", [] { return heavyResourcesInRepeatedForm("Images", 200, 1000); },
         Expect::Paints},
        // Each space built and held its own copy of the table: 32 MB each, 32 GB for the first run.
        {"ThousandSpacesOverOneTintTable",
         [] { return heavyResourcesInRepeatedForm("SpacesOverOneTintTable", 1000, 1000); }, Expect::Paints},
        // A table of 32 MB in memory for every 4 KB of file: 3 GB at once.
        {"HundredSpacesWithTintTablesOfTheirOwn",
         [] { return heavyResourcesInRepeatedForm("SpacesWithTintTablesOfTheirOwn", 100, 10); }, Expect::Paints},
        // Every cell rendered as its pattern was read: 16 MB each, 3 GB for the form's first run.
        {"ManyLargePatternsInAFormDrawnManyTimes", [] { return heavyResourcesInRepeatedForm("Patterns", 200, 1000); },
         Expect::Paints},
        {"LargeOutlineWithNamedDestinations", [] { return largeOutline(20000, 20000, 40); }, Expect::Paints},
        {"TwentyThousandAnnotations", [] { return manyAnnotations(20000); }, Expect::Paints},
        {"PatternCellUsesItself", [] { return patternCycle(false); }, Expect::Paints},
        {"PatternsUseEachOther", [] { return patternCycle(true); }, Expect::Paints},
        {"PatternInAFormDrawnManyTimes", [] { return patternInRepeatedForm(1000, 600); }, Expect::Paints},
        {"SoftMaskUsesItsOwnGraphicsState", [] { return softMaskCycle(); }, Expect::Paints},
        {"IndexedSpaceNamesItself", [] { return colorSpaceCycle("IndexedNamesItself"); }, Expect::Paints},
        {"ColorSpacesNameEachOther", [] { return colorSpaceCycle("NamedChain"); }, Expect::Paints},
        {"SeparationAlternateIsItself", [] { return colorSpaceCycle("AlternateIsItself"); }, Expect::Paints},
        {"StitchingFunctionContainsItself", [] { return functionCycle(); }, Expect::Paints},
        {"PostScriptFunctionNestedDeep", [] { return postScriptFunction(repeat("{", 100000) + repeat("}", 100000)); },
         Expect::Paints},
        {"PostScriptFunctionBlowsTheStack", [] { return postScriptFunction("{ " + repeat("dup ", 100000) + "}"); },
         Expect::Paints},
        {"PostScriptFunctionHugeProgram",
         [] { return postScriptFunction("{ " + repeat("1 add 2 mul pop ", 250000) + "}"); }, Expect::Paints},
        {"PostScriptFunctionUnbalanced", [] { return postScriptFunction("{ { if ifelse } } } roll 99999 index"); },
         Expect::Paints},
        {"OutlineNextLoop", [] { return outlineCycle("NextLoop"); }, Expect::Paints},
        {"OutlineChildPointsUp", [] { return outlineCycle("FirstPointsUp"); }, Expect::Paints},
        {"NameTreeKidsLoop", [] { return nameTreeCycle(); }, Expect::Paints},
        {"AnnotationPopupLoop", [] { return annotPopupCycle(); }, Expect::Paints},
        {"AppearanceDrawsItself", [] { return annotAppearanceCycle(); }, Expect::Paints},
        {"CMapUseCMapLoop", [] { return cmapLoop(); }, Expect::Paints},
        {"HugeCIDWidthRanges", [] { return hugeWidths("Range"); }, Expect::Paints},
        {"HugeCIDWidthArrays", [] { return hugeWidths("Entries"); }, Expect::Paints},
        {"HugeFirstChar", [] { return hugeWidths("FirstChar"); }, Expect::Paints},
        {"HugeImageDimensions", [] { return hugeImage("Dimensions"); }, Expect::Paints},
        {"ImageOverThePixelBudget", [] { return hugeImage("WithinIntButOverBudget"); }, Expect::Paints},
        {"ImageOfNoSize", [] { return hugeImage("NegativeAndZero"); }, Expect::Paints},
        {"ImageWithOddBitsAndDecode", [] { return hugeImage("OddBitsAndDecode"); }, Expect::Paints},
        {"JPEGHeaderClaimsHugeSize", [] { return hugeImage("JPEGLies"); }, Expect::Paints},
        {"HugePatternCell", [] { return hugePatternCell(); }, Expect::Paints},
        {"HugeSampledFunction", [] { return hugeSampledFunction(); }, Expect::Paints},
        {"HundredThousandOperators", [] { return bigContent("HundredThousandOperators"); }, Expect::Paints},
        {"TenThousandEntryArrays", [] { return bigContent("TenThousandEntryArrays"); }, Expect::Paints},
        {"HundredThousandUnbalancedSaves", [] { return bigContent("UnbalancedSaves"); }, Expect::Paints},
        {"HugePath", [] { return bigContent("HugePath"); }, Expect::Paints},
        {"DeeplyNestedOperands", [] { return bigContent("DeepArrays"); }, Expect::Paints},
    };
    return cases;
}

std::vector<Case> allCases() {
    std::vector<Case> cases = {
        {"UndamagedRich", [] { return richDocument(false, false); }, Expect::Paints},
        {"UndamagedRichPacked", [] { return richDocument(false, true); }, Expect::Paints},
        {"UndamagedCairoText", [] { return cairoDocument(); }, Expect::Paints},
    };
    for (auto& c : structuralCases()) cases.push_back(std::move(c));
    for (auto& c : byteDamageCases()) cases.push_back(std::move(c));
    return cases;
}

// Failure messages name the case instead of dumping its bytes.
void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class HostileInput : public testing::TestWithParam<Case> {};

std::string caseName(const testing::TestParamInfo<Case>& info) { return info.param.name; }

}  // namespace

TEST_P(HostileInput, EndsCleanlyInTimeAndMemory) {
    const Case& c = GetParam();
    std::string pdf = c.make();
    if (c.name.rfind("Corpus_", 0) == 0) KX_REQUIRE_CORPUS(!pdf.empty());
    const std::string path = kx::test::writeTemp(c.name + ".pdf", pdf);
    // KX_HOSTILE_CASES_DIR keeps every case's file there, to reproduce a failure outside the test.
    if (const char* keep = std::getenv("KX_HOSTILE_CASES_DIR")) kx::writeFile(kx::pathJoin(keep, c.name + ".pdf"), pdf);

    kx::test::PipelineOptions options;
    options.engineFormats = {"png", "txt"};
    // Pages whose drawing would run on are abandoned sooner than a user's conversion abandons them
    // (a page abandoned on a slow machine is a failed page, which every case accepts).
    options.pageDrawingTimeLimit = std::chrono::seconds(1);
    kx::test::ChildLimits limits;
    limits.time = std::chrono::milliseconds(static_cast<long long>(c.seconds * 1000 * kTimeFactor));
    limits.memoryBytes = std::size_t(2) << 30;
    kx::test::PipelineSummary summary;
    kx::test::ChildOutcome outcome = kx::test::runPipelineInChild(path, summary, options, limits);

    ASSERT_TRUE(outcome.clean()) << c.name << ": " << outcome.describe();
    EXPECT_LT(static_cast<std::size_t>(outcome.maxResidentKB) * 1024, limits.memoryBytes) << outcome.describe();
    EXPECT_TRUE(summary.engineEnded) << outcome.output;
    switch (c.expect) {
        case Expect::Anything: break;
        case Expect::Paints:
            EXPECT_TRUE(summary.opened);
            EXPECT_GT(summary.paths + summary.patternPaths + summary.texts + summary.images, 0u)
                << kx::test::formatSummary(summary);
            break;
        case Expect::DocumentError:
            EXPECT_FALSE(summary.engineSucceeded) << "a document with nothing to convert reported success";
            EXPECT_FALSE(summary.engineError.empty() && summary.engineEnded && summary.engineSucceeded);
            break;
    }
    // A clean end of a damaged document is either converted pages or pages reported as failed.
    if (summary.engineSucceeded) {
        EXPECT_GT(summary.pagesConverted + summary.pagesFailed, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Damage, HostileInput, testing::ValuesIn(allCases()), caseName);
