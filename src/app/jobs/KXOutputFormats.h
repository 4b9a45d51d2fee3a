#pragma once
// The output formats as the application names them: fifteen display names, each held once here,
// with the output type key handed to the engine, the name of the icon shown for it, and whether it
// is a page-image format. The format menu offers the first eight names; "Image Files(JPEG, PNG,
// etc.)" stands for the image family, whose member (the image type) is one of the last seven.
// Names are compared as whole strings, letter case included.

#include <map>
#include <string>
#include <vector>

namespace kx::format_names {
inline constexpr const char* Word = "Microsoft Word(.docx)";
inline constexpr const char* PowerPoint = "Microsoft PowerPoint(.pptx)";
inline constexpr const char* Excel = "Microsoft Excel(.xlsx)";
inline constexpr const char* CSV = "Comma-Separated Values(.csv)";
inline constexpr const char* PlainText = "UTF-8 Plain Text(.txt)";
inline constexpr const char* RTF = "Rich Text File(.rtf)";
inline constexpr const char* HTML = "Web Source File(.html)";
inline constexpr const char* ImageFamily = "Image Files(JPEG, PNG, etc.)";
inline constexpr const char* JPEG = "JPEG Image File(.jpeg)";
inline constexpr const char* PNG = "PNG Image File(.png)";
inline constexpr const char* BMP = "BMP Image File(.bmp)";
inline constexpr const char* GIF = "GIF Image File(.gif)";
inline constexpr const char* TIFF = "TIFF Image File(.tiff)";
inline constexpr const char* TGA = "TGA Image File(.tga)";
inline constexpr const char* JPEG2000 = "JPEG2000 Image File(.jp2)";
}  // namespace kx::format_names

class KXOutputFormats {
public:
    // Display name → output type key ("image" for the image family). A new map at each call.
    static std::map<std::string, std::string> FormatTypeDictionary();
    // Display name → icon name. A new map at each call.
    static std::map<std::string, std::string> FormatIconDictionary();
    // True for the image family and the seven image types.
    static bool isOuputFormatImage(const std::string& displayName);

    // The titles of the format menu (the first eight names) and of the image-type menu (the last
    // seven), in table order.
    static std::vector<std::string> formatMenuTitles();
    static std::vector<std::string> imageTypeMenuTitles();
};
