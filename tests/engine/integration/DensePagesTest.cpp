// Dense pages as chart, map and CAD producers write them (tens of thousands of small marks, each
// painted under the page's clip or in its own `q <plot area> re W n ... Q`) through every picture
// output at 144 and 600 dpi. What the output shows is compared, mark by mark, with the input's own
// rendering: of the sampled marks that the input's rendering inks, at least 99 % are inked in the
// output too, and each conversion stays within its time and memory. The spreadsheet holds no
// pictures (its exporter ignores images and turns only large filled areas into cell fills), so there
// only the time and memory count.
//
// Each conversion runs through the engine in a child process (the resolution of the pictures and of
// the page images is an engine option). The output is seen the cheap way where that is sound: page
// images as written; the DOCX and PPTX pictures at their places on the page, read from the package.
// A package page holding anything the reader does not place (a vector shape, a cropped or rotated
// picture) is seen through LibreOffice instead.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "HostileRun.h"
#include "engine/EngineHarness.h"
#include "engine/KXDocuvane.h"
#include "engine/KXPDFOptions.h"
#include "exporters/ExporterTable.h"
#include "platform/Dispatch.h"
#include "platform/FileSystem.h"
#include "platform/Format.h"
#include "platform/ImageDecoding.h"
#include "platform/pdf/PDFDocument.h"
#include "platform/pdf/PDFPageRenderer.h"
#include "support/DensePages.h"
#include "support/TestSupport.h"

