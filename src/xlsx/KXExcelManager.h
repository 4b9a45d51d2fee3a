#pragma once
// The state of the running spreadsheet conversion, one per process: the job's options and the flags
// derived from its format style, the thousand separator of number recognition, the style registry,
// the count of shared strings handed out, and the cell formats of text and number cells. It is
// used from the conversion thread only, and one conversion runs at a time.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "engine/KXExcelOptions.h"
#include "platform/Geometry.h"
#include "xlsx/KXExcelStyle.h"

class KXExcelNumber;
class KXExcelRunText;
class KXExcelRunTextProperty;
class KXExcelStringItem;

class KXExcelManager {
public:
    // The manager of the process, made on first use.
    static KXExcelManager& sharedInstance();
    // A fresh style registry and a shared-string count of 0, when the manager exists; the options
    // stay.
    static void reset();
    // Frees the manager; the next sharedInstance() makes a new one.
    static void destory();

    KXExcelManager();

    // "," or ".".
    const std::string& thousandSepartor() const { return thousandSepartor_; }
    void setThousandSepartor(std::string v) { thousandSepartor_ = std::move(v); }
    // Without options every flag reads as if all fields were 0.
    const std::optional<KXExcelOptions>& excelOptions() const { return excelOptions_; }
    // Installs the options and takes the thousand separator from them (the spreadsheet exporter
    // does so with the job's options when its document opens).
    void setOptions(const KXExcelOptions& options);
    KXExcelStyle& excelStyle() { return *excelStyle_; }
    void setExcelStyle(std::unique_ptr<KXExcelStyle> style) { excelStyle_ = std::move(style); }
    std::uint64_t amountOfStringItems() const { return amountOfStringItems_; }
    void setAmountOfStringItems(std::uint64_t v) { amountOfStringItems_ = v; }

    // What the format style asks for (f = excelFormatOption).
    bool isNeedWrapText() const { return formatOption() == 0; }
    bool isNeedMergeCells() const { return formatOption() == 0; }
    bool isNeedDefaultFontSize() const { return formatOption() != 0; }
    bool isNeedDefaultRowHeight() const { return formatOption() != 0; }
    bool isNeedDefaultFontName() const { return formatOption() == 2; }
    // Fonts without bold and italic.
    bool isSpecialVersion() const { return formatOption() == 2; }
    bool isNeedValidNumbers() const;
    bool isNeedCollectCGPaths() const;
    bool isNeedCollectFills() const;
    std::int32_t OverlapTextOption() const;
    bool isAllInOneSheetEnabled() const;
    bool isAllInOneSheetAddToRow() const;

    // The empty text, or one made only of U+0020.
    static bool isBlankSpace(std::u16string_view text);

    // Registers the run's font as a cell's font (default name and size as the format style asks,
    // white turned black when no fills are collected) and writes those values back into the run.
    std::uint32_t collectFontsWithRun(KXExcelRunText& run, std::uint32_t fillID);
    // The cell format of a text cell: its font (0 when its runs differ, each run then carrying its
    // own), aligned left, or centred when it spans columns and starts 3 points or more into its
    // cell; shared with an equal plain text format, else appended.
    std::uint32_t getStyleIndexCellFrame(const KXExcelStringItem& item, const kx::Rect& cellFrame);
    // The cell format of a number cell: its number format (registered when custom), its run's font
    // and the fill under it.
    std::uint32_t styleIndexFrom(KXExcelRunText& run, KXExcelNumber& number, std::uint32_t fillID);

private:
    std::int32_t formatOption() const { return excelOptions_ ? excelOptions_->excelFormatOption() : 0; }
    // The font a cell of these run properties registers (steps shared by the two lookups).
    KXExcelStyleFont cellFont(const KXExcelRunTextProperty& properties, std::string* name, double* size,
                              std::string* color) const;

    std::string thousandSepartor_ = ",";
    std::optional<KXExcelOptions> excelOptions_;
    std::unique_ptr<KXExcelStyle> excelStyle_;
    std::uint64_t amountOfStringItems_ = 0;
};
