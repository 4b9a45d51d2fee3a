// Pictures of dense drawings: pages drawn the way chart, map and plotting programs write them, each
// mark painted under the page's clip or in a clip of its own, drawn into a picture of the page at
// 144 and at 600 dpi. Every mark is drawn, in bounded time, and nothing is said to be left out;
// crafted paths past the budget say what they left out.

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "docx/model/KXDocxPathCanvas.h"
#include "pdf/state/KXPDFCGPathUtilities.h"
#include "platform/BitmapContext.h"
#include "platform/LeftOut.h"
#include "support/TestSupport.h"

using namespace kx::test;

namespace {

const kx::Rect kPage(0, 0, 612, 792);
const kx::Rect kPlot(50, 80, 512, 632);

// A fixed-seed sequence of numbers in [0, 1).
struct Random {
    std::uint64_t state = 1;
    double next() {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<double>(state >> 11) / 9007199254740992.0;
    }
};

kx::Point plotPoint(Random& r) {
    return {kPlot.minX() + 2 + r.next() * (kPlot.width() - 4), kPlot.minY() + 2 + r.next() * (kPlot.height() - 4)};
}

std::shared_ptr<kx::ClipPathChain> clipTo(const kx::Path& path) {
    return std::make_shared<kx::ClipPathChain>(kx::ClipPathChain::Paths{
        KXPDFClipPath::NewClipPathArray(*KXPDFCGPathUtilities::NSArrayWithCGPath(path), KXPDFClipPath::NonZero)});
}

kx::Path rectangle(const kx::Rect& r) {
    kx::Path p;
    p.addRect(r);
    return p;
}

KXDocxPathInfo paint(bool fill, bool stroke, double weight) {
    KXDocxPathInfo info;
    info.setFilled(fill);
    info.setStroked(stroke);
    info.setFillAlpha(1);
    info.setStrokeAlpha(1);
    info.setFillcolor(kx::Color{0.1, 0.2, 0.7, 1});
    info.setStrokecolor(kx::Color{0.2, 0.2, 0.2, 1});
    info.setStrokeweight(weight);
    return info;
}

// One mark: its path, paint and clip, and the point that must show it.
struct Mark {
    kx::Path path;
    KXDocxPathInfo info;
    std::shared_ptr<kx::ClipPathChain> clips;
    kx::Point centre;
};

std::vector<Mark> scatter(int n, bool ownClip, const kx::Path& sharedClip) {
    Random r;
    auto shared = clipTo(sharedClip);
    std::vector<Mark> marks;
    for (int i = 0; i < n; ++i) {
        const kx::Point c = plotPoint(r);
        marks.push_back({rectangle(kx::Rect(c.x - 1, c.y - 1, 2, 2)), paint(true, false, 0),
                         ownClip ? clipTo(rectangle(kPlot)) : shared, c});
    }
    return marks;
}

std::vector<Mark> map(int n) {
    Random r;
    auto shared = clipTo(rectangle(kPlot));
    const double radius = std::max(1.6, std::sqrt(kPlot.width() * kPlot.height() / n / M_PI) * 1.1);
    std::vector<Mark> marks;
    for (int i = 0; i < n; ++i) {
        const kx::Point c = plotPoint(r);
        const int corners = 10 + static_cast<int>(r.next() * 21);
        kx::Path p;
        for (int k = 0; k < corners; ++k) {
            const double a = 2 * M_PI * k / corners, d = radius * (0.6 + 0.4 * r.next());
            const kx::Point q{c.x + d * std::cos(a), c.y + d * std::sin(a)};
            if (k == 0) p.moveTo(q);
            else p.lineTo(q);
        }
        p.closeSubpath();
        marks.push_back({p, paint(true, true, 0.3), shared, c});
    }
    return marks;
}

std::vector<Mark> chart(int n) {
    Random r;
    std::vector<Mark> marks;
    const int series = 20, per = n / series;
    for (int s = 0; s < series; ++s) {
        double y = kPlot.minY() + 20 + r.next() * (kPlot.height() - 40);
        for (int j = 0; j < per; ++j) {
            const double xa = kPlot.minX() + kPlot.width() * j / per, xb = kPlot.minX() + kPlot.width() * (j + 1) / per;
            const double yb = std::clamp(y + (r.next() - 0.5) * 12, kPlot.minY() + 5, kPlot.maxY() - 5);
            kx::Path p;
            p.moveTo({xa, y});
            p.lineTo({xb, yb});
            marks.push_back({p, paint(false, true, 1), clipTo(rectangle(kPlot)), {(xa + xb) / 2, (y + yb) / 2}});
            y = yb;
        }
    }
    return marks;
}

// Marks shown by one path stroked `weight` wide under the page's clip: the first mark carries it.
std::vector<Mark> strokedAsOne(kx::Path path, std::vector<kx::Point> centres, double weight) {
    std::vector<Mark> marks;
    for (const kx::Point& c : centres) marks.push_back({{}, {}, nullptr, c});
    marks.front().path = std::move(path);
    marks.front().info = paint(false, true, weight);
    marks.front().clips = clipTo(rectangle(kPage));
    return marks;
}

// One line through n points, each at a random height over most of the plot: every point is a mark.
std::vector<Mark> waveform(int n) {
    Random r;
    kx::Path p;
    std::vector<kx::Point> points;
    for (int i = 0; i < n; ++i) {
        const kx::Point q{kPlot.minX() + kPlot.width() * i / (n - 1), kPlot.minY() + 10 + r.next() * (kPlot.height() - 20)};
        if (i == 0) p.moveTo(q);
        else p.lineTo(q);
        points.push_back(q);
    }
    return strokedAsOne(std::move(p), std::move(points), 0.5);
}

// A CAD layer: n short lines in one path, stroked; each line is a mark.
std::vector<Mark> layer(int n) {
    Random r;
    kx::Path p;
    std::vector<kx::Point> centres;
    for (int i = 0; i < n; ++i) {
        const kx::Point c = plotPoint(r);
        const double a = r.next() * M_PI;
        p.moveTo({c.x - 1.5 * std::cos(a), c.y - 1.5 * std::sin(a)});
        p.lineTo({c.x + 1.5 * std::cos(a), c.y + 1.5 * std::sin(a)});
        centres.push_back(c);
    }
    return strokedAsOne(std::move(p), std::move(centres), 0.3);
}

// A diamond around the plot: a clip that is no rectangle.
kx::Path diamond() {
    kx::Path p;
    p.moveTo({kPlot.midX(), kPlot.midY() - 700});
    p.lineTo({kPlot.midX() + 600, kPlot.midY()});
    p.lineTo({kPlot.midX(), kPlot.midY() + 700});
    p.lineTo({kPlot.midX() - 600, kPlot.midY()});
    p.closeSubpath();
    return p;
}

}  // namespace

