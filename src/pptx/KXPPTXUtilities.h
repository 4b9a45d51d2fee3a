#pragma once
// The defaults of the presentation's text records, its templates (theme, slide master, slide
// layouts, thumbnail) and the application's name as the presentation's properties give it.

#include <optional>
#include <string>
#include <string_view>

#include "pptx/KXPPTXPropertyRecords.h"

class KXPPTXUtilities {
public:
    KXPPTXUtilities() = delete;

    // wrap "none", no insets, anchor "ctr".
    static KXPPTX_TxBodyPr defaultTextBodyProperty();
    // No margin or line spacing, a tab stop "l" at 0, alignment "ctr", end of paragraph in
    // "zh-CN" with "en-US" as the alternative.
    static KXPPTX_PPr defaultPProperty();
    // "en-US" with "zh-CN" as the alternative, size 0, no flags, no colour, both fonts
    // "Arial Unicode MS" (pitch family "18", character set "0").
    static KXPPTX_RunPr defaultRunProperty();

    // The full path of a file in the resource bundle "<bundleName>.bundle": the file is looked up by
    // its last path component in the folder the rest of the path names. None when the bundle or
    // the file is missing.
    static std::optional<std::string> pathInBundle(const std::string& bundleName, const std::string& filePathInBundle);

    // The bytes of a presentation template ("theme1.xml", "slideMaster1.xml", "slideLayout1.xml" …
    // "slideLayout11.xml", "thumbnail.jpeg"): the file of the resource bundle "KXSolbrin" when it
    // can be read, else the copy built into the program. None for another name.
    static std::optional<std::string> templateData(std::string_view name);
    // The copy built into the program alone.
    static std::optional<std::string_view> builtInTemplate(std::string_view name);

    // The application's display name from its information list, "Docuvane" when it has none.
    static std::string applicationDisplayName();
};
