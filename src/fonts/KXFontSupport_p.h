#pragma once
// Small helpers shared by the font classes: reading entries of PDF dictionaries, finding resource
// files of the parser bundle, and the size checks for arrays whose sizes come from the file.

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/pdf/PDFObject.h"

class KXPDFCharCodeToUnicode;
class KXPDFFontDescriptor;

namespace kx::detail {

// An integer (widened through single precision, as the object getters do) or a real entry.
bool fontNumber(const PDFObject& dict, std::string_view key, double& out);
bool fontNumberAt(const PDFObject& array, size_t index, double& out);
// A name's text or a string's text (UTF-8); empty when the entry is neither.
std::string fontString(const PDFObject& dict, std::string_view key);

// The path of a resource of the parser bundle ("PDFEncodings/CMap/90ms-RKSJ-H", "FontBook.plist").
std::optional<std::string> parserResourcePath(const std::string& relativePath);
// The resource's bytes, when it exists and is readable.
std::optional<std::string> parserResourceText(const std::string& relativePath);

// Whether an array of `count` elements of `size` bytes may be allocated. A size from the file
// that fails the check is reported on the standard error stream ("Bogus memory allocation size")
// and the caller gives up the font instead of allocating.
bool checkAllocationSize(size_t count, size_t size);
// The width of a word space from a descriptor's metrics (embedded space, missing, average, maximum
// and box widths), for fonts whose own width of the space gives nothing: a value below 1, else 1.0
// for a fixed-pitch font and 0.5 otherwise (also without a descriptor).
double spaceWidthFromDescriptor(const KXPDFFontDescriptor* descriptor);

// The CID-to-Unicode table of a collection given as Registry-Ordering ("Adobe-Japan1"), parsed once
// per process; none for a collection without a table.
std::shared_ptr<const KXPDFCharCodeToUnicode> collectionToUnicodeMap(const std::string& region);

// The value of a hexadecimal digit (either case); -1 for any other character.
inline int hexDigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// The character code a generated glyph name stands for: one or two ASCII letters followed by a
// decimal number below 256 ("a73", "g7", "cd120"); nullopt for any other name.
std::optional<int> codeOfNumberedGlyphName(std::string_view name);
// Whether a glyph name only numbers its glyph in the font program ("g3", "glyph12", "cid42",
// "index7", as fonts converted from TrueType or CID-keyed programs name them): such a name says
// nothing of the glyph's character.
bool isGlyphIndexName(std::string_view name);
// The character of a glyph name "u" followed by four to six hexadecimal digits ("u4E2D",
// "u1F600"); nullopt for any other name or a value that is no Unicode scalar value.
std::optional<char32_t> characterOfUName(std::string_view name);
// Whether a character is text a reader can see: not 0 and no C0 or C1 control character.
bool isPrintableCharacter(char32_t c);
// The text a glyph name stands for, by the standard glyph-name rules: only the part before the
// first period counts ("one.os", "zero.tf" and "a.sc" are "one", "zero" and "a"), and its parts
// between underscores are mapped one by one and joined ("f_i.liga" is "fi"). A part maps by the
// glyph list, as "uni" and one or more groups of four hexadecimal digits ("uni00660069" is "fi")
// or as "u" and four to six (characterOfUName); a part that maps to nothing gives nothing. A name
// of a single part that none of these maps is read as BuiltinFontWidths::nameToUnicodeID reads it.
// Empty when the name stands for no text: such a name is no text either.
std::u16string textOfGlyphName(std::string_view name);

// Reports an exhausted allocation ("Out of memory") on the standard error stream.
void reportOutOfMemory();

}  // namespace kx::detail
