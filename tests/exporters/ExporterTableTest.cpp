// The exporter table: once installed, the engine converts to exactly the keys of the families that
// exist, each through its family's exporter.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <typeinfo>

#include "engine/KXDocuvane.h"
#include "engine/KXImagePDFExporter.h"
#include "engine/KXPDFOptions.h"
#include "docx/model/KXDocxManager.h"
#include "docx/page/KXDocxPDFExporter.h"
#include "exporters/ExporterTable.h"
#include "flowtext/KXHTMLPDFExporter.h"
#include "flowtext/KXRTFPDFExporter.h"
#include "flowtext/KXTextPDFExporter.h"
#include "platform/FileSystem.h"
#include "pptx/KXPPTXPDFExporter.h"
#include "support/TestSupport.h"
#include "xlsx/KXExcelManager.h"
#include "xlsx/KXExcelPDFExporter.h"

TEST(ExporterTable, InstalledOnceTheEngineConvertsToTheKeysOfTheFamilies) {
    // Before the table is installed, the engine converts to nothing.
    EXPECT_FALSE(KXDocuvane::canConvertToDocType("txt"));
    EXPECT_FALSE(KXDocuvane::canConvertToDocType("png"));
    EXPECT_FALSE(KXDocuvane::canConvertToDocType("docx"));
    kx::installExporters();
    kx::installExporters();  // a second call adds no second set of rows

    struct Case {
        const char* key;
        const std::type_info* exporter;  // nullptr: no row takes the key
    } cases[] = {
        {"docx", &typeid(KXDocxPDFExporter)},
        {"pptx", &typeid(KXPPTXPDFExporter)},
        {"xlsx", &typeid(KXExcelPDFExporter)},
        {"csv", &typeid(KXExcelPDFExporter)},
        {"txt", &typeid(KXTextPDFExporter)},
        {"rtf", &typeid(KXRTFPDFExporter)},
        {"html", &typeid(KXHTMLPDFExporter)},
        // Office and flow-text keys are compared exactly; image keys in any letter case.
        {"DOCX", nullptr},
        {"Pptx", nullptr},
        {"XLSX", nullptr},
        {"Csv", nullptr},
        {"doc", nullptr},
        {"xls", nullptr},
        {"TXT", nullptr},
        {"Html", nullptr},
        {"jpeg", &typeid(KXImagePDFExporter)},
        {"jpg", &typeid(KXImagePDFExporter)},
        {"JPG", &typeid(KXImagePDFExporter)},
        {"png", &typeid(KXImagePDFExporter)},
        {"bmp", &typeid(KXImagePDFExporter)},
        {"gif", &typeid(KXImagePDFExporter)},
        {"tiff", &typeid(KXImagePDFExporter)},
        {"tga", &typeid(KXImagePDFExporter)},
        {"jp2", &typeid(KXImagePDFExporter)},
        {"Jp2", &typeid(KXImagePDFExporter)},
        // "pdf" is in the output-type table but has no exporter.
        {"pdf", nullptr},
        {"tif", nullptr},
        {"jpe", nullptr},
        {"image", nullptr},
        {"", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        EXPECT_EQ(KXDocuvane::canConvertToDocType(c.key), c.exporter != nullptr);
        std::optional<kx::ExporterChoice> row = kx::exporterChoiceForKey(c.key);
        ASSERT_EQ(row.has_value(), c.exporter != nullptr);
        if (!row) continue;
        std::unique_ptr<KXPDFExporter> exporter = row->make();
        ASSERT_TRUE(exporter);
        EXPECT_EQ(typeid(*exporter), *c.exporter);
    }
}

// A row only makes the exporter. Whoever gives an exporter the job's options (the engine, a test, a
// tool) has them reach the state its family reads below the exporter once its document opens; an
// exporter given none converts with the defaults, never with the options of the job before.
TEST(ExporterTable, EachFamilyTakesTheJobsOptionsWhenItsDocumentOpens) {
    kx::installExporters();
    auto job = std::make_shared<KXPDFOptions>();
    job->setImageDPI(300);
    job->excelOptions().setThousandSepartor(1);
    struct Case {
        const char* key;
        std::function<std::string()> seen;  // the options as the family's code reads them
        std::string ofTheJob, byDefault;
    };
    const auto dpi = [] { return std::to_string(KXDocxManager::sharedInstance().moreOptions().imageDPI()); };
    const auto separator = [] { return KXExcelManager::sharedInstance().thousandSepartor(); };
    const Case cases[] = {
        {"docx", dpi, "300", std::to_string(KXPDFOptions().imageDPI())},
        {"xlsx", separator, ".", ","},
        {"csv", separator, ".", ","},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        for (const bool given : {true, false}) {
            std::unique_ptr<KXPDFExporter> exporter = kx::exporterChoiceForKey(c.key)->make();
            if (given) exporter->setMoreOptions(job);
            exporter->setNumberOfPagesToConvert(1);
            exporter->begainConvertPDF(kx::pathJoin(kx::test::tempDir(), std::string("options.") + c.key), nullptr);
            ASSERT_FALSE(exporter->exportError());
            EXPECT_EQ(c.seen(), given ? c.ofTheJob : c.byDefault) << (given ? "given the job's" : "given none");
            exporter->cleanConvertPDF();
        }
    }
}
