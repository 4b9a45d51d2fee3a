#pragma once
// Drives the engine the way its callers do: a delegate that records every report in order, an
// exporter that records every call and can be told to fail, throw or wait, and a run loop turned
// until the end report.

#include <condition_variable>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "engine/ExporterChoice.h"
#include "engine/KXDocuvane.h"
#include "engine/KXPDFExporter.h"
#include "platform/Dispatch.h"
#include "platform/pdf/PDFDocument.h"

namespace kx::test {

// One report of the engine, as the delegate saw it.
struct Report {
    std::string kind;  // start, end, progress, converted, failed, willSave, exception
    std::uint64_t a = 0, b = 0, c = 0;
    std::optional<KXError> error;
    std::string text;
    bool onMainThread = false;
};

class RecordingDelegate : public KXDocuvaneDelegate {
public:
    std::vector<Report> reports;
    std::function<void(KXDocuvane&, const Report&)> onReport;

    void didStartConversion(KXDocuvane& e, const KXError* err) override { add(e, "start", 0, 0, 0, opt(err)); }
    void didEndConversion(KXDocuvane& e, const KXError* err) override { add(e, "end", 0, 0, 0, opt(err)); }
    void pageIndex(KXDocuvane& e, std::uint64_t i, std::uint64_t p) override { add(e, "progress", i, p); }
    void convertPDFPageIndex(KXDocuvane& e, std::uint64_t n, std::uint64_t pos, std::uint64_t before) override {
        add(e, "converted", n, pos, before);
    }
    void convertPDFPageIndexFaildWithError(KXDocuvane& e, std::uint64_t n, const KXError& err) override {
        add(e, "failed", n, 0, 0, err);
    }
    void willSaveDoc(KXDocuvane& e) override { add(e, "willSave"); }
    void catchException(KXDocuvane& e, const std::string& d) override { add(e, "exception", 0, 0, 0, {}, d); }

    std::vector<Report> ofKind(const std::string& kind) const {
        std::vector<Report> out;
        for (const auto& r : reports)
            if (r.kind == kind) out.push_back(r);
        return out;
    }
    std::vector<std::string> kinds() const {
        std::vector<std::string> out;
        for (const auto& r : reports) out.push_back(r.kind);
        return out;
    }
    const Report& last() const { return reports.back(); }

private:
    static std::optional<KXError> opt(const KXError* e) { return e ? std::optional<KXError>(*e) : std::nullopt; }
    void add(KXDocuvane& e, const char* kind, std::uint64_t a = 0, std::uint64_t b = 0, std::uint64_t c = 0,
             std::optional<KXError> error = {}, std::string text = {}) {
        Report r;
        r.kind = kind;
        r.a = a, r.b = b, r.c = c;
        r.error = std::move(error);
        r.text = std::move(text);
        r.onMainThread = MainQueue::isMainThread();
        reports.push_back(r);
        if (onReport) onReport(e, r);
    }
};

// What the recording exporter was asked to do, and how it answers.
struct ExporterScript {
    std::mutex mutex;
    std::vector<std::string> calls;  // "begin", "page <n> at <pageIndex>", "end", "clean", "cancel"
    std::uint64_t numberOfPagesToConvert = 0;
    std::string destDocType, destDocPath;
    int exportersMade = 0;

    std::map<int, bool> pageResult;      // page number → result (default true)
    std::map<int, int> throwOnPage;      // page number → 1: std::runtime_error, 2: an int
    bool throwOnBegin = false, throwOnEnd = false;
    // Where the exporter reports that its output cannot be written: "begin", "page <n>" or "end".
    std::string exportErrorAt;
    std::function<void(KXPDFExporter&, int page)> duringPage;

    // Back to a fresh script (the exporter choice keeps pointing at this one).
    void reset() {
        std::lock_guard lock(mutex);
        calls.clear();
        numberOfPagesToConvert = 0;
        destDocType.clear();
        destDocPath.clear();
        pageResult.clear();
        throwOnPage.clear();
        throwOnBegin = throwOnEnd = false;
        exportErrorAt.clear();
        duringPage = nullptr;
    }

