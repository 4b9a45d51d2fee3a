// KXDocuvane: converts one PDF from the command line. The engine reports on the main thread, so the
// main run loop turns until the conversion has ended; the exit status is 0 on success, 1 on failure.

#include "app/cli/KXDocuvaneCLI.h"
#include "platform/Dispatch.h"

int main(int argc, char** argv) {
    KXDocuvaneCLI cli;
    cli.runMain(argc, argv);
    kx::RunLoop::main().runUntil([&] { return !cli.docuvane().isConverting(); });
    return cli.pdfResult();
}
