#include "docx/model/KXDocxFontStandIn_p.h"

#include <map>

#include "fonts/KXPDFFontUtilities.h"
#include "platform/FontCatalog.h"
#include "platform/Unicode.h"

namespace kx::detail {

namespace {

// A name in lower case without blanks, as the replacement list's keywords are written.
std::string compact(const std::string& name) {
    std::string out;
    for (char c : asciiLower(name))
        if (c != ' ' && c != '-' && c != '_') out.push_back(c);
    return out;
}

bool has(const std::string& s, const char* word) { return s.find(word) != std::string::npos; }

std::string faceOfFamily(const std::string& family, bool bold, bool italic) {
    std::string fallback;
    for (const InstalledFont& face : FontCatalog::facesOfFamily(family)) {
        const std::string style = asciiLower(face.style);
        const bool isBold = has(style, "bold") || has(style, "black") || has(style, "heavy");
        const bool isItalic = has(style, "italic") || has(style, "oblique");
        if (isBold == bold && isItalic == italic) {
            // Plain weights first: a "Condensed" or "Light" face sets text narrower.
            if (!has(style, "condensed") && !has(style, "light") && !has(style, "narrow")) return face.fullName;
            if (fallback.empty()) fallback = face.fullName;
        }
    }
    return fallback;
}

FontStandIn lookUp(const std::string& replacement, bool bold, bool italic) {
    FontStandIn found;
    if (replacement.empty()) return found;
    const auto& list = KXPDFFontUtilities::GetFontBook_Replace();
    if (!list) return found;
    auto entry = list->find(replacement);
    if (entry == list->end()) {
        // A replacement outside the list ("Times" for a serif font) goes to the list's name for it.
        const std::string listed = KXPDFFontUtilities::ReplaceFontNameInFontBook(replacement);
        entry = list->find(listed);
        if (entry == list->end()) return found;
    }
    found.wordName = entry->first;
    for (const std::string& family : FontCatalog::familyNames()) {
        const std::string key = compact(family);
        for (const std::string& word : entry->second) {
            if (word.empty() || key.find(compact(word)) == std::string::npos) continue;
            found.installedFace = faceOfFamily(family, bold, italic);
            if (!found.installedFace.empty()) return found;
        }
    }
    return found;
}

}  // namespace

const FontStandIn& fontStandIn(const std::string& replacement, bool bold, bool italic) {
    // One table per weight and slant: a run asks with its font name, found without a copy of it.
    static std::map<std::string, FontStandIn, std::less<>> cache[4];
    auto& table = cache[(bold ? 2 : 0) + (italic ? 1 : 0)];
    auto it = table.find(replacement);
    if (it == table.end()) it = table.emplace(replacement, lookUp(replacement, bold, italic)).first;
    return it->second;
}

}  // namespace kx::detail
