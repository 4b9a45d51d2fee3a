#pragma once
// What the whole-presentation tests ask of a package: the shared validator's verdict, and the text
// of LibreOffice's PDF of it.

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "platform/FileSystem.h"
#include "support/TestSupport.h"

namespace kx::test {

inline std::string shellQuoted(const std::string& s) { return "'" + s + "'"; }

// The shared validator, when it and what it runs on are here.
inline std::optional<std::string> validator() {
    std::optional<std::string> path = sharedTool("ooxml-validate");
    if (!path || !haveCommand("xmllint") || !haveCommand("python3")) return std::nullopt;
    return path;
}

inline bool haveLibreOfficeText() { return haveCommand("soffice") && haveCommand("pdftotext"); }

// The package's validity, and LibreOffice's PDF of it: its pages' text (form feeds between pages),
// left empty where LibreOffice or pdftotext is missing.
inline void checkPackage(const std::string& pptx, const std::string& validate, std::string* text) {
    std::string report;
    EXPECT_EQ(runCommand(shellQuoted(validate) + " " + shellQuoted(pptx), &report), 0) << report;
    EXPECT_NE(report.find(": valid"), std::string::npos) << report;
    if (!text || !haveLibreOfficeText()) return;
    const std::string folder = pathJoin(tempDir(), "lo-" + pathFileName(pptx));
    const std::string profile = pathJoin(tempDir(), "lo-profile");
    std::string log;
    ASSERT_EQ(runCommand("timeout 180 soffice -env:UserInstallation=file://" + profile +
                             " --headless --convert-to pdf --outdir " + shellQuoted(folder) + " " + shellQuoted(pptx),
                         &log),
              0)
        << log;
    const std::string pdf = pathJoin(folder, pathWithoutExtension(pathFileName(pptx)) + ".pdf");
    ASSERT_TRUE(isRegularFile(pdf)) << log;
    ASSERT_EQ(runCommand("pdftotext " + shellQuoted(pdf) + " -", text), 0);
}

}  // namespace kx::test
