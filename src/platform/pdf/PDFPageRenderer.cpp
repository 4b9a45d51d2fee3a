#include "platform/pdf/PDFPageRenderer.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <mutex>
#include <limits>
#include <optional>
#include <string>
#include <thread>
#include <unordered_set>
#include <vector>

#include "platform/BitmapContext.h"
#include "platform/LeftOut.h"
#include "platform/pdf/PDFDocument.h"
#include "platform/pdf/PDFSession_p.h"

namespace kx {

namespace {

// ---- Functions the renderer must not be given ----
//
// The renderer evaluates the functions of shadings, tint transforms and transfer functions
// without the limits the interpreter sets itself: a sampled function whose sample count overflows
// reads far outside its table, and a calculator program nested thousands of levels deep exhausts
// the stack. Such functions are looked for before a page is drawn, with the interpreter's limits.

constexpr std::int64_t kMaxSampledValues = std::int64_t(1) << 22;
constexpr size_t kMaxCalculatorTokens = 65536;
constexpr int kMaxCalculatorNesting = 64;
// Containers (dictionaries and arrays) looked at per page at most; beyond it the page is drawn
// unchecked, as it would be without the check.
constexpr size_t kMaxCheckedContainers = 200000;

bool sampledFunctionIsSafe(const PDFObject& dict) {
    PDFObject size = dict.dictGet("Size");
    PDFObject range = dict.dictGet("Range");
    if (!size.isArray()) return true;  // the renderer refuses it itself
    std::int64_t total = std::max<std::int64_t>(1, static_cast<std::int64_t>(range.arrayCount() / 2));
    for (size_t i = 0; i < size.arrayCount(); ++i) {
        std::int64_t n = 0;
        if (!size.arrayAt(i).getInteger(n)) return true;
        if (n < 0 || (n > 0 && total > kMaxSampledValues / n)) return false;
        total *= std::max<std::int64_t>(n, 1);
    }
    return total <= kMaxSampledValues;
}

bool calculatorFunctionIsSafe(const PDFObject& stream) {
    std::optional<std::string> program = stream.streamData();
    if (!program) return true;
    size_t tokens = 0;
    int depth = 0;
    bool inToken = false;
    for (char c : *program) {
        if (c == '{') {
            if (++depth > kMaxCalculatorNesting) return false;
        } else if (c == '}') {
            --depth;
        }
        bool tokenChar = c != ' ' && c != '\n' && c != '\r' && c != '\t' && c != '\f' && c != '\0';
        if (tokenChar && (!inToken || c == '{' || c == '}')) ++tokens;
        inToken = tokenChar && c != '{' && c != '}';
        if (tokens > kMaxCalculatorTokens) return false;
    }
    return true;
}

// Objects that belong to the document's structure rather than to what a page draws; a walk that
// reaches one (through a back reference) goes no further.
bool isStructure(const PDFObject& dict) {
    PDFObject type = dict.dictGet("Type");
    return type.isName("Page") || type.isName("Pages") || type.isName("Catalog") || type.isName("Annot") ||
           type.isName("Outlines");
}

// False when something the page draws (its resources, those of its forms, patterns, soft masks and
// Type 3 fonts, and its annotations' appearances) holds a function the renderer cannot take.
bool pageFunctionsAreSafe(const PDFPage& page) {
    std::vector<PDFObject> pending{page.resources(), page.dictionary().dictGet("Group")};
    PDFObject annots = page.dictionary().dictGet("Annots");
    for (size_t i = 0; i < annots.arrayCount(); ++i) pending.push_back(annots.arrayAt(i).dictGet("AP"));

    std::unordered_set<std::uintptr_t> seen;
    while (!pending.empty()) {
        PDFObject object = std::move(pending.back());
        pending.pop_back();
        if (!object.isArray() && !object.isDictionary()) continue;
        if (!seen.insert(object.identity()).second) continue;
        if (seen.size() > kMaxCheckedContainers) return true;
        if (object.isArray()) {
            for (size_t i = 0; i < object.arrayCount(); ++i) pending.push_back(object.arrayAt(i));
            continue;
        }
        if (isStructure(object)) continue;
        std::int64_t functionType = -1;
        if (object.dictGet("FunctionType").getInteger(functionType)) {
            if (functionType == 0 && !sampledFunctionIsSafe(object)) return false;
            if (functionType == 4 && object.isStream() && !calculatorFunctionIsSafe(object)) return false;
        }
        for (size_t i = 0; i < object.dictCount(); ++i)
            if (object.dictKeyAt(i) != "Parent") pending.push_back(object.dictValueAt(i));
    }
    return true;
}

// ---- Bounded drawing ----
//
// A page can ask for unbounded work without any cycle (forms that each draw the next one many
// times over). The drawing is watched from a second thread and abandoned once it has taken longer
// than any real page needs; the page then fails instead of hanging the conversion.

std::atomic<std::int64_t> gDrawingTimeLimitMs{30000};

class DrawingWatch {
public:
    explicit DrawingWatch(fz_cookie& cookie)
        : cookie_(cookie), limit_(gDrawingTimeLimitMs.load()), thread_([this] { watch(); }) {}
    ~DrawingWatch() {
        {
            std::lock_guard lock(mutex_);
            done_ = true;
        }
        wake_.notify_all();
        thread_.join();
    }
    DrawingWatch(const DrawingWatch&) = delete;
    DrawingWatch& operator=(const DrawingWatch&) = delete;

