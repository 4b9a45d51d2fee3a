// The KXDocuvane program with an image whose pixels would not fit in memory: a file of a few
// kilobytes holding a 20000 x 20000 RGB image (1.2 GB of samples) behind two Flate layers. Every
// output type converts it in a process whose address space is held to 1 GiB, within seconds and a
// few hundred megabytes, with the picture in the package; an image that no reduction brings
// within the decode budget fails its page, said and counted, never a silent success.

#include <gtest/gtest.h>

#include <zlib.h>

#include <chrono>
#include <cstring>
#include <vector>

#include "CommandLineHarness.h"
#include "platform/FileSystem.h"
#include "platform/Format.h"
#include "platform/ImageDecoding.h"
#include "support/PDFBuilder.h"
#include "support/TestSupport.h"

using namespace kx;
using namespace kx::test;

namespace {

// `size` zero bytes, deflated a piece at a time (the zeros are never held at once).
std::string deflatedZeros(std::uint64_t size) {
    z_stream z{};
    EXPECT_EQ(deflateInit(&z, Z_BEST_SPEED), Z_OK);
    std::vector<unsigned char> zeros(1 << 20, 0), piece(1 << 16);
    std::string out;
    std::uint64_t left = size;
    int flush = Z_NO_FLUSH;
    do {
        if (z.avail_in == 0 && left > 0) {
            const auto n = static_cast<uInt>(std::min<std::uint64_t>(left, zeros.size()));
            z.next_in = zeros.data();
            z.avail_in = n;
            left -= n;
        }
        flush = left == 0 ? Z_FINISH : Z_NO_FLUSH;
        z.next_out = piece.data();
        z.avail_out = static_cast<uInt>(piece.size());
        deflate(&z, flush);
        out.append(reinterpret_cast<const char*>(piece.data()), piece.size() - z.avail_out);
    } while (!(flush == Z_FINISH && z.avail_out != 0));
    deflateEnd(&z);
    return out;
}

// A letter page showing a black width x height RGB image over 400 x 400 points, its samples zeros
// deflated twice; after a blank page when `blankFirst`.
std::string zeroImagePage(std::int64_t width, std::int64_t height, bool blankFirst = false) {
    const std::string once = deflatedZeros(static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) * 3);
    PDFBuilder b;
    if (blankFirst) b.addPage("");
    const int image = b.addStream(format("/Type /XObject /Subtype /Image /Width %lld /Height %lld /ColorSpace /DeviceRGB "
                                         "/BitsPerComponent 8 /Filter [/FlateDecode /FlateDecode]",
                                         static_cast<long long>(width), static_cast<long long>(height)),
                                  test::deflate(once));
    b.addPage("q 400 0 0 400 100 200 cm /Im1 Do Q", format("<< /XObject << /Im1 %d 0 R >> >>", image));
    return b.build();
}

// The package's entries under `folder` ("word/media/"), by `unzip -Z1`.
std::vector<std::string> entriesUnder(const std::string& package, const std::string& folder) {
    std::string listing;
    test::runCommand("unzip -Z1 " + shellQuoted(package), &listing);
    std::vector<std::string> found;
    size_t start = 0;
    while (start < listing.size()) {
        size_t end = listing.find('\n', start);
        if (end == std::string::npos) end = listing.size();
        const std::string line = listing.substr(start, end - start);
        if (line.rfind(folder, 0) == 0 && line.size() > folder.size()) found.push_back(line);
        start = end + 1;
    }
    return found;
}

}  // namespace

