// The exporter table: once installed, the engine converts to exactly the keys of the families that
// exist, each through its family's exporter.

#include <gtest/gtest.h>

#include <string>
#include <typeinfo>

#include "engine/KXDocuvane.h"
#include "engine/KXImagePDFExporter.h"
#include "engine/KXPDFOptions.h"
#include "docx/page/KXDocxPDFExporter.h"
#include "exporters/ExporterTable.h"
#include "flowtext/KXHTMLPDFExporter.h"
#include "flowtext/KXRTFPDFExporter.h"
#include "flowtext/KXTextPDFExporter.h"
#include "pptx/KXPPTXPDFExporter.h"
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
    const auto options = std::make_shared<const KXPDFOptions>();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        EXPECT_EQ(KXDocuvane::canConvertToDocType(c.key), c.exporter != nullptr);
        std::optional<kx::ExporterChoice> row = kx::exporterChoiceForKey(c.key);
        ASSERT_EQ(row.has_value(), c.exporter != nullptr);
        if (!row) continue;
        std::unique_ptr<KXPDFExporter> exporter = row->make(options);
        ASSERT_TRUE(exporter);
        EXPECT_EQ(typeid(*exporter), *c.exporter);
    }
}
