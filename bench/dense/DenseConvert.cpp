// KXDenseConvert <pdf> <format> <output> [dpi]: converts every page of the PDF through the engine,
// as the command line does, with the resolution of the page images and of the re-rendered pictures
// set to dpi (the command line always takes 144). Prints what the engine reports on failure; the
// exit status is 0 on success, 1 on failure, 3 when some pages failed.

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "engine/KXDocuvane.h"
#include "engine/KXPDFOptions.h"
#include "exporters/ExporterTable.h"
#include "platform/Dispatch.h"
#include "platform/pdf/PDFDocument.h"

namespace {

class Watcher : public KXDocuvaneDelegate {
public:
    bool ended = false;
    int status = 0;
    std::uint64_t failedPages = 0;

    void didStartConversion(KXDocuvane&, const KXError*) override {}
    void didEndConversion(KXDocuvane&, const KXError* error) override {
        if (error) {
            std::fprintf(stderr, "failed: %s (%s)\n", error->failureReason.c_str(), error->underlyingReason.c_str());
            status = 1;
        } else if (failedPages > 0) {
            status = 3;
        }
        ended = true;
    }
    void pageIndex(KXDocuvane&, std::uint64_t, std::uint64_t) override {}
    void convertPDFPageIndex(KXDocuvane&, std::uint64_t, std::uint64_t, std::uint64_t) override {}
    void convertPDFPageIndexFaildWithError(KXDocuvane&, std::uint64_t page, const KXError& error) override {
        std::fprintf(stderr, "page %llu failed: %s\n", static_cast<unsigned long long>(page),
                     error.failureReason.c_str());
        ++failedPages;
    }
    void willSaveDoc(KXDocuvane&) override {}
    void catchException(KXDocuvane&, const std::string& what) override {
        std::fprintf(stderr, "exception: %s\n", what.c_str());
    }
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: KXDenseConvert <pdf> <format> <output> [dpi]\n");
        return 2;
    }
    const std::string pdf = argv[1], format = argv[2], output = argv[3];
    const int dpi = argc > 4 ? std::atoi(argv[4]) : 144;

    kx::installExporters();
    kx::MainQueue::setMainThread();
    if (!KXDocuvane::canConvertToDocType(format)) {
        std::fprintf(stderr, "unsupported format: %s\n", format.c_str());
        return 2;
    }
    KXDocuvane::prepareForDocType(format);

    std::vector<std::uint64_t> pages;
    if (auto document = kx::PDFDocument::open(pdf))
        for (std::int64_t n = 1; n <= document->pageCount(); ++n) pages.push_back(static_cast<std::uint64_t>(n));
    if (pages.empty()) pages.push_back(1);

    auto options = std::make_shared<KXPDFOptions>();
    options->setIsParserAnnots(1);
    options->setImageDPI(dpi);
    options->imageOptions().setDpi(dpi);

    KXDocuvane engine;
    Watcher watcher;
    engine.setDelegate(&watcher);
    engine.convertPDFAtPath(pdf, "", pages, format, output, options);
    kx::RunLoop::main().runUntil([&] { return watcher.ended; });
    engine.setDelegate(nullptr);
    return watcher.status;
}
