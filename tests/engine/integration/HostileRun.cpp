#include "HostileRun.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <thread>

#include "engine/KXDocuvane.h"
#include "exporters/ExporterTable.h"
#include "fonts/KXPDFFont.h"
#include "pdf/interpreter/KXPDFConentParser.h"
#include "pdf/xobject/KXPDFImageXObject.h"
#include "pdf/KXPDFOutLineManager.h"
#include "pdf/shading/KXPDFPattern.h"
#include "pdf/shading/KXPDFShading.h"
#include "pdf/KXPDFUtilities.h"
#include "platform/BitmapContext.h"
#include "platform/Dispatch.h"
#include "platform/FileSystem.h"
#include "platform/pdf/PDFDocument.h"
#include "platform/pdf/PDFPageRenderer.h"
#include "support/TestSupport.h"

namespace kx::test {

namespace {

// The side of the small bitmaps that patterns and shadings are drawn into.
constexpr int kRasterSide = 48;

// Does with each report what an exporter does with it, on small bitmaps.
class WorkingDelegate : public KXPDFConentParserDelegate {
public:
    explicit WorkingDelegate(PipelineSummary& s) : s_(s) {}

    void didScanTextBox(KXPDFConentParser&, const kx::Rect&, const std::u16string& text, const std::string& fontName,
                        const KXPDFColor&, double fontSize, std::int64_t, bool, bool) override {
        ++s_.textBoxes;
        sink_ += text.size() + fontName.size() + (fontSize > 0 ? 1 : 0);
    }
    void didScanText(KXPDFConentParser& parser, const std::u16string& text, kx::Size offset) override {
        ++s_.texts;
        const KXPDFRenderState& state = parser.currentRenderingState();
        if (const auto& font = state.font()) {
            sink_ += font->fontName().size();
            metrics_ += font->ascent() - font->descent() + font->widthOfSpace();
        }
        metrics_ += offset.width + offset.height;
        sink_ += text.size();
    }
    void didScanPath(KXPDFConentParser&, const kx::Path& path, bool, bool) override {
        ++s_.paths;
        kx::Rect box = path.boundingBox();
        metrics_ += box.size.width;
    }
    void didScanPatternPath(KXPDFConentParser& parser, const kx::Path& path, bool stroke, bool fill) override {
        ++s_.patternPaths;
        const KXPDFRenderState& state = parser.currentRenderingState();
        for (const auto* pattern : {fill ? state.fillPattern().get() : nullptr,
                                    stroke ? state.strokePattern().get() : nullptr}) {
            if (!pattern) continue;
            auto context = pageBitmap(parser);
            if (!context) continue;
            context->addPath(path);
            context->clip();
            pattern->drawInContext(*context, pageToBitmap(parser));
        }
    }
    void didScanPaintShading(KXPDFConentParser& parser, const std::shared_ptr<KXPDFShading>& shading) override {
        ++s_.shadings;
        if (!shading) return;
        auto context = pageBitmap(parser);
        if (!context) return;
        context->concatCTM(parser.currentRenderingState().ctm());
        shading->drawInContext(*context, pageToBitmap(parser));
    }
    void didScanXObjectImage(KXPDFConentParser&, const std::shared_ptr<KXPDFXObject>& object) override {
        ++s_.images;
        auto* image = dynamic_cast<KXPDFImageXObject*>(object.get());
        if (!image || image->cachedImagePath().empty()) return;
        // The decoded file is read back as the exporters read it.
        if (kx::ImageRef picture = KXPDFUtilities::CGImageWithContentsOfFile(image->cachedImagePath()))
            sink_ += static_cast<std::size_t>(picture->width);
    }

    std::size_t sink() const { return sink_ + (metrics_ != 0 ? 1 : 0); }

private:
    // Maps the page's media box onto a small bitmap.
    static kx::AffineTransform pageToBitmap(KXPDFConentParser& parser) {
        const kx::Rect& box = parser.pageMediaBox();  // x, y, then the upper-right corner
        double w = box.size.width - box.origin.x, h = box.size.height - box.origin.y;
        if (!(w > 0) || !(h > 0)) w = h = kRasterSide;
        return kx::AffineTransform::makeTranslation(-box.origin.x, -box.origin.y)
            .concat(kx::AffineTransform::makeScale(kRasterSide / w, kRasterSide / h));
    }
    static std::unique_ptr<kx::BitmapContext> pageBitmap(KXPDFConentParser& parser) {
        auto context = kx::BitmapContext::create(kRasterSide, kRasterSide);
        if (context) context->concatCTM(pageToBitmap(parser));
        return context;
    }

