#include "xlsx/KXExcelManager.h"

#include <cmath>

#include "xlsx/KXExcelNumber.h"
#include "xlsx/KXExcelRunText.h"
#include "xlsx/KXExcelStringItem.h"
#include "xlsx/KXExcelStyleUtils.h"
#include "xlsx/KXExcelUtilities.h"

namespace {

std::unique_ptr<KXExcelManager>& sharedSlot() {
    static std::unique_ptr<KXExcelManager> manager;
    return manager;
}

// How far into its cell a text that spans columns must start to count as centred, in points.
constexpr double kCentredOffset = 3.0;

}  // namespace

KXExcelManager& KXExcelManager::sharedInstance() {
    std::unique_ptr<KXExcelManager>& slot = sharedSlot();
    if (!slot) slot = std::make_unique<KXExcelManager>();
    return *slot;
}

void KXExcelManager::reset() {
    std::unique_ptr<KXExcelManager>& slot = sharedSlot();
    if (!slot) return;
    slot->amountOfStringItems_ = 0;
    slot->excelStyle_ = std::make_unique<KXExcelStyle>();
}

void KXExcelManager::destory() { sharedSlot().reset(); }

KXExcelManager::KXExcelManager() : excelStyle_(std::make_unique<KXExcelStyle>()) {}

void KXExcelManager::setOptions(const KXExcelOptions& options) {
    excelOptions_ = options;
    thousandSepartor_ = options.thousandSepartor() == 1 ? "." : ",";
}

bool KXExcelManager::isNeedValidNumbers() const {
    return formatOption() != 2 && excelOptions_ && excelOptions_->recognizeNumber();
}

bool KXExcelManager::isNeedCollectCGPaths() const { return excelOptions_ && excelOptions_->collectCGPaths(); }

bool KXExcelManager::isNeedCollectFills() const {
    return excelOptions_ && excelOptions_->collectCGPaths() && excelOptions_->collectFills();
}

std::int32_t KXExcelManager::OverlapTextOption() const { return excelOptions_ ? excelOptions_->overlapText() : 0; }

bool KXExcelManager::isAllInOneSheetEnabled() const { return excelOptions_ && excelOptions_->allInOneSheet(); }

bool KXExcelManager::isAllInOneSheetAddToRow() const { return excelOptions_ && excelOptions_->aiosAddToRow(); }

bool KXExcelManager::isBlankSpace(std::u16string_view text) {
    return text.find_first_not_of(u' ') == std::u16string_view::npos;
}

KXExcelStyleFont KXExcelManager::cellFont(const KXExcelRunTextProperty& properties, std::string* name, double* size,
                                          std::string* color) const {
    *name = isNeedDefaultFontName() ? KXExcelUtilities::defaultFontName() : properties.rFont();
    *size = isNeedDefaultFontSize() ? KXExcelUtilities::defaultFontSize() : properties.sz();
    *color = properties.rgbColor();
    if (!isNeedCollectFills() && (color->empty() || *color == "ffffff")) *color = "000000";
    KXExcel_Font f = KXExcelUtilities::defaultExcelFont();
    f.name = KXExcelUtilities::excelFontName(*name);
    f.sz = *size;
    f.b = isSpecialVersion() ? false : properties.b();
    f.i = isSpecialVersion() ? false : properties.i();
    return KXExcelStyleFont(std::move(f), *color);
}

std::uint32_t KXExcelManager::collectFontsWithRun(KXExcelRunText& run, std::uint32_t) {
    std::string name, color;
    double size = 0;
    KXExcelStyleFont font = cellFont(run.rPr(), &name, &size, &color);
    run.rPr().setRFont(name);
    run.rPr().setSz(size);
    run.rPr().setRgbColor(color);
    return excelStyle_->collectFonts(font);
}

std::uint32_t KXExcelManager::getStyleIndexCellFrame(const KXExcelStringItem& item, const kx::Rect& cellFrame) {
    std::uint32_t fontID = 0;
    if (!item.isAttributeRunText() && !item.runArray().empty()) {
        std::string name, color;
        double size = 0;
        fontID = excelStyle_->collectFonts(cellFont(item.runProperty(), &name, &size, &color));
    }
    std::string horizontal = "left";
    if (!isNeedWrapText() && item.columnLength() != 0 &&
        !(item.itemInfo().displayX - cellFrame.minX() < kCentredOffset))
        horizontal = "center";
    // A text cell takes a listed format only when that format shows nothing but a font and an
    // alignment: no number format, fill or border of a number cell carries over to text.
    std::vector<KXExcelStyleXf>& formats = excelStyle_->cellXfsArr();
    for (size_t i = 0; i < formats.size(); ++i) {
        const KXExcel_Xf& xf = formats[i].formatedElm();
        if (xf.fontId == static_cast<std::int32_t>(fontID) && xf.numFmtId == 0 && xf.fillId == 0 &&
            xf.borderId == 0 && xf.alignment.horizontal == horizontal && xf.alignment.vertical == "center")
            return static_cast<std::uint32_t>(i);
    }
    KXExcel_Xf xf = KXExcelStyleXf::defaultXf();
    xf.numFmtId = 0;
    xf.fontId = static_cast<std::int32_t>(fontID);
    xf.applyAlignment = true;
    xf.alignment = KXExcel_Xf_Alignment{};
    xf.alignment.horizontal = horizontal;
    xf.alignment.vertical = "center";
    formats.emplace_back(xf);
    return static_cast<std::uint32_t>(formats.size() - 1);
}

std::uint32_t KXExcelManager::styleIndexFrom(KXExcelRunText& run, KXExcelNumber& number, std::uint32_t fillID) {
    if (number.numID() == -1)
        number.setNumID(static_cast<std::int32_t>(excelStyle_->collectNumberFormat(number.formatCode().value_or(""))));
    std::uint32_t fontID = collectFontsWithRun(run, fillID);
    KXExcel_Xf_Alignment alignment = KXExcelMakeAlignment("left", "center", true);
    return KXExcelStyleUtils::getStyleIndexFrom(excelStyle_->cellXfsArr(), static_cast<std::uint32_t>(number.numID()),
                                                fontID, fillID, 0, alignment);
}