namespace {

#ifdef KX_TEST_UNDER_ASAN
constexpr double kTimeFactor = 5;
#else
constexpr double kTimeFactor = 1;
#endif

constexpr double kPageWidth = 612, kPageHeight = 792;
// A pixel is ink when its grey, over white, is below this.
constexpr int kInk = 230;
// About this many marks of each page are looked at.
constexpr size_t kSampled = 2000;
// The share of the sampled marks that the output must show.
constexpr double kLeastDrawn = 0.99;
// The most one conversion may take.
constexpr double kMostSeconds = 30;
// The most one conversion may hold: the bound the crafted pages are held to at 144 dpi; at 600 dpi
// that and twice a whole page's picture at that resolution (5100 x 6600 RGBA, 135 MB).
long mostResidentMB(int dpi) { return dpi <= 144 ? 300 : 300 + 2 * 135; }

// A picture on the page: its pixels over a rectangle of the page, in points from the page's
// top-left corner.
struct Placed {
    kx::ImageRef image;  // RGBA8
    double left = 0, top = 0, width = 0, height = 0;
};
using Drawing = std::vector<Placed>;

// Whether the drawing has ink within `radius` points of the mark (PDF user space, origin
// bottom-left).
bool inkNear(const Drawing& drawing, kx::Point mark, double radius) {
    const double x = mark.x, y = kPageHeight - mark.y;
    for (const Placed& p : drawing) {
        if (!p.image || p.width <= 0 || p.height <= 0) continue;
        if (x + radius < p.left || x - radius > p.left + p.width || y + radius < p.top || y - radius > p.top + p.height)
            continue;
        const double sx = p.image->width / p.width, sy = p.image->height / p.height;
        const int x0 = std::max(0, static_cast<int>(std::floor((x - radius - p.left) * sx)));
        const int x1 = std::min(p.image->width - 1, static_cast<int>(std::floor((x + radius - p.left) * sx)));
        const int y0 = std::max(0, static_cast<int>(std::floor((y - radius - p.top) * sy)));
        const int y1 = std::min(p.image->height - 1, static_cast<int>(std::floor((y + radius - p.top) * sy)));
        for (int py = y0; py <= y1; ++py) {
            const std::uint8_t* row = p.image->row(py);
            for (int px = x0; px <= x1; ++px) {
                const std::uint8_t* c = row + static_cast<size_t>(px) * 4;
                const int grey = (299 * c[0] + 587 * c[1] + 114 * c[2]) / 1000;
                const int overWhite = 255 - c[3] * (255 - grey) / 255;
                if (overWhite < kInk) return true;
            }
        }
    }
    return false;
}

// The first page of a PDF drawn at `dpi` by the platform's renderer, over the whole page.
Drawing renderedPage(const std::string& path, int dpi) {
    auto document = kx::PDFDocument::open(path);
    if (!document) return {};
    std::optional<kx::PDFPage> page = document->page(1);
    if (!page) return {};
    const kx::Rect box = page->boxRect(kx::PDFBox::CropBox);
    const double scale = dpi / 72.0;
    const int width = static_cast<int>(std::lround(box.size.width * scale));
    const int height = static_cast<int>(std::lround(box.size.height * scale));
    const auto transform = kx::AffineTransform::makeScale(scale, scale).translated(-box.origin.x, -box.origin.y);
    std::shared_ptr<kx::Image> image = kx::renderPDFPage(*page, transform, width, height);
    if (!image) return {};
    return {{kx::toRGBA8(image), 0, 0, box.size.width, box.size.height}};
}

std::string unzipped(const std::string& package, const std::string& entry) {
    std::string bytes;
    if (kx::test::runCommand("unzip -p '" + package + "' '" + entry + "' 2>/dev/null", &bytes) != 0) return {};
    return bytes;
}

// The relationships listed in a package entry: id -> target.
std::map<std::string, std::string> relationships(const std::string& xml) {
    std::map<std::string, std::string> found;
    static const std::regex element("<Relationship [^>]*>"), id("Id=\"([^\"]*)\""), target("Target=\"([^\"]*)\"");
    for (auto it = std::sregex_iterator(xml.begin(), xml.end(), element); it != std::sregex_iterator(); ++it) {
        const std::string e = it->str();
        std::smatch i, t;
        if (std::regex_search(e, i, id) && std::regex_search(e, t, target)) found[i[1]] = t[1];
    }
    return found;
}

double styleValue(const std::string& style, const std::string& key) {
    std::smatch m;
    if (!std::regex_search(style, m, std::regex("(^|;)" + key + ":(-?[0-9.]+)pt"))) return NAN;
    return std::atof(m[2].str().c_str());
}

kx::ImageRef picture(const std::string& package, const std::string& entry) {
    const std::string bytes = unzipped(package, entry);
    if (bytes.empty()) return nullptr;
    kx::ImageRef image = kx::readImageData(bytes);
    return image ? kx::toRGBA8(image) : nullptr;
}

// The DOCX page's pictures at their places; nullopt when the page holds anything else.
std::optional<Drawing> docxPictures(const std::string& package) {
    const std::string xml = unzipped(package, "word/document.xml");
    const auto rels = relationships(unzipped(package, "word/_rels/document.xml.rels"));
    if (xml.empty()) return std::nullopt;
    for (const char* other : {"<v:line", "<v:polyline", "<v:rect", "<v:roundrect", "<v:oval", "<v:group", "<w:drawing",
                              "croptop=", "cropbottom=", "cropleft=", "cropright=", "rotation:"})
        if (xml.find(other) != std::string::npos) return std::nullopt;
    Drawing drawing;
    size_t shapes = 0;
    static const std::regex shape("<v:shape ([^>]*)>\\s*<v:imagedata ([^>]*)>");
    static const std::regex style("style=\"([^\"]*)\""), rid("r:id=\"([^\"]*)\"");
    for (size_t at = xml.find("<v:shape "); at != std::string::npos; at = xml.find("<v:shape ", at + 1)) ++shapes;
    for (auto it = std::sregex_iterator(xml.begin(), xml.end(), shape); it != std::sregex_iterator(); ++it) {
        const std::string attributes = (*it)[1], image = (*it)[2];
        std::smatch s, r;
        if (!std::regex_search(attributes, s, style) || !std::regex_search(image, r, rid)) return std::nullopt;
        const std::string css = s[1];
        if (css.find("mso-position-horizontal-relative:page") == std::string::npos ||
            css.find("mso-position-vertical-relative:page") == std::string::npos)
            return std::nullopt;
        const auto target = rels.find(r[1]);
        if (target == rels.end()) return std::nullopt;
        Placed p{picture(package, "word/" + target->second), styleValue(css, "margin-left"),
                 styleValue(css, "margin-top"), styleValue(css, "width"), styleValue(css, "height")};
        if (!p.image || std::isnan(p.left) || std::isnan(p.top) || std::isnan(p.width) || std::isnan(p.height))
            return std::nullopt;
        drawing.push_back(p);
    }
    if (drawing.size() != shapes) return std::nullopt;
    return drawing;
}

// The PPTX slide's pictures at their places (on a slide the size of the page); nullopt when the
// slide holds anything else.
std::optional<Drawing> pptxPictures(const std::string& package) {
    const std::string xml = unzipped(package, "ppt/slides/slide1.xml");
    const auto rels = relationships(unzipped(package, "ppt/slides/_rels/slide1.xml.rels"));
    const std::string presentation = unzipped(package, "ppt/presentation.xml");
    if (xml.empty()) return std::nullopt;
    for (const char* other : {"<p:sp>", "<p:sp ", "<p:cxnSp", "<p:grpSp>", "<p:graphicFrame", "<a:srcRect ", " rot=\"",
                              "flipH=", "flipV="})
        if (xml.find(other) != std::string::npos) return std::nullopt;
    std::smatch size;
    if (!std::regex_search(presentation, size, std::regex("<p:sldSz cx=\"([0-9]+)\" cy=\"([0-9]+)\"")))
        return std::nullopt;
    const double toPoints = kPageWidth / std::atof(size[1].str().c_str());
    Drawing drawing;
    static const std::regex pic("<p:pic>([\\s\\S]*?)</p:pic>"), embed("r:embed=\"([^\"]*)\""),
        offset("<a:off x=\"(-?[0-9]+)\" y=\"(-?[0-9]+)\"/>"), extent("<a:ext cx=\"([0-9]+)\" cy=\"([0-9]+)\"/>");
    for (auto it = std::sregex_iterator(xml.begin(), xml.end(), pic); it != std::sregex_iterator(); ++it) {
        const std::string body = (*it)[1];
        std::smatch e, o, x;
        if (!std::regex_search(body, e, embed) || !std::regex_search(body, o, offset) ||
            !std::regex_search(body, x, extent))
            return std::nullopt;
        const auto target = rels.find(e[1]);
        if (target == rels.end() || target->second.rfind("../", 0) != 0) return std::nullopt;
        Placed p{picture(package, "ppt/" + target->second.substr(3)), std::atof(o[1].str().c_str()) * toPoints,
                 std::atof(o[2].str().c_str()) * toPoints, std::atof(x[1].str().c_str()) * toPoints,
                 std::atof(x[2].str().c_str()) * toPoints};
        if (!p.image) return std::nullopt;
        drawing.push_back(p);
    }
    return drawing;
}

// The package's first page as LibreOffice shows it, at `dpi`; nullopt without LibreOffice.
std::optional<Drawing> throughLibreOffice(const std::string& package, int dpi) {
    if (!kx::test::haveCommand("soffice")) return std::nullopt;
    const std::string folder = kx::pathDirectory(package);
    const std::string pdf = kx::pathWithoutExtension(package) + ".pdf";
    kx::test::runCommand("cd '" + folder + "' && timeout 240 soffice --headless -env:UserInstallation=file://" +
                         kx::pathJoin(folder, "profile") + " --convert-to pdf --outdir '" + folder + "' '" + package +
                         "' >/dev/null 2>&1");
    return renderedPage(pdf, dpi);
}

struct Case {
    const char* page;
    std::function<kx::test::DensePage()> make;
};

struct Seen {
    bool checked = false;  // the output could be seen
    std::string how;
    size_t sampled = 0, visible = 0, drawn = 0;
};

Seen compare(const kx::test::DensePage& page, const Drawing& reference, const std::optional<Drawing>& output,
             int dpi, const std::string& how) {
    Seen seen;
    seen.how = how;
    if (!output) return seen;
    seen.checked = true;
    const size_t step = std::max<size_t>(1, page.marks.size() / kSampled);
    for (size_t i = 0; i < page.marks.size(); i += step) {
        const kx::Point mark = page.marks[i];
        ++seen.sampled;
        // The input's own pixels at the mark; the output's within a pixel or two at 144 dpi.
        if (!inkNear(reference, mark, 72.0 / dpi)) continue;
        ++seen.visible;
        if (inkNear(*output, mark, 1.0)) ++seen.drawn;
    }
    return seen;
}

// What the output of one conversion shows: nullopt where it holds no pictures (the spreadsheet) or
// cannot be seen (LibreOffice missing); `how` says how it was seen.
std::optional<Drawing> outputDrawing(const std::string& format, const std::string& out, int dpi, std::string& how) {
    if (format == "png") {
        how = "page image";
        for (const std::string& name : kx::listDirectory(out))
            if (kx::pathExtension(name) == "png")
                if (kx::ImageRef image = kx::readImageData(kx::readFile(kx::pathJoin(out, name)).value_or("")))
                    return Drawing{{kx::toRGBA8(image), 0, 0, kPageWidth, kPageHeight}};
        return Drawing{};
    }
    if (format == "xlsx") {
        how = "no pictures in a spreadsheet";
        return std::nullopt;
    }
    how = "pictures in the package";
    if (std::optional<Drawing> pictures = format == "docx" ? docxPictures(out) : pptxPictures(out)) return pictures;
    how = "LibreOffice";
    std::optional<Drawing> shown = throughLibreOffice(out, dpi);
    if (!shown) how = "LibreOffice is not installed: not seen";
    return shown;
}

// One conversion through the engine in a child process, at `dpi` for the pictures and page images.
kx::test::ChildOutcome convertInChild(const std::string& input, const std::string& format, const std::string& out,
                                      int dpi) {
    return kx::test::runInChild(
        [&] {
            kx::installExporters();
            kx::MainQueue::setMainThread();
            KXDocuvane::prepareForDocType(format);
            auto options = std::make_shared<KXPDFOptions>();
            options->setIsParserAnnots(1);
            options->setImageDPI(dpi);
            options->imageOptions().setDpi(dpi);
            const kx::test::EngineRun r =
                kx::test::runConversion(input, {1}, format, out, options, std::chrono::seconds(120));
            if (!r.ended) return 4;
            if (r.error()) {
                std::fprintf(stderr, "conversion failed: %s\n", r.error()->failureReason.c_str());
                return 1;
            }
            return r.delegate.ofKind("failed").empty() ? 0 : 3;
        },
        {std::chrono::milliseconds(static_cast<long>(2 * kMostSeconds * kTimeFactor * 1000)), std::size_t(4) << 30});
}

}  // namespace

