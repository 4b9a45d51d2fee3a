// KXDocuvane: converts one PDF from the command line. The engine reports on the main thread, so the
// main run loop turns until the conversion has ended; the exit status is 0 on success, 1 on failure
// and 3 when some of the requested pages failed. The exporter table is installed first: the engine
// converts only to the keys it holds.
//
// SIGINT and SIGTERM cancel the conversion as the engine cancels (at the next page boundary); the
// end report then removes the output written so far, and the process ends by the same signal, as
// its caller expects of a program that was interrupted.

#include <pthread.h>
#include <signal.h>

#include <atomic>
#include <thread>

#include "app/cli/KXDocuvaneCLI.h"
#include "exporters/ExporterTable.h"
#include "platform/Dispatch.h"

namespace {

std::atomic<int> gInterruption{0};

// Waits for the signals on a thread of its own (blocked everywhere else, so no thread is cut short
// in the middle of its work) and asks the main thread to cancel.
void watchSignals(sigset_t signals, KXDocuvaneCLI* cli) {
    for (;;) {
        int signal = 0;
        if (sigwait(&signals, &signal) != 0) continue;
        gInterruption.store(signal);
        kx::RunLoop::main().post([cli] { cli->leftButtonPress(); });
    }
}

}  // namespace

int main(int argc, char** argv) {
    // Before any other thread starts: the threads made later keep these signals blocked.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    kx::installExporters();
    KXDocuvaneCLI cli;
    std::thread(watchSignals, signals, &cli).detach();

    cli.runMain(argc, argv);
    kx::RunLoop::main().runUntil([&] { return !cli.docuvane().isConverting(); });
    if (const int signal = gInterruption.load()) {
        // The output is gone by now; end as the signal would have ended the process.
        std::fflush(nullptr);
        ::signal(signal, SIG_DFL);
        pthread_sigmask(SIG_UNBLOCK, &signals, nullptr);
        raise(signal);
    }
    return cli.pdfResult();
}
