#pragma once
// The process-wide state of the DOCX back end: the options of the conversion in progress, so that
// page-assembly code far below the exporter reads the DOCX options without being handed them, and
// Word's single-line height and ascent factors of fonts, from the table "word-line-height.plist"
// that ships with the program (made at build time from the installed fonts' metrics).
//
// The table maps lower-case font names to two factors of the font size: "font-height-factor", the
// height Word gives one single-spaced line, and "font-ascent-factor", such that height × ascent
// factor is the distance from the top of that line to the bottom of the glyph box (so the blank
// above the glyphs is size × (height × ascent − 1)).
//
// Created on first use and kept for the process; used from the conversion thread only.

#include <memory>
#include <optional>
#include <string>
#include <unordered_map>

#include "engine/KXPDFOptions.h"

class KXDocxManager {
public:
    struct WordLineFactors {
        float heightFactor = 0;  // 0: not given
        float ascentFactor = 0;
    };
    using WordInfoDictionary = std::unordered_map<std::string, WordLineFactors>;

    static KXDocxManager& sharedInstance();
    // Drops the instance; the next sharedInstance() makes a new one.
    static void destory();

    // The path of "word-line-height.plist" among the program's resources, when it is there.
    static std::optional<std::string> PathForWordLineHeightResources();
    // The factors of a font by name (any case; "Times Bold" also finds "times bold regular"), each
    // within 0.5 to 2.0; 0 when the font, the table or a plausible factor is missing.
    static double WordLineHeight(const std::string& fontName);
    static double WordLineAscentFactor(const std::string& fontName);

    // Reads the table once (it stays absent when the file cannot be read).
    void readWordInfoDictionary();
    const std::optional<WordInfoDictionary>& wordInfoDictionary() const { return wordInfoDictionary_; }
    void setWordInfoDictionary(std::optional<WordInfoDictionary> dictionary) {
        wordInfoDictionary_ = std::move(dictionary);
    }

    // The options of the conversion in progress (the DOCX exporter sets them when its document
    // opens); defaults before the first conversion.
    const KXPDFOptions& moreOptions() const { return moreOptions_; }
    void setMoreOptions(const KXPDFOptions& options) { moreOptions_ = options; }

    KXDocxManager();

private:
    const WordLineFactors* findFactors(const std::string& fontName) const;

    std::optional<WordInfoDictionary> wordInfoDictionary_;
    KXPDFOptions moreOptions_;
};