TEST(DensePages, EveryMarkIsDrawnInEveryPictureOutputWithinBoundedTimeAndMemory) {
    using kx::test::DensePage;
    const Case pages[] = {
        {"scatter of 20,000 markers under the page clip", [] { return kx::test::denseScatter(20000, false); }},
        {"scatter of 20,000 markers each in its own clip", [] { return kx::test::denseScatter(20000, true); }},
        {"map of 30,000 clipped polygons", [] { return kx::test::denseMap(30000); }},
        {"chart of 20,000 clipped segments", [] { return kx::test::denseChart(20000); }},
    };
    const int resolutions[] = {144, 600};
    const char* formats[] = {"docx", "pptx", "xlsx", "png"};
    const std::string root = kx::pathJoin(kx::test::tempDir(), "dense-pages");
    kx::removeAll(root);
    kx::createDirectories(root);

    int number = 0;
    for (const Case& c : pages) {
        const DensePage page = c.make();
        const std::string input = kx::pathJoin(root, kx::format("page-%d.pdf", ++number));
        ASSERT_TRUE(kx::writeFile(input, page.pdf));
        for (int dpi : resolutions) {
            // The conversions first: each child starts from a parent that holds no page rendering.
            std::map<std::string, kx::test::ChildOutcome> runs;
            std::map<std::string, std::string> outputs;
            for (const char* format : formats) {
                const std::string folder = kx::pathJoin(root, kx::format("%d-%s-%d", number, format, dpi));
                kx::createDirectories(folder);
                outputs[format] = std::string(format) == "png" ? kx::pathJoin(folder, "pages")
                                                               : kx::pathJoin(folder, std::string("out.") + format);
                runs[format] = convertInChild(input, format, outputs[format], dpi);
            }
            const Drawing reference = renderedPage(input, dpi);
            ASSERT_EQ(reference.size(), 1u) << c.page;
            // The input's own rendering (the page capture, which page images are too) inks every
            // sampled mark; this also shows that the comparison looks at the right places.
            const Seen own = compare(page, reference, reference, dpi, "the input's own rendering");
            EXPECT_GE(own.visible * 100, own.sampled * 99)
                << c.page << " at " << dpi << " dpi: the input's own rendering inks " << own.visible << " of "
                << own.sampled << " sampled marks";
            for (const char* format : formats) {
                SCOPED_TRACE(kx::format("%s, %s at %d dpi", c.page, format, dpi));
                const kx::test::ChildOutcome& run = runs[format];
                EXPECT_TRUE(run.clean()) << run.describe() << "\n" << run.output;
                EXPECT_LT(run.seconds, kMostSeconds * kTimeFactor);
                EXPECT_LT(run.maxResidentKB / 1024, mostResidentMB(dpi));

                std::string how;
                const std::optional<Drawing> shown = outputDrawing(format, outputs[format], dpi, how);
                const Seen seen = compare(page, reference, shown, dpi, how);
                const double share = seen.visible ? double(seen.drawn) / double(seen.visible) : 0;
                std::printf("%s, %s at %d dpi: %s, %ld MB, %.2f s (%s)\n", c.page, format, dpi,
                            seen.checked ? kx::format("%.1f %% of %zu marks drawn", 100 * share, seen.visible).c_str()
                                         : "drawing not compared",
                            run.maxResidentKB / 1024, run.seconds, how.c_str());
                std::fflush(stdout);
                if (!seen.checked) continue;
                EXPECT_GE(share, kLeastDrawn) << seen.drawn << " of " << seen.visible << " marks drawn\n"
                                              << run.output;
            }
            for (const char* format : formats) kx::removeAll(kx::pathDirectory(outputs[format]));
        }
    }
    kx::removeAll(root);
}
