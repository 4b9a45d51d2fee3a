// Temporary paths, unique names, folder creation and the resource look-ups of the parser bundle.

#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>

#include "util/KXLibBundle.h"
#include "util/KXPDFPathUtilities.h"
#include "platform/FileSystem.h"
#include "support/TestSupport.h"

using namespace kx;

namespace {

// True for a new UUID in its upper-case text form (version 4).
bool isUUID(std::string_view s) {
    if (s.size() != 36 || s[14] != '4') return false;
    for (size_t i = 0; i < s.size(); ++i) {
        bool dash = i == 8 || i == 13 || i == 18 || i == 23;
        if (dash != (s[i] == '-')) return false;
        if (!dash && !std::isdigit(static_cast<unsigned char>(s[i])) && (s[i] < 'A' || s[i] > 'F')) return false;
    }
    return true;
}

// True when `s` is prefix + UUID + suffix.
bool isUUIDBetween(const std::string& s, const std::string& prefix, const std::string& suffix) {
    return s.size() == prefix.size() + 36 + suffix.size() && s.compare(0, prefix.size(), prefix) == 0 &&
           s.compare(s.size() - suffix.size(), suffix.size(), suffix) == 0 && isUUID(std::string_view(s).substr(prefix.size(), 36));
}

// A fresh folder for one test.
std::string freshFolder(const std::string& name) {
    std::string dir = pathJoin(test::tempDir(), name + "-" + newUUIDString());
    createDirectories(dir);
    return dir;
}

void touch(const std::string& path) {
    createDirectories(pathDirectory(path));
    writeFile(path, "x");
}

// Points the resource folder somewhere else for the test's lifetime.
class ScopedResourceDir {
public:
    explicit ScopedResourceDir(const std::string& dir) {
        if (const char* old = std::getenv("KX_RESOURCE_DIR")) previous_ = old, hadPrevious_ = true;
        setenv("KX_RESOURCE_DIR", dir.c_str(), 1);
    }
    ~ScopedResourceDir() {
        if (hadPrevious_)
            setenv("KX_RESOURCE_DIR", previous_.c_str(), 1);
        else
            unsetenv("KX_RESOURCE_DIR");
    }

private:
    std::string previous_;
    bool hadPrevious_ = false;
};

}  // namespace