    void record(std::string call) {
        std::lock_guard lock(mutex);
        calls.push_back(std::move(call));
    }
    std::vector<std::string> snapshot() {
        std::lock_guard lock(mutex);
        return calls;
    }
};

class RecordingExporter : public KXPDFExporter {
public:
    explicit RecordingExporter(std::shared_ptr<ExporterScript> script) : script_(std::move(script)) {}

    void begainConvertPDF(const std::string&, const std::shared_ptr<PDFDocument>&) override {
        script_->record("begin");
        {
            std::lock_guard lock(script_->mutex);
            script_->numberOfPagesToConvert = numberOfPagesToConvert();
            script_->destDocType = destDocType();
            script_->destDocPath = destDocPath();
        }
        if (script_->throwOnBegin) throw std::runtime_error("begin broke");
        failIfAt("begin");
    }
    bool convertPDFPage(const PDFPage& page) override {
        int n = page.pageNumber();
        script_->record("page " + std::to_string(n) + " at " + std::to_string(pageIndex()));
        if (script_->duringPage) script_->duringPage(*this, n);
        failIfAt("page " + std::to_string(n));
        if (auto t = script_->throwOnPage.find(n); t != script_->throwOnPage.end()) {
            if (t->second == 1) throw std::runtime_error("page " + std::to_string(n) + " broke");
            throw 42;
        }
        auto r = script_->pageResult.find(n);
        return r == script_->pageResult.end() ? true : r->second;
    }
    void endConvertPDF(const std::shared_ptr<PDFDocument>&) override {
        script_->record("end");
        if (script_->throwOnEnd) throw std::runtime_error("end broke");
        failIfAt("end");
    }
    void cancelConvertPDF() override { script_->record("cancel"); }
    void cleanConvertPDF() override { script_->record("clean"); }

private:
    void failIfAt(const std::string& where) {
        if (script_->exportErrorAt == where) setExportError(KXError{"test.exporter", 7, "disk full at " + where});
    }
    std::shared_ptr<ExporterScript> script_;
};

// Makes the key "record" (and nothing else) convert through a RecordingExporter on `script`.
inline ExporterChoice recordingChoice(std::shared_ptr<ExporterScript> script) {
    return {[](const std::string& key) { return key == "record"; },
            [script]() -> std::unique_ptr<KXPDFExporter> {
                {
                    std::lock_guard lock(script->mutex);
                    ++script->exportersMade;
                }
                return std::make_unique<RecordingExporter>(script);
            }};
}

// Turns the main run loop until the engine's end report (or a generous timeout).
inline bool runUntilEnd(const RecordingDelegate& delegate, std::chrono::milliseconds timeout = std::chrono::seconds(30)) {
    return RunLoop::main().runUntil(
        [&] { return !delegate.reports.empty() && delegate.reports.back().kind == "end"; }, timeout);
}

// The numbers of all pages of the PDF at `path`, 1 to its page count; none when it does not open.
inline std::vector<std::uint64_t> everyPage(const std::string& path) {
    std::vector<std::uint64_t> pages;
    if (auto document = PDFDocument::open(path))
        for (int i = 1; i <= document->pageCount(); ++i) pages.push_back(static_cast<std::uint64_t>(i));
    return pages;
}

// A whole conversion as a caller of the engine makes one: every report it gave, and whether its end
// report came before the timeout.
struct EngineRun {
    RecordingDelegate delegate;
    bool ended = false;

    // The end report's error: none where the conversion succeeded or no report came.
    std::optional<KXError> error() const { return delegate.reports.empty() ? std::nullopt : delegate.last().error; }
};

// Converts `pages` of `pdf` to `type` at `out` and turns the main run loop until the end report.
inline EngineRun runConversion(const std::string& pdf, std::vector<std::uint64_t> pages, const std::string& type,
                               const std::string& out, std::shared_ptr<const KXPDFOptions> options = nullptr,
                               std::chrono::milliseconds timeout = std::chrono::seconds(30)) {
    EngineRun run;
    KXDocuvane engine;
    engine.setDelegate(&run.delegate);
    engine.convertPDFAtPath(pdf, "", std::move(pages), type, out, std::move(options));
    run.ended = runUntilEnd(run.delegate, timeout);
    engine.setDelegate(nullptr);
    return run;
}

}  // namespace kx::test
