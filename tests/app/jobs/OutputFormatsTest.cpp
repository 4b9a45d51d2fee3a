// The output-format tables: display name → output type key and icon, and the image-format test.

#include <gtest/gtest.h>

#include "app/jobs/KXOutputFormats.h"

namespace {

TEST(OutputFormats, EveryDisplayNameHasItsKeyIconAndKind) {
    struct Row {
        const char* name;
        const char* key;
        const char* icon;
        bool image;
    } rows[] = {
        {"Microsoft Word(.docx)", "docx", "icon_docx", false},
        {"Microsoft PowerPoint(.pptx)", "pptx", "icon_pptx", false},
        {"Microsoft Excel(.xlsx)", "xlsx", "icon_xlsx", false},
        {"Comma-Separated Values(.csv)", "csv", "icon_csv", false},
        {"UTF-8 Plain Text(.txt)", "txt", "icon_txt", false},
        {"Rich Text File(.rtf)", "rtf", "icon_rtf", false},
        {"Web Source File(.html)", "html", "icon_html", false},
        {"Image Files(JPEG, PNG, etc.)", "image", "icon_image", true},
        {"JPEG Image File(.jpeg)", "jpeg", "icon_jpeg", true},
        {"PNG Image File(.png)", "png", "icon_png", true},
        {"BMP Image File(.bmp)", "bmp", "icon_bmp", true},
        {"GIF Image File(.gif)", "gif", "icon_gif", true},
        {"TIFF Image File(.tiff)", "tiff", "icon_tiff", true},
        {"TGA Image File(.tga)", "tga", "icon_tga", true},
        {"JPEG2000 Image File(.jp2)", "jp2", "icon_j2k", true},
    };
    const auto types = KXOutputFormats::FormatTypeDictionary();
    const auto icons = KXOutputFormats::FormatIconDictionary();
    EXPECT_EQ(types.size(), std::size(rows));
    EXPECT_EQ(icons.size(), std::size(rows));
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(types.at(row.name), row.key);
        EXPECT_EQ(icons.at(row.name), row.icon);
        EXPECT_EQ(KXOutputFormats::isOuputFormatImage(row.name), row.image);
    }
}

TEST(OutputFormats, NamesAreComparedWholeWithTheirLetterCase) {
    for (const char* name : {"microsoft word(.docx)", "Microsoft Word", "", "PNG Image File(.png) "}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(KXOutputFormats::FormatTypeDictionary().count(name), 0u);
        EXPECT_EQ(KXOutputFormats::FormatIconDictionary().count(name), 0u);
        EXPECT_FALSE(KXOutputFormats::isOuputFormatImage(name));
    }
}

TEST(OutputFormats, TheTwoMenusSplitTheTable) {
    const std::vector<std::string> formats = KXOutputFormats::formatMenuTitles();
    const std::vector<std::string> images = KXOutputFormats::imageTypeMenuTitles();
    ASSERT_EQ(formats.size(), 8u);
    ASSERT_EQ(images.size(), 7u);
    EXPECT_EQ(formats.front(), "Microsoft Word(.docx)");
    EXPECT_EQ(formats.back(), "Image Files(JPEG, PNG, etc.)");
    EXPECT_EQ(images.front(), "JPEG Image File(.jpeg)");
    EXPECT_EQ(images.back(), "JPEG2000 Image File(.jp2)");
    for (const std::string& name : images) EXPECT_TRUE(KXOutputFormats::isOuputFormatImage(name)) << name;
}

}  // namespace