TEST(KXPDFPathUtilities, GetNewPathbyNumbersTheBaseName) {
    struct Case {
        const char* name;
        std::vector<std::string> existingFiles;
        std::vector<std::string> existingFolders;
        std::string input;
        std::string expected;
    } cases[] = {
        {"free path is kept", {}, {}, "a.docx", "a.docx"},
        {"taken path gets 2", {"a.docx"}, {}, "a.docx", "a2.docx"},
        {"numbers already taken are skipped", {"a.docx", "a2.docx"}, {}, "a.docx", "a3.docx"},
        {"folder without extension gets 2", {}, {"out"}, "out", "out2"},
        {"only the last extension counts", {"page.tar.gz"}, {}, "page.tar.gz", "page.tar2.gz"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string dir = freshFolder("newpath");
        for (const auto& f : c.existingFiles) touch(pathJoin(dir, f));
        for (const auto& f : c.existingFolders) createDirectories(pathJoin(dir, f));
        EXPECT_EQ(KXPDFPathUtilities::getNewPathby(pathJoin(dir, c.input)), pathJoin(dir, c.expected));
    }
}

TEST(KXPDFPathUtilities, GetUUIDPathByAddsANewUUIDBeforeTheExtension) {
    std::string a = KXPDFPathUtilities::getUUIDPathBy("/t/x.png");
    std::string b = KXPDFPathUtilities::getUUIDPathBy("/t/x.png");
    EXPECT_TRUE(isUUIDBetween(a, "/t/x-", ".png")) << a;
    EXPECT_NE(a, b);
    std::string plain = KXPDFPathUtilities::getUUIDPathBy("/t/x");
    EXPECT_TRUE(isUUIDBetween(plain, "/t/x-", "")) << plain;
}

TEST(KXPDFPathUtilities, TemporaryPathsLieInTheConversionsRootAndVanishWithIt) {
    std::string root;
    std::string file;
    {
        ScopedTemporaryRoot scope;
        root = scope.path();
        struct Case {
            std::string path;
            std::string prefix, suffix;  // of the file name, around the UUID
        } cases[] = {
            {KXPDFPathUtilities::tempIMG("", ""), "IMG_", ".PNG"},
            {KXPDFPathUtilities::tempIMG("Clip", "png"), "IMG_Clip_", ".png"},
            {KXPDFPathUtilities::tempFilePathExtension("", ""), "", ".unkonw"},
            {KXPDFPathUtilities::tempFilePathExtension("body", "html"), "body_", ".html"},
            {KXPDFPathUtilities::tempFile(), "Temp_", ".PNG"},
            {KXPDFPathUtilities::tempFolder(), "Temp-", ""},
            {KXPDFPathUtilities::tempFolder0(), "Temp-", ""},
        };
        for (const Case& c : cases) {
            EXPECT_EQ(pathDirectory(c.path), root);
            EXPECT_TRUE(isUUIDBetween(pathFileName(c.path), c.prefix, c.suffix)) << c.path;
            EXPECT_FALSE(fileExists(c.path)) << "nothing is created: " << c.path;
        }
        EXPECT_NE(KXPDFPathUtilities::tempFolder(), KXPDFPathUtilities::tempFolder());
        file = KXPDFPathUtilities::tempIMG("kept", "png");
        touch(file);
    }
    EXPECT_FALSE(fileExists(file));
    EXPECT_FALSE(fileExists(root));
}

TEST(KXPDFPathUtilities, CreateFolderIfNeed) {
    std::string dir = freshFolder("folders");
    touch(pathJoin(dir, "file"));
    struct Case {
        const char* name;
        std::string path;
        bool expected;
    } cases[] = {
        {"existing folder", dir, true},
        {"missing parents are created", pathJoin(dir, "a/b/c"), true},
        {"a file in the way", pathJoin(dir, "file"), false},
        {"a file in the way of a parent", pathJoin(dir, "file/sub"), false},
        {"empty path", "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(KXPDFPathUtilities::createFolderIfNeed(c.path), c.expected);
        EXPECT_EQ(KXPDFPathUtilities::isDirectoryAtPath(c.path), c.expected);
    }
    EXPECT_TRUE(isRegularFile(pathJoin(dir, "file")));
}

TEST(KXPDFPathUtilities, PathInLibBundleForResourceLooksInsideTheParserBundle) {
    std::string resources = freshFolder("resources");
    std::string bundle = pathJoin(resources, "KXPDFParser.bundle");
    touch(pathJoin(bundle, "PDFEncodings/CMap/UniGB-UCS2-H"));
    touch(pathJoin(bundle, "FontBook.plist"));
    createDirectories(pathJoin(bundle, "PDFEncodings/CIDToUnicode"));
    ScopedResourceDir scoped(resources);

    struct Case {
        const char* relative;
        bool found;
    } cases[] = {
        {"PDFEncodings/CMap/UniGB-UCS2-H", true},
        {"FontBook.plist", true},
        {"PDFEncodings/CMap/Missing-H", false},
        {"UniGB-UCS2-H", false},                 // only in its folder
        {"PDFEncodings/CIDToUnicode", false},    // a folder is not a resource file
        {"", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.relative);
        auto path = KXPDFPathUtilities::PathInLibBundleForResource(c.relative);
        EXPECT_EQ(path.has_value(), c.found);
        if (path) {
            EXPECT_EQ(*path, pathJoin(bundle, c.relative));
        }
    }
}

TEST(KXPDFPathUtilities, PathInLibBundleForResourceWithoutABundle) {
    std::string resources = freshFolder("no-bundle");
    ScopedResourceDir scoped(resources);
    EXPECT_FALSE(KXPDFPathUtilities::PathInLibBundleForResource("FontBook.plist"));
    // A file where the bundle folder should be is no bundle.
    touch(pathJoin(resources, "KXPDFParser.bundle"));
    EXPECT_FALSE(KXPDFPathUtilities::PathInLibBundleForResource("FontBook.plist"));
}

TEST(KXLibBundle, LooksUpResourcesAndInformationValues) {
    std::string resources = freshFolder("info");
    writeFile(pathJoin(resources, "Info.plist"),
              R"(<?xml version="1.0" encoding="UTF-8"?>
<plist version="1.0"><dict>
<key>CFBundleDisplayName</key><string>Docuvane</string>
<key>CFBundleVersion</key><string>9.8.7</string>
</dict></plist>)");
    touch(pathJoin(resources, "KXQuendrel.bundle/KXPDFInfo.plist"));
    ScopedResourceDir scoped(resources);

    auto name = KXLibBundle::ObjectForInfoDictionaryKey_KXLib("CFBundleDisplayName");
    ASSERT_TRUE(name);
    EXPECT_EQ(name->string, "Docuvane");
    EXPECT_EQ(KXLibBundle::ObjectForInfoDictionaryKey_KXLib("CFBundleVersion")->string, "9.8.7");
    EXPECT_FALSE(KXLibBundle::ObjectForInfoDictionaryKey_KXLib("Missing"));

    EXPECT_EQ(KXLibBundle::PathForResource_KXLib("KXQuendrel", "bundle"), pathJoin(resources, "KXQuendrel.bundle"));
    EXPECT_EQ(KXLibBundle::PathForResource_KXLib("Info", "plist"), pathJoin(resources, "Info.plist"));
    EXPECT_FALSE(KXLibBundle::PathForResource_KXLib("KXSolbrin", "bundle"));
}

// The program's own information list ships in the resource folder.
TEST(KXLibBundle, ShippedInformationListNamesTheProgram) {
    auto name = KXLibBundle::ObjectForInfoDictionaryKey_KXLib("CFBundleDisplayName");
    ASSERT_TRUE(name);
    EXPECT_FALSE(name->string.empty());
    ASSERT_TRUE(KXLibBundle::ObjectForInfoDictionaryKey_KXLib("CFBundleVersion"));
}
