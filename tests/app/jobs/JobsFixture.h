#pragma once
// What the jobs tests share: a fresh in-memory settings store per test, an output folder chosen in
// it, and small PDFs made here.

#include <gtest/gtest.h>

#include <string>

#include "app/jobs/KXMemorySettingsStore.h"
#include "app/jobs/KXSettingsKeys.h"
#include "platform/FileSystem.h"
#include "support/PDFBuilder.h"
#include "support/TestSupport.h"

namespace kx::test {

// A document of `pages` pages with a line of text each, written once per name.
inline std::string pdfOfPages(int pages, const std::string& name) {
    PDFBuilder b;
    const int font = b.add("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>");
    for (int i = 0; i < pages; ++i)
        b.addPage("BT /F1 12 Tf 72 700 Td (Page " + std::to_string(i + 1) + ") Tj ET",
                  "<< /Font << /F1 " + std::to_string(font) + " 0 R >> >>");
    return writeTemp(name, b.build());
}

// A fresh folder under the test's temporary folder.
inline std::string freshFolder(const std::string& name) {
    const std::string folder = pathJoin(tempDir(), name);
    removeAll(folder);
    createDirectories(folder);
    return folder;
}

class JobsTest : public ::testing::Test {
protected:
    KXMemorySettingsStore store;
    std::string outputFolder;

    void SetUp() override {
        KXSettingsStore::setStandardUserDefaults(&store);
        outputFolder = freshFolder(std::string("out-") + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        store.setString(KXDefaulExportDirectory_SandBox, outputFolder);
    }
    void TearDown() override { KXSettingsStore::setStandardUserDefaults(nullptr); }
};

}  // namespace kx::test
