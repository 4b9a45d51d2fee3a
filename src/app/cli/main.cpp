// KXDocuvane: converts one PDF from the command line. The engine reports on the main thread, so the
// main run loop turns until the conversion has ended; the exit status is 0 on success, 1 on failure.
// The exporter table is installed first: the engine converts only to the keys it holds.

#include "app/cli/KXDocuvaneCLI.h"
#include "exporters/ExporterTable.h"
#include "platform/Dispatch.h"

int main(int argc, char** argv) {
    kx::installExporters();
    KXDocuvaneCLI cli;
    cli.runMain(argc, argv);
    kx::RunLoop::main().runUntil([&] { return !cli.docuvane().isConverting(); });
    return cli.pdfResult();
}