// The image is decoded reduced to what the page shows of it: every output type converts the
// page, the DOCX and PPTX packages carry the picture (black, far smaller than 20000 pixels a side
// and no smaller than the 400 points it covers at 300 dpi), and no run comes near the limit the
// whole image would need.
TEST(CommandLineImageBudget, AHugeImageIsDecodedReducedByEveryOutput) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer reserves more address space than the limit";
#endif
    if (!test::haveCommand("unzip")) GTEST_SKIP() << "unzip is not installed";
    const std::string input = test::writeTemp("cli-huge-image.pdf", zeroImagePage(20000, 20000));
    ASSERT_LT(readFile(input).value_or("").size(), 16u * 1024);

    struct Case {
        const char* format;
        const char* output;  // -o, in a fresh folder
        const char* media;   // where the package keeps its pictures; null: no package
    } cases[] = {
        {"docx", "out.docx", "word/media/"}, {"pptx", "out.pptx", "ppt/media/"}, {"xlsx", "out.xlsx", nullptr},
        {"csv", "out.csv", nullptr},         {"html", "out.html", nullptr},      {"png", "out", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format);
        const std::string out = pathJoin(freshFolder(std::string("huge-image-") + c.format), c.output);
        const LimitedRun r = runLimited({"-i", input, "-o", out, "-f", c.format});
        // The formats that keep the picture say that it was reduced: the page is in the output,
        // named as one that could not be converted in full.
        if (c.media) {
            EXPECT_EQ(r.status, 3) << r.errors;
            EXPECT_NE(r.errors.find("Left out of page 1: 1 images reduced to fit the memory bound"), std::string::npos)
                << r.errors;
        } else {
            EXPECT_EQ(r.status, 0) << r.errors;
        }
        EXPECT_LT(r.peakKilobytes, 300 * 1024) << r.errors;
        EXPECT_LT(r.seconds, 30.0);
        ASSERT_TRUE(fileExists(out)) << r.errors;
        if (!c.media) continue;
        const std::vector<std::string> pictures = entriesUnder(out, c.media);
        ASSERT_EQ(pictures.size(), 1u) << r.errors;
        std::string bytes;
        ASSERT_EQ(test::runCommand("unzip -p " + shellQuoted(out) + " " + shellQuoted(pictures[0]), &bytes), 0);
        ImageRef picture = readImageData(bytes);
        ASSERT_TRUE(picture) << pictures[0];
        EXPECT_GE(picture->width, 400 * 300 / 72);
        EXPECT_LE(picture->width, 8192);
        EXPECT_EQ(picture->width, picture->height);
        const RGBA middle = pixelAt(*toRGBA8(picture), picture->width / 2, picture->height / 2);
        EXPECT_EQ(middle, (RGBA{0, 0, 0, 255}));
    }
}

// An image whose single row is beyond what a decode may hold cannot be had at any reduction: the
// outputs that decode images fail its page (status 3, the page named on standard error with the
// image's size) and still write the document with the other pages.
TEST(CommandLineImageBudget, AnImageNoReductionBringsWithinTheBudgetFailsItsPage) {
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer reserves more address space than the limit";
#endif
    const std::string input = test::writeTemp("cli-endless-row.pdf", zeroImagePage(3000000, 1, true));
    for (const char* format : {"docx", "pptx"}) {
        SCOPED_TRACE(format);
        const std::string out = pathJoin(freshFolder(std::string("endless-row-") + format), std::string("out.") + format);
        const LimitedRun r = runLimited({"-i", input, "-o", out, "-f", format});
        EXPECT_EQ(r.status, 3) << r.errors;
        EXPECT_NE(r.errors.find("Image is too large to decode:"), std::string::npos) << r.errors;
        EXPECT_NE(r.errors.find("(3000000 x 1)"), std::string::npos) << r.errors;
        EXPECT_NE(r.errors.find("Conversion Page Failed: \"Can't convert the PDF Page.(2)\""), std::string::npos) << r.errors;
        EXPECT_NE(r.errors.find("Conversion end Failed: \"1 of 2 pages could not be converted.\""), std::string::npos)
            << r.errors;
        EXPECT_TRUE(isRegularFile(out)) << r.errors;
        EXPECT_LT(r.peakKilobytes, 300 * 1024) << r.errors;
    }
}