// Each page's marks are drawn into a picture of the page; at each sampled mark's centre the
// picture shows paint. Markers under the page's clip or each in a clip of its own, polygons of a map
// and segments of a chart under the plot's clip, markers under a clip that is no rectangle, a line
// of 50,000 points and a CAD layer of 200,000 lines in one path (stroked in pieces, as the stroker
// would hold its whole outline), at 144 and 600 dpi: all drawn, within seconds, nothing left out.
TEST(KXDocxPathCanvas, DensePagesAreDrawnWhole) {
    struct Case {
        const char* name;
        std::function<std::vector<Mark>()> marks;
    };
    const Case cases[] = {
        {"scatter of 20,000 markers under the page clip", [] { return scatter(20000, false, rectangle(kPage)); }},
        {"scatter of 20,000 markers each in its own clip", [] { return scatter(20000, true, rectangle(kPage)); }},
        {"scatter of 20,000 markers under a clip that is no rectangle", [] { return scatter(20000, false, diamond()); }},
        {"map of 30,000 polygons under the plot clip", [] { return map(30000); }},
        {"chart of 20,000 segments each in its own clip", [] { return chart(20000); }},
        {"line of 50,000 points", [] { return waveform(50000); }},
        {"CAD layer of 200,000 lines in one path", [] { return layer(200000); }},
    };
    for (int dpi : {144, 600}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(c.name) + " at " + std::to_string(dpi) + " dpi");
            const std::vector<Mark> marks = c.marks();
            kx::LeftOut::begin();
            const auto start = std::chrono::steady_clock::now();
            auto canvas = KXDocxPathCanvas::createOver(kPage, dpi);
            ASSERT_TRUE(canvas);
            for (const Mark& m : marks)
                if (!m.path.isEmpty()) canvas->drawPath(m.path, m.info, m.clips.get());
            kx::ImageRef picture = canvas->context().makeImage();
            const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            ASSERT_TRUE(picture);
            EXPECT_LT(seconds, 20);
            EXPECT_EQ(kx::LeftOut::describe(kx::LeftOut::take()), "");
            // The picture's rows run down the page, as display space does.
            const double s = canvas->scale();
            int missing = 0, sampled = 0;
            for (size_t i = 0; i < marks.size(); i += std::max<size_t>(1, marks.size() / 2000)) {
                ++sampled;
                const int x = static_cast<int>(marks[i].centre.x * s), y = static_cast<int>(marks[i].centre.y * s);
                if (pixelAt(*picture, x, y)[3] == 0) ++missing;
            }
            EXPECT_EQ(missing, 0) << "of " << sampled << " sampled marks";
            std::printf("%s at %d dpi: %.2f s, %d of %d sampled marks shown\n", c.name, dpi, seconds, sampled - missing,
                        sampled);
            std::fflush(stdout);
        }
    }
}

// Crafted paths far past the budget of a picture: a fill of a quarter of a million segments
// crossing each other all over the page is drawn as far as the budget goes and the rest is said to
// be left out, as is a clip of it; a small square drawn after it still shows.
TEST(KXDocxPathCanvas, CraftedPathsPastTheBudgetSayWhatTheyLeaveOut) {
    kx::Path scattered;
    std::uint64_t h = 0;
    scattered.moveTo({300, 400});
    for (int i = 0; i < 262'000; ++i) {
        h = (static_cast<std::uint64_t>(i % 2000) + 1) * 0x9E3779B97F4A7C15ull;
        scattered.lineTo({static_cast<double>((h >> 20) % 613), static_cast<double>((h >> 40) % 793)});
    }
    struct Case {
        const char* name;
        bool asClip;
        const char* said;
    };
    const Case cases[] = {
        {"the fill", false, "1 parts of paths past the drawing budget of a picture"},
        {"a clip of it", true, "1 clips past the drawing budget of a picture"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        kx::LeftOut::begin();
        const auto start = std::chrono::steady_clock::now();
        auto canvas = KXDocxPathCanvas::createOver(kPage, 144);
        ASSERT_TRUE(canvas);
        const auto clip = c.asClip ? clipTo(scattered) : nullptr;
        canvas->drawPath(c.asClip ? rectangle(kPage) : scattered, paint(true, false, 0), clip.get());
        EXPECT_TRUE(canvas->drawPath(rectangle(kx::Rect(20, 20, 10, 10)), paint(true, false, 0)));
        kx::ImageRef picture = canvas->context().makeImage();
        EXPECT_LT(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(), 20);
        EXPECT_EQ(kx::LeftOut::describe(kx::LeftOut::take()), c.said);
        EXPECT_GT(pixelAt(*picture, 50, 50)[3], 0) << "the square";
    }
}