    PipelineSummary& s_;
    std::size_t sink_ = 0;
    double metrics_ = 0;
};

// The engine's reports that the summary keeps.
class EngineWatcher : public KXDocuvaneDelegate {
public:
    explicit EngineWatcher(PipelineSummary& s) : s_(s) {}
    void didEndConversion(KXDocuvane&, const KXError* error) override {
        s_.engineEnded = true;
        ended_ = true;
        if (error) {
            s_.engineSucceeded = false;
            s_.engineError = error->failureReason;
        } else {
            s_.engineSucceeded = s_.engineError.empty();
        }
    }
    void convertPDFPageIndex(KXDocuvane&, std::uint64_t, std::uint64_t, std::uint64_t) override {
        ++s_.pagesConverted;
    }
    void convertPDFPageIndexFaildWithError(KXDocuvane&, std::uint64_t, const KXError& error) override {
        ++(error.code == KXDocuvaneErrorPageIncomplete ? s_.pagesIncomplete : s_.pagesFailed);
    }
    bool ended() const { return ended_; }

private:
    PipelineSummary& s_;
    bool ended_ = false;
};

}  // namespace

std::string ChildOutcome::describe() const {
    std::string text;
    if (timedOut)
        text = "timed out";
    else if (signal)
        text = "killed by signal " + std::to_string(signal);
    else
        text = "exit code " + std::to_string(exitCode);
    text += " after " + std::to_string(seconds) + " s, peak " + std::to_string(maxResidentKB / 1024) + " MB";
    if (!output.empty()) text += "\n--- child output ---\n" + output.substr(0, 20000);
    return text;
}

ChildOutcome runInChild(const std::function<int()>& work, const ChildLimits& limits) {
    ChildOutcome outcome;
    std::string outPath = tempDir() + "/child-XXXXXX";
    int fd = mkstemp(outPath.data());
    if (fd < 0) {
        outcome.output = "no output file";
        return outcome;
    }
    std::fflush(stdout);
    std::fflush(stderr);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = fork();
    if (pid == 0) {
        dup2(fd, 1);
        dup2(fd, 2);
        close(fd);
#ifndef KX_TEST_UNDER_ASAN
        struct rlimit as{limits.memoryBytes, limits.memoryBytes};
        setrlimit(RLIMIT_AS, &as);
#endif
        // A second line of defence should the parent be gone: the CPU time is capped too.
        const auto cpu = static_cast<rlim_t>(limits.time.count() / 1000 * 2 + 10);
        struct rlimit cpuLimit{cpu, cpu};
        setrlimit(RLIMIT_CPU, &cpuLimit);
        int code = 1;
        try {
            code = work();
        } catch (const std::exception& e) {
            std::fprintf(stderr, "uncaught exception: %s\n", e.what());
            code = 3;
        } catch (...) {
            std::fprintf(stderr, "uncaught exception\n");
            code = 3;
        }
        std::fflush(stdout);
        std::fflush(stderr);
        _exit(code);
    }
    close(fd);
    if (pid < 0) {
        outcome.output = "fork failed";
        return outcome;
    }
    int status = 0;
    struct rusage usage{};
    for (;;) {
        pid_t done = wait4(pid, &status, WNOHANG, &usage);
        if (done == pid) break;
        if (std::chrono::steady_clock::now() - start > limits.time) {
            kill(pid, SIGKILL);
            wait4(pid, &status, 0, &usage);
            outcome.timedOut = true;
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    outcome.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    outcome.maxResidentKB = usage.ru_maxrss;
    if (WIFEXITED(status)) {
        outcome.exited = true;
        outcome.exitCode = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        outcome.signal = WTERMSIG(status);
    }
    outcome.output = kx::readFile(outPath).value_or("");
    unlink(outPath.c_str());
    return outcome;
}

PipelineSummary interpretDocument(const std::string& path, const PipelineOptions& options) {
    PipelineSummary summary;
    kx::ScopedTemporaryRoot temporary;
    auto document = kx::PDFDocument::open(path);
    if (!document) return summary;
    summary.opened = true;
    summary.pageCount = document->pageCount();

    KXPDFOutLineManager::destory();
    KXPDFOutLineManager& outlines = KXPDFOutLineManager::sharedInstance();
    outlines.reLoadOutline(*document);

    WorkingDelegate delegate(summary);
    const int last = std::min(summary.pageCount, options.maxPages);
    for (int n = 1; n <= last; ++n) {
        std::optional<kx::PDFPage> page = document->page(n);
        if (!page) continue;
        auto stack = std::make_shared<KXPDFRenderStateStack>();
        KXPDFConentParser parser(page->dictionary(), kx::PDFContentStream::forPage(*page));
        parser.setDelegate(&delegate);
        parser.setRenderingStateStack(stack);
        parser.setPageIndex(n - 1);
        parser.setIsParserAnnots(1);
        parser.startParser();
        summary.outlineItems += outlines.outlineArrayForPage(n).size();
        ++summary.pagesInterpreted;
    }
    KXPDFOutLineManager::destory();
    if (delegate.sink() == 0) summary.texts += 0;  // keeps the work observable
    return summary;
}

void convertDocument(const std::string& path, const PipelineOptions& options, PipelineSummary& summary) {
    kx::installExporters();
    kx::MainQueue::setMainThread();
    if (options.pageDrawingTimeLimit.count() > 0) kx::setPageDrawingTimeLimit(options.pageDrawingTimeLimit);
    for (const std::string& format : options.engineFormats) {
        if (!KXDocuvane::canConvertToDocType(format)) continue;
        std::string out = tempDir() + "/out-" + std::to_string(getpid()) + "-" + format;
        kx::createDirectories(out);
        auto engineOptions = std::make_shared<KXPDFOptions>();
        engineOptions->setIsParserAnnots(1);
        engineOptions->setImageDPI(options.imageDPI);
        KXImageOptions image = engineOptions->imageOptions();
        image.setDpi(options.imageDPI);
        engineOptions->setImageOptions(image);

        std::vector<std::uint64_t> pages;
        if (auto document = kx::PDFDocument::open(path))
            for (int n = 1; n <= std::min(document->pageCount(), options.maxPages); ++n) pages.push_back(n);
        if (pages.empty()) pages.push_back(1);

        KXDocuvane engine;
        EngineWatcher watcher(summary);
        engine.setDelegate(&watcher);
        const std::string dest = format == "png" ? out : out + "/document." + format;
        engine.convertPDFAtPath(path, "", pages, format, dest, engineOptions);
        kx::RunLoop::main().runUntil([&] { return watcher.ended(); }, std::chrono::minutes(10));
        engine.setDelegate(nullptr);
        kx::removeAll(out);
    }
}

std::string formatSummary(const PipelineSummary& s) {
    std::ostringstream line;
    line << "KX-SUMMARY opened=" << s.opened << " pages=" << s.pageCount << " interpreted=" << s.pagesInterpreted
         << " texts=" << s.texts << " paths=" << s.paths << " patternPaths=" << s.patternPaths
         << " shadings=" << s.shadings << " images=" << s.images << " textBoxes=" << s.textBoxes
         << " outlineItems=" << s.outlineItems << " engineEnded=" << s.engineEnded
         << " engineSucceeded=" << s.engineSucceeded << " converted=" << s.pagesConverted
         << " failed=" << s.pagesFailed << " incomplete=" << s.pagesIncomplete << "\n";
    return line.str();
}

bool parseSummary(const std::string& output, PipelineSummary& s) {
    size_t at = output.rfind("KX-SUMMARY ");
    if (at == std::string::npos) return false;
    std::istringstream in(output.substr(at + 11, output.find('\n', at) - at - 11));
    std::string field;
    while (in >> field) {
        size_t eq = field.find('=');
        if (eq == std::string::npos) continue;
        std::string key = field.substr(0, eq);
        long long v = std::atoll(field.c_str() + eq + 1);
        if (key == "opened") s.opened = v != 0;
        else if (key == "pages") s.pageCount = static_cast<int>(v);
        else if (key == "interpreted") s.pagesInterpreted = static_cast<int>(v);
        else if (key == "texts") s.texts = static_cast<std::size_t>(v);
        else if (key == "paths") s.paths = static_cast<std::size_t>(v);
        else if (key == "patternPaths") s.patternPaths = static_cast<std::size_t>(v);
        else if (key == "shadings") s.shadings = static_cast<std::size_t>(v);
        else if (key == "images") s.images = static_cast<std::size_t>(v);
        else if (key == "textBoxes") s.textBoxes = static_cast<std::size_t>(v);
        else if (key == "outlineItems") s.outlineItems = static_cast<std::size_t>(v);
        else if (key == "engineEnded") s.engineEnded = v != 0;
        else if (key == "engineSucceeded") s.engineSucceeded = v != 0;
        else if (key == "converted") s.pagesConverted = static_cast<int>(v);
        else if (key == "failed") s.pagesFailed = static_cast<int>(v);
        else if (key == "incomplete") s.pagesIncomplete = static_cast<int>(v);
    }
    return true;
}

ChildOutcome runPipelineInChild(const std::string& path, PipelineSummary& summary, const PipelineOptions& options,
                                const ChildLimits& limits) {
    ChildOutcome outcome = runInChild(
        [&] {
            PipelineSummary s = interpretDocument(path, options);
            if (options.runEngine) convertDocument(path, options, s);
            std::fputs(formatSummary(s).c_str(), stdout);
            return 0;
        },
        limits);
    parseSummary(outcome.output, summary);
    return outcome;
}

}  // namespace kx::test