    bool abandoned() const { return abandoned_.load(); }

private:
    void watch() {
        std::unique_lock lock(mutex_);
        if (wake_.wait_for(lock, limit_, [this] { return done_; })) return;
        // The cookie is MuPDF's unsynchronised channel: the renderer polls `abort`.
        std::atomic_ref<int>(cookie_.abort).store(1, std::memory_order_relaxed);
        abandoned_ = true;
    }

    fz_cookie& cookie_;
    std::chrono::milliseconds limit_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool done_ = false;
    std::atomic<bool> abandoned_{false};
    std::thread thread_;
};

// ---- Tiling patterns that repeat without end ----
//
// The draw device repeats a tiling pattern's tile over the filled area once per period, however
// small the period is in device space, and does not look at the cookie while it does: a step of a
// thousandth of a unit over a page is billions of copies. The device's tile operations are wrapped:
// a tile that would be repeated more often than any real pattern is, is not tiled; its cell is
// then drawn once where it stands (the renderer draws the cell's content straight into the page
// when the device does not take the tile).

constexpr double kMaxTileCopies = 1 << 20;

struct TileGuard {
    fz_device* device = nullptr;
    int (*beginTile)(fz_context*, fz_device*, fz_rect, fz_rect, float, float, fz_matrix, int) = nullptr;
    void (*endTile)(fz_context*, fz_device*) = nullptr;
    std::vector<bool> forwarded;  // per open tile: whether the device took it
};

thread_local TileGuard tTileGuard;

int guardedBeginTile(fz_context* ctx, fz_device* dev, fz_rect area, fz_rect view, float xstep, float ystep,
                     fz_matrix ctm, int id) {
    TileGuard& guard = tTileGuard;
    const double period = std::fabs(static_cast<double>(ctm.a) * ctm.d - static_cast<double>(ctm.b) * ctm.c) *
                          std::fabs(static_cast<double>(xstep) * ystep);
    const double covered = (static_cast<double>(area.x1) - area.x0) * (static_cast<double>(area.y1) - area.y0);
    const double copies = covered / period;
    const bool take = std::isfinite(copies) && copies <= kMaxTileCopies;
    guard.forwarded.push_back(take);
    return take ? guard.beginTile(ctx, dev, area, view, xstep, ystep, ctm, id) : 0;
}

void guardedEndTile(fz_context* ctx, fz_device* dev) {
    TileGuard& guard = tTileGuard;
    bool forwarded = true;
    if (!guard.forwarded.empty()) {
        forwarded = guard.forwarded.back();
        guard.forwarded.pop_back();
    }
    if (forwarded) guard.endTile(ctx, dev);
}

// Wraps the device's tile operations for one drawing on this thread (plain functions: they run
// inside the renderer's error handling, where no object with a destructor may live).
void guardTiles(fz_device* device) {
    TileGuard& guard = tTileGuard;
    guard.device = device;
    guard.beginTile = device->begin_tile;
    guard.endTile = device->end_tile;
    guard.forwarded.clear();
    if (device->begin_tile && device->end_tile) {
        device->begin_tile = guardedBeginTile;
        device->end_tile = guardedEndTile;
    }
}

void releaseTileGuard() {
    tTileGuard.device = nullptr;
    tTileGuard.forwarded.clear();
}

// ---- Paths that cost more than any real page ----
//
// Filling or stroking a path costs the draw device a step for every row of pixels each edge
// crosses within the page, and more where edges cross each other: one path of a few hundred
// thousand segments across the page takes minutes, and stroked, an edge list of gigabytes, however
// small its file; so do a few dozen such paths of a few thousand segments each. The rows crossed by
// the edges of the page's paths are counted against the budget of a bitmap of the page's size
// (kx::BitmapContext::edgeRowBudget), which grows with the resolution. A path that would go past it,
// or past the most one path may take (kx::BitmapContext::kMostPathRows), is drawn simplified to the
// pixels (kx::PixelPathSimplifier), a stroke in pieces, and cut off where the budget ends. A
// clip path is scan converted once, into the mask that what is painted under it goes through, and
// counted once; a rectangle upright on the page is only a box for the device, and costs nothing. A
// clip past the budget lets nothing through. What is left out is noted (kx::LeftOut).

struct PathGuard {
    void (*fillPath)(fz_context*, fz_device*, const fz_path*, int, fz_matrix, fz_colorspace*, const float*, float,
                     fz_color_params) = nullptr;
    void (*strokePath)(fz_context*, fz_device*, const fz_path*, const fz_stroke_state*, fz_matrix, fz_colorspace*,
                       const float*, float, fz_color_params) = nullptr;
    void (*clipPath)(fz_context*, fz_device*, const fz_path*, int, fz_matrix, fz_rect) = nullptr;
    void (*clipStrokePath)(fz_context*, fz_device*, const fz_path*, const fz_stroke_state*, fz_matrix,
                           fz_rect) = nullptr;
    double edgeRows = 0;  // of the paths drawn so far
    double budget = kx::BitmapContext::kLeastEdgeRows;
    double width = 0, height = 0;  // of the page's bitmap
};

thread_local PathGuard tPathGuard;

double rowsBetween(double y0, double y1) {
    const double h = tPathGuard.height;
    return std::fabs(std::clamp(y1, 0.0, h) - std::clamp(y0, 0.0, h));
}

// The rows a path's edges span in device space within the bitmap; a curve counts as its control
// polygon. Also whether the path is one rectangle upright in device space.
struct EdgeRows {
    fz_matrix ctm;
    fz_point current{}, start{};
    double spans = 0, edges = 0;
    int moves = 0, lines = 0, closes = 0, curves = 0;
    fz_point corners[5]{};

