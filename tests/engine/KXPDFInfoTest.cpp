// Document information: the resource defaults, the information dictionary, dates and version.

#include <gtest/gtest.h>

#include "engine/KXPDFInfo.h"
#include "platform/pdf/PDFDocument.h"
#include "support/PDFBuilder.h"

using namespace kx;
using kx::test::PDFBuilder;

TEST(KXPDFInfo, WithoutAnInformationDictionaryTheShippedTextsStand) {
    PDFBuilder b;
    b.addPage("");
    b.addPage("");
    auto doc = PDFDocument::openFromMemory(b.build());
    ASSERT_TRUE(doc);
    KXPDFInfo info(*doc);
    EXPECT_EQ(info.numPages(), 2u);
    EXPECT_EQ(info.majorVersion(), 1);
    EXPECT_EQ(info.minorVersion(), 7);
    EXPECT_EQ(info.title(), "");
    EXPECT_EQ(info.subject(), "");
    EXPECT_EQ(info.keywords(), "");
    EXPECT_EQ(info.producer(), "");
    EXPECT_EQ(info.author(), "Docuvane");
    EXPECT_EQ(info.creator(), "Ostrevo Software Inc");
    EXPECT_NE(info.note().find('\n'), std::string::npos);
    EXPECT_GT(info.note().size(), 1u);
    EXPECT_FALSE(info.creationDate());
    EXPECT_FALSE(info.modificationDate());
}

TEST(KXPDFInfo, ReadsTheInformationDictionary) {
    PDFBuilder b;
    b.addPage("");
    b.setInfo("/Title <FEFF004B00F6006C006E> /Author (Ann \\(editor\\)) /Subject (S) /Keywords (k1, k2) "
              "/Producer (P) /Creator (ignored) /CreationDate (D:20231225143000+05'30') /ModDate (yesterday)");
    auto doc = PDFDocument::openFromMemory(b.build());
    ASSERT_TRUE(doc);
    KXPDFInfo info(*doc);
    EXPECT_EQ(info.title(), "K\xC3\xB6ln");
    EXPECT_EQ(info.author(), "Ann (editor)");
    EXPECT_EQ(info.subject(), "S");
    EXPECT_EQ(info.keywords(), "k1, k2");
    EXPECT_EQ(info.producer(), "P");
    EXPECT_EQ(info.creator(), "Ostrevo Software Inc") << "the creator comes from the program, not the file";
    ASSERT_TRUE(info.creationDate());
    EXPECT_EQ(info.creationDate()->year, 2023);
    EXPECT_EQ(info.creationDate()->hour, 14);
    EXPECT_EQ(info.creationDate()->utcOffsetMinutes, 330);
    EXPECT_FALSE(info.modificationDate()) << "not a PDF date";
}

TEST(KXPDFInfo, EntriesOfTheWrongTypeKeepTheirDefaults) {
    PDFBuilder b;
    b.addPage("");
    b.setInfo("/Title 42 /Author /Name /CreationDate 20231225");
    auto doc = PDFDocument::openFromMemory(b.build());
    KXPDFInfo info(*doc);
    EXPECT_EQ(info.title(), "");
    EXPECT_EQ(info.author(), "Docuvane");
    EXPECT_FALSE(info.creationDate());
}

TEST(KXPDFInfo, TheCatalogsVersionUpdatesTheHeaders) {
    PDFBuilder b;
    b.addPage("");
    b.setCatalogExtra("/Version /2.0");
    auto doc = PDFDocument::openFromMemory(b.build());
    KXPDFInfo info(*doc);
    EXPECT_EQ(info.majorVersion(), 2);
    EXPECT_EQ(info.minorVersion(), 0);
}
