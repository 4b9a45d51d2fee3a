#pragma once
// Writes one RTF file (the body of a document, or the document itself). Text from the PDF goes
// through writeContent, which escapes it for RTF; control words go through write as they are.

#include <bitset>
#include <memory>
#include <string>
#include <string_view>

#include "flowtext/FlowFileWriter.h"

class KXRTFFileWriter : public kx::detail::FlowFileWriter {
public:
    KXRTFFileWriter();
    // A writer on a new, empty file at the path; nullptr when the file cannot be created.
    static std::unique_ptr<KXRTFFileWriter> initWithPath(const std::string& path);

    // Text content, escaped.
    void writeContent(std::u16string_view text);

    // Text as RTF: backslash and braces are escaped, TAB becomes "\tab", LF and CR (a CR LF pair
    // counts once) a backslash followed by LF (a paragraph end), other control characters (C0 and
    // C1) are dropped, and every other character outside printable ASCII is written as "\uN" with N
    // the signed 16-bit value of each UTF-16 unit, followed by one fallback character for readers
    // without Unicode (its Windows-1252 byte, or "?").
    static std::string _formatTextOfString(std::u16string_view text);
    // The same for a name in the font table, where ";" ends the entry and so is escaped too.
    static std::string formatFontName(std::string_view utf8Name);

    // The UTF-16 units that cannot be written as themselves: everything outside 32..126, and the
    // backslash and braces.
    static const std::bitset<65536>& _buildReservedSet();
    static bool _reservedSetHasMember(char16_t unit);
};