    void to(float x, float y) {
        const fz_point p = fz_transform_point(fz_make_point(x, y), ctm);
        spans += rowsBetween(current.y, p.y);
        current = p;
    }
    bool isUprightRect() const {
        if (moves != 1 || curves != 0 || closes > 1 || (lines != 3 && lines != 4)) return false;
        if (lines == 4 && !(corners[4].x == corners[0].x && corners[4].y == corners[0].y)) return false;
        for (int i = 0; i < 4; ++i) {
            const fz_point a = corners[i], b = corners[(i + 1) % 4], c = corners[(i + 2) % 4];
            const bool level = a.y == b.y, plumb = a.x == b.x, nextLevel = b.y == c.y, nextPlumb = b.x == c.x;
            if (!(level && nextPlumb) && !(plumb && nextLevel)) return false;
        }
        return true;
    }
};

EdgeRows& rowsOf(void* arg) { return *static_cast<EdgeRows*>(arg); }

void rowsMoveTo(fz_context*, void* arg, float x, float y) {
    EdgeRows& r = rowsOf(arg);
    r.current = r.start = fz_transform_point(fz_make_point(x, y), r.ctm);
    if (r.moves++ == 0) r.corners[0] = r.current;
}

void rowsLineTo(fz_context*, void* arg, float x, float y) {
    EdgeRows& r = rowsOf(arg);
    r.to(x, y);
    r.edges += 1;
    if (++r.lines < 5) r.corners[r.lines] = r.current;
}

void rowsCurveTo(fz_context*, void* arg, float x1, float y1, float x2, float y2, float x3, float y3) {
    EdgeRows& r = rowsOf(arg);
    r.to(x1, y1);
    r.to(x2, y2);
    r.to(x3, y3);
    r.edges += 1;
    r.curves += 1;
}

void rowsClose(fz_context*, void* arg) {
    EdgeRows& r = rowsOf(arg);
    r.spans += rowsBetween(r.start.y, r.current.y);
    r.current = r.start;
    r.edges += 1;
    r.closes += 1;
}

EdgeRows edgeRowsOf(fz_context* ctx, const fz_path* path, fz_matrix ctm) {
    const fz_path_walker walker = {rowsMoveTo, rowsLineTo, rowsCurveTo, rowsClose, nullptr, nullptr, nullptr, nullptr};
    EdgeRows rows{ctm};
    fz_walk_path(ctx, path, &walker, &rows);
    return rows;
}

// The width in pixels of a stroke; a negative width for a fill.
double strokePixels(const fz_stroke_state* stroke, fz_matrix ctm) {
    return stroke ? std::fabs(static_cast<double>(stroke->linewidth) * fz_matrix_expansion(ctm)) : -1.0;
}

double costOf(const EdgeRows& rows, double width) {
    return width >= 0 ? kx::BitmapContext::strokeRows(rows.spans, rows.edges, width)
                      : kx::BitmapContext::fillRows(rows.spans, rows.edges);
}

// Whether the cost fits in what is left of the page's budget; it is counted in when it does.
bool take(double cost) {
    if (!std::isfinite(cost) || cost > tPathGuard.budget - tPathGuard.edgeRows) return false;
    tPathGuard.edgeRows += cost;
    return true;
}

// Whether a path of this cost may be drawn as it is given: within the most one path may take, and
// within what is left of the page's budget; it is counted in when it may.
bool takeWhole(double cost) { return cost <= kx::BitmapContext::kMostPathRows && take(cost); }

fz_path* newPathOrNull(fz_context* ctx) {
    fz_path* path;
    fz_var(path);
    path = nullptr;
    fz_try(ctx) { path = fz_new_path(ctx); }
    fz_catch(ctx) { path = nullptr; }
    return path;
}

// Builds the simplified path in user space (the device points taken back through the inverse of
// the path's transform). MuPDF's calls are guarded here: an error leaves the path as it stands.
class UserPathSink : public kx::PixelPathSimplifier::Sink {
public:
    // A stroke is made of pieces of `pieceEdges` edges each (none for a fill), stroked one after
    // another: the scan converter sorts all the edges that cross a row again wherever two of them
    // cross, and the pieces of a line over thousands of columns each cross a few rows only.
    UserPathSink(fz_context* ctx, fz_matrix toUser, int pieceEdges)
        : ctx_(ctx), toUser_(toUser), pieceEdges_(pieceEdges) {}
    void moveTo(kx::Point p) override {
        start_ = last_ = before_ = p;
        split_ = false;
        if ((paths_.empty() || (pieceEdges_ > 0 && edges_ >= pieceEdges_)) && !newPiece()) return;
        add(0, p);
    }
    void lineTo(kx::Point p) override {
        if (pieceEdges_ > 0 && edges_ >= pieceEdges_) {
            // The new piece takes the last edge again, so that the join at its end is drawn.
            if (!newPiece()) return;
            split_ = true;
            add(0, before_);
            if (!(before_ == last_)) add(1, last_);
        }
        add(1, p);
        before_ = last_;
        last_ = p;
        ++edges_;
    }
    void close() override {
        if (split_) add(1, start_);
        else add(2, {});
        before_ = last_;
        last_ = start_;
        ++edges_;
    }
    std::vector<fz_path*> paths_;

private:
    // A fill is one path; a stroke starts a new piece every pieceEdges edges.
    bool newPiece() {
        fz_path* path = newPathOrNull(ctx_);
        if (!path) return false;
        paths_.push_back(path);
        edges_ = 0;
        return true;
    }
    void add(int op, kx::Point p) {
        if (paths_.empty()) return;
        fz_path* path = paths_.back();
        const fz_point u = fz_transform_point(fz_make_point(static_cast<float>(p.x), static_cast<float>(p.y)), toUser_);
        fz_try(ctx_) {
            if (op == 0) fz_moveto(ctx_, path, u.x, u.y);
            else if (op == 1) fz_lineto(ctx_, path, u.x, u.y);
            else fz_closepath(ctx_, path);
        }
        fz_catch(ctx_) {}
    }
    fz_context* ctx_;
    fz_matrix toUser_;
    int pieceEdges_;
    int edges_ = 0;
    bool split_ = false;
    kx::Point start_{}, last_{}, before_{};
};

class NullSink : public kx::PixelPathSimplifier::Sink {
public:
    void moveTo(kx::Point) override {}
    void lineTo(kx::Point) override {}
    void close() override {}
};

struct SimplifyWalk {
    fz_matrix ctm;
    kx::PixelPathSimplifier* simple;
    kx::Point device(float x, float y) const {
        const fz_point p = fz_transform_point(fz_make_point(x, y), ctm);
        return {p.x, p.y};
    }
};

SimplifyWalk& walkOf(void* arg) { return *static_cast<SimplifyWalk*>(arg); }
void simpleMoveTo(fz_context*, void* arg, float x, float y) { walkOf(arg).simple->moveTo(walkOf(arg).device(x, y)); }
void simpleLineTo(fz_context*, void* arg, float x, float y) { walkOf(arg).simple->lineTo(walkOf(arg).device(x, y)); }
void simpleCurveTo(fz_context*, void* arg, float x1, float y1, float x2, float y2, float x3, float y3) {
    SimplifyWalk& w = walkOf(arg);
    w.simple->curveTo(w.device(x1, y1), w.device(x2, y2), w.device(x3, y3));
}
void simpleClose(fz_context*, void* arg) { walkOf(arg).simple->close(); }

// The path simplified to the pixels within what is left of the budget (counted in), as one path for
// a fill and in pieces for a stroke (`width` of zero or more); none when nothing of it fits. `cut`
// says whether part of it was left out.
std::vector<fz_path*> simplifiedPath(fz_context* ctx, const fz_path* path, fz_matrix ctm, double width, bool& cut) {
    cut = true;
    const double det = static_cast<double>(ctm.a) * ctm.d - static_cast<double>(ctm.b) * ctm.c;
    if (!(std::fabs(det) > 1e-12)) return {};
    const fz_path_walker walker = {simpleMoveTo, simpleLineTo, simpleCurveTo, simpleClose,
                                   nullptr,      nullptr,      nullptr,       nullptr};
    // The simplified path's edges first: a path that keeps more than a line through the pixels can
    // is cut at the most one path may take.
    NullSink none;
    kx::PixelPathSimplifier probe(none, tPathGuard.height, width, std::numeric_limits<double>::infinity());
    SimplifyWalk probeWalk{ctm, &probe};
    fz_try(ctx) { fz_walk_path(ctx, path, &walker, &probeWalk); }
    fz_catch(ctx) {}
    probe.finish();
    double limit = std::max(0.0, tPathGuard.budget - tPathGuard.edgeRows);
    if (probe.edges() > kx::BitmapContext::kSimplifiedEdgesPerPixel * (tPathGuard.width + tPathGuard.height))
        limit = std::min(limit, kx::BitmapContext::kMostPathRows);
    UserPathSink sink(ctx, fz_invert_matrix(ctm), width >= 0 ? 256 : 0);
    kx::PixelPathSimplifier simple(sink, tPathGuard.height, width, limit);
    SimplifyWalk walk{ctm, &simple};
    fz_try(ctx) { fz_walk_path(ctx, path, &walker, &walk); }
    fz_catch(ctx) {}
    simple.finish();
    EdgeRows rows{ctm};
    rows.spans = simple.spans();
    rows.edges = simple.edges();
    cut = simple.cut();
    if (!simple.emitted()) {
        for (fz_path* p : sink.paths_) fz_drop_path(ctx, p);
        return {};
    }
    tPathGuard.edgeRows += costOf(rows, width);
    return std::move(sink.paths_);
}

// Draws each held path with `draw`, and drops them all, also when the renderer throws.
template <typename Draw>
void drawHeld(fz_context* ctx, fz_path** held, size_t count, Draw& draw) {
    size_t i;
    fz_var(i);
    i = 0;
    fz_try(ctx) {
        for (; i < count; ++i) draw(held[i]);
    }
    fz_always(ctx) {
        for (size_t k = 0; k < count; ++k) fz_drop_path(ctx, held[k]);
        delete[] held;
    }
    fz_catch(ctx) { fz_rethrow(ctx); }
}

// Draws the pieces with `draw`; plain code between the renderer's error handling: the pieces are
// held in a plain array while they are drawn.
template <typename Draw>
void drawPieces(fz_context* ctx, std::vector<fz_path*>&& pieces, bool cut, Draw draw) {
    if (pieces.empty()) {
        kx::LeftOut::note("paths past the drawing budget of a picture");
        return;
    }
    if (cut) kx::LeftOut::note("parts of paths past the drawing budget of a picture");
    fz_path** held = new fz_path*[pieces.size()];
    const size_t count = pieces.size();
    std::copy(pieces.begin(), pieces.end(), held);
    std::vector<fz_path*>().swap(pieces);
    drawHeld(ctx, held, count, draw);
}

void guardedFillPath(fz_context* ctx, fz_device* dev, const fz_path* path, int evenOdd, fz_matrix ctm,
                     fz_colorspace* space, const float* color, float alpha, fz_color_params params) {
    if (takeWhole(costOf(edgeRowsOf(ctx, path, ctm), -1))) {
        tPathGuard.fillPath(ctx, dev, path, evenOdd, ctm, space, color, alpha, params);
        return;
    }
    bool cut = true;
    std::vector<fz_path*> pieces = simplifiedPath(ctx, path, ctm, -1, cut);
    drawPieces(ctx, std::move(pieces), cut, [&](fz_path* piece) {
        tPathGuard.fillPath(ctx, dev, piece, evenOdd, ctm, space, color, alpha, params);
    });
}

void guardedStrokePath(fz_context* ctx, fz_device* dev, const fz_path* path, const fz_stroke_state* stroke,
                       fz_matrix ctm, fz_colorspace* space, const float* color, float alpha, fz_color_params params) {
    const double width = strokePixels(stroke, ctm);
    if (takeWhole(costOf(edgeRowsOf(ctx, path, ctm), width))) {
        tPathGuard.strokePath(ctx, dev, path, stroke, ctm, space, color, alpha, params);
        return;
    }
    bool cut = true;
    std::vector<fz_path*> pieces = simplifiedPath(ctx, path, ctm, width, cut);
    drawPieces(ctx, std::move(pieces), cut, [&](fz_path* piece) {
        tPathGuard.strokePath(ctx, dev, piece, stroke, ctm, space, color, alpha, params);
    });
}

// Clips to nothing: an empty path, so that the clip is still pushed and popped in turn.
void clipToNothing(fz_context* ctx, fz_device* dev, fz_matrix ctm, fz_rect scissor) {
    fz_path* empty = fz_new_path(ctx);
    fz_try(ctx) { tPathGuard.clipPath(ctx, dev, empty, 0, ctm, scissor); }
    fz_always(ctx) { fz_drop_path(ctx, empty); }
    fz_catch(ctx) { fz_rethrow(ctx); }
}

// Whether a clip path may be drawn: an upright rectangle always, free; another path when its rows
// fit, counted once.
bool isClipDrawable(fz_context* ctx, const fz_path* path, const fz_stroke_state* stroke, fz_matrix ctm) {
    const EdgeRows rows = edgeRowsOf(ctx, path, ctm);
    if (!stroke && rows.isUprightRect()) return true;
    if (take(costOf(rows, strokePixels(stroke, ctm)))) return true;
    kx::LeftOut::note("clips past the drawing budget of a picture");
    return false;
}

void guardedClipPath(fz_context* ctx, fz_device* dev, const fz_path* path, int evenOdd, fz_matrix ctm,
                     fz_rect scissor) {
    if (isClipDrawable(ctx, path, nullptr, ctm)) tPathGuard.clipPath(ctx, dev, path, evenOdd, ctm, scissor);
    else clipToNothing(ctx, dev, ctm, scissor);
}

void guardedClipStrokePath(fz_context* ctx, fz_device* dev, const fz_path* path, const fz_stroke_state* stroke,
                           fz_matrix ctm, fz_rect scissor) {
    if (isClipDrawable(ctx, path, stroke, ctm)) tPathGuard.clipStrokePath(ctx, dev, path, stroke, ctm, scissor);
    else clipToNothing(ctx, dev, ctm, scissor);
}

// Wraps the device's path painting and clipping for one drawing on this thread.
void guardPaths(fz_device* device, int width, int height) {
    tPathGuard.budget = kx::BitmapContext::edgeRowBudget(width, height);
    tPathGuard.width = width;
    tPathGuard.height = height;
    tPathGuard.fillPath = device->fill_path;
    tPathGuard.strokePath = device->stroke_path;
    tPathGuard.clipPath = device->clip_path;
    tPathGuard.clipStrokePath = device->clip_stroke_path;
    tPathGuard.edgeRows = 0;
    if (device->fill_path) device->fill_path = guardedFillPath;
    if (device->stroke_path) device->stroke_path = guardedStrokePath;
    // A clip past the budget is replaced by an empty one, which needs the device's own path clip.
    if (device->clip_path) {
        device->clip_path = guardedClipPath;
        if (device->clip_stroke_path) device->clip_stroke_path = guardedClipStrokePath;
    }
}

// Runs the page through a draw device into `pixmap`; false when MuPDF gave up or the drawing was
// abandoned.
bool drawPage(fz_context* ctx, pdf_document* doc, int index, fz_matrix userToDevice, fz_pixmap* pixmap) {
    fz_cookie cookie{};
    DrawingWatch watch(cookie);
    fz_cookie* cookiePointer = &cookie;
    pdf_page* page;
    fz_var(page);
    fz_device* device;
    fz_var(device);
    bool ok;
    fz_var(ok);
    page = nullptr;
    device = nullptr;
    ok = false;
    fz_try(ctx) {
        // Loaded by the page look-up itself: the usual entry first checks the number against the
        // declared /Count, which may say fewer pages than the tree holds (PDFDocument::pageCount).
        page = reinterpret_cast<pdf_page*>(pdf_load_page_imp(ctx, &doc->super, 0, index));
        // pdf_run_page puts the page's own transform (rotation, y flip, crop origin) first; undo
        // it so that the caller's transform acts on user space.
        fz_rect mediabox;
        fz_matrix pageTransform;
        pdf_page_transform(ctx, page, &mediabox, &pageTransform);
        fz_matrix ctm = fz_concat(fz_invert_matrix(pageTransform), userToDevice);
        device = fz_new_draw_device(ctx, fz_identity, pixmap);
        guardTiles(device);
        guardPaths(device, fz_pixmap_width(ctx, pixmap), fz_pixmap_height(ctx, pixmap));
        pdf_run_page(ctx, page, device, ctm, cookiePointer);
        fz_close_device(ctx, device);
        ok = true;
    }
    fz_always(ctx) {
        fz_drop_device(ctx, device);
        if (page) fz_drop_page(ctx, &page->super);
    }
    fz_catch(ctx) { ok = false; }
    releaseTileGuard();
    return ok && !watch.abandoned() && !cookie.abort;
}

fz_pixmap* wrapPixels(fz_context* ctx, Image& image) {
    fz_pixmap* pixmap;
    fz_var(pixmap);
    pixmap = nullptr;
    fz_try(ctx) {
        pixmap = fz_new_pixmap_with_data(ctx, fz_device_rgb(ctx), image.width, image.height, nullptr, 0,
                                         static_cast<int>(image.stride()), image.pixels.data());
    }
    fz_catch(ctx) { pixmap = nullptr; }
    return pixmap;
}

}  // namespace

void setPageDrawingTimeLimit(std::chrono::milliseconds limit) { gDrawingTimeLimitMs = limit.count(); }

std::chrono::milliseconds pageDrawingTimeLimit() { return std::chrono::milliseconds(gDrawingTimeLimitMs.load()); }

std::shared_ptr<Image> renderPDFPage(const PDFPage& page, const AffineTransform& transform, int width, int height) {
    if (!isBitmapSizeAllowed(width, height) || !page.document()) return nullptr;
    const auto& session = page.document()->session();
    if (!session || !session->ctx || !session->doc) return nullptr;
    if (!pageFunctionsAreSafe(page)) return nullptr;
    auto image = std::make_shared<Image>();
    image->width = width;
    image->height = height;
    image->format = PixelFormat::RGB8;
    image->pixels.assign(image->stride() * static_cast<size_t>(height), std::uint8_t(255));  // white

    fz_context* ctx = session->ctx;
    fz_pixmap* pixmap = wrapPixels(ctx, *image);
    if (!pixmap) return nullptr;
    // Our transform ends in a y-up bitmap; MuPDF's device space runs downwards.
    fz_matrix userToBitmap = {static_cast<float>(transform.a),  static_cast<float>(transform.b),
                              static_cast<float>(transform.c),  static_cast<float>(transform.d),
                              static_cast<float>(transform.tx), static_cast<float>(transform.ty)};
    fz_matrix flip = {1, 0, 0, -1, 0, static_cast<float>(height)};
    bool ok = drawPage(ctx, session->doc, page.pageNumber() - 1, fz_concat(userToBitmap, flip), pixmap);
    fz_drop_pixmap(ctx, pixmap);
    if (!ok) return nullptr;
    return image;
}

}  // namespace kx
