// The document lifecycle: the work folder is the conversion's own and goes at the end, whatever
// the end; a failure or a cancel leaves no half-written output, but only ever removes a plain file.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>

#include "CaptureTestFamily.h"

using capturetest::Log;
using capturetest::LogDocument;

TEST(CaptureDocument, TheWorkFolderGoesAndAFailureOrCancelLeavesNoOutput) {
    enum class End { Finished, Failed, Cancelled };
    struct Case {
        const char* name;
        End end;
        bool outputIsPipe;
        bool outputStays;
    } cases[] = {
        {"finished", End::Finished, false, true},
        {"failed", End::Failed, false, false},
        {"cancelled", End::Cancelled, false, false},
        {"failed writing into a pipe, which stays", End::Failed, true, true},
        {"cancelled writing into a pipe, which stays", End::Cancelled, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        kx::ScopedTemporaryRoot root;
        const std::string output = kx::pathJoin(kx::test::tempDir(), std::string("out-") + std::to_string(int(c.end)));
        if (c.outputIsPipe) {
            ASSERT_EQ(mkfifo(output.c_str(), 0600), 0);
        } else {
            ASSERT_TRUE(kx::writeFile(output, "half written"));
        }
        Log log;
        std::string workFolder;
        {
            LogDocument document(output, 2, log, {});
            workFolder = document.savedWorkFolder();
            ASSERT_FALSE(workFolder.empty());
            EXPECT_TRUE(kx::isDirectory(workFolder));
            EXPECT_EQ(kx::pathFileName(workFolder), kx::pathFileName(output));
            document.begainWriteDocument();
            document.begainWritePage({100, 200});
            document.endWritePage();
            switch (c.end) {
                case End::Finished: document.finish(true); break;
                case End::Failed: document.finish(false); break;
                case End::Cancelled:
                    document.cancelDocument();
                    EXPECT_EQ(document.writersClosed, 1);
                    break;
            }
            EXPECT_EQ(document.hasFailed(), c.end == End::Failed);
            EXPECT_FALSE(kx::fileExists(workFolder));
            // The fresh folder the work folder was made in goes with it.
            EXPECT_FALSE(kx::fileExists(kx::pathDirectory(workFolder)));
        }
        EXPECT_EQ(kx::fileExists(output), c.outputStays);
        EXPECT_EQ(capturetest::joined(log), "page 1 100x200 | end page 1");
    }
}

TEST(CaptureDocument, PagesAreCountedAndTheLastIsKnown) {
    Log log;
    LogDocument document(kx::pathJoin(kx::test::tempDir(), "counted.out"), 3, log, {});
    for (int i = 0; i < 3; ++i) {
        document.begainWritePage({10, 20});
        document.endWritePage();
    }
    EXPECT_EQ(document.currentDocxPageIndex(), 3);
    EXPECT_EQ(capturetest::joined(log), "page 1 10x20 | end page 1 | page 2 10x20 | end page 2 | page 3 10x20 last | end page 3");
    // A document that begins again counts from the start.
    document.begainWriteDocument();
    document.begainWritePage({10, 20});
    EXPECT_EQ(document.currentDocxPageIndex(), 1);
}
