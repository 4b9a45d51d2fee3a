#include "xlsx/KXExcelStyle.h"

#include <algorithm>
#include <memory>
#include <optional>

#include "ooxml/KXOpenXMLNameSpace.h"
#include "ooxml/XMLFileWriter.h"
#include "platform/Format.h"
#include "xlsx/KXExcelManager.h"
#include "xlsx/KXExcelUtilities.h"

KXExcelStyle::KXExcelStyle() {
    fontsArr_.emplace_back();
    fillsArr_.emplace_back();
    KXExcelStyleFill gray;
    KXExcel_PatternFill pattern = KXExcelStyleFill::defaultFill();
    pattern.patternType = "gray125";
    gray.setPatternFill(pattern);
    fillsArr_.push_back(gray);
    bordersArr_.emplace_back();
    KXExcel_Xf xf = KXExcelStyleXf::defaultXf();
    cellStyleXfsArr_.emplace_back(xf);
    xf.applyAlignment = true;
    cellXfsArr_.emplace_back(xf);
}

std::uint32_t KXExcelStyle::collectFonts(const KXExcelStyleFont& font) {
    for (size_t i = 0; i < fontsArr_.size(); ++i)
        if (fontsArr_[i].isEqualToFont(font)) return static_cast<std::uint32_t>(i);
    fontsArr_.push_back(font);
    return static_cast<std::uint32_t>(fontsArr_.size() - 1);
}

void KXExcelStyle::collectFills(const KXExcelStyleFill& fill) {
    for (const KXExcelStyleFill& listed : fillsArr_)
        if (listed.isEqualToFill(fill)) return;
    fillsArr_.push_back(fill);
}

std::uint32_t KXExcelStyle::getFillIdWithCellFrame(const kx::Rect& cellFrame) const {
    if (!KXExcelManager::sharedInstance().isNeedCollectFills()) return 0;
    for (size_t i = 0; i < fillsArr_.size(); ++i) {
        const kx::Rect& rect = fillsArr_[i].rect();
        if (rect.isEmpty()) continue;
        if (rect.intersects(cellFrame)) return static_cast<std::uint32_t>(i);
    }
    return 0;
}

std::uint32_t KXExcelStyle::collectNumberFormat(const std::string& formatCode) {
    for (const KXExcelStyleNumFmt& f : numFmtsArr_)
        if (f.formatCode() == formatCode) return static_cast<std::uint32_t>(f.numFmtID());
    std::int32_t id = kFirstCustomNumFmtID;
    while (existNumberFormat(id)) ++id;
    numFmtsArr_.emplace_back(id, formatCode);
    return static_cast<std::uint32_t>(id);
}

bool KXExcelStyle::existNumberFormat(std::int32_t numFmtID) const {
    return std::any_of(numFmtsArr_.begin(), numFmtsArr_.end(),
                       [numFmtID](const KXExcelStyleNumFmt& f) { return f.numFmtID() == numFmtID; });
}

bool KXExcelStyle::writeStyleTo(const std::string& folder) const {
    std::unique_ptr<XMLFileWriter> writer = XMLFileWriter::initWithPath(folder + "/xl/styles.xml");
    if (!writer) return false;
    writeStyleWith(*writer);
    return !writer->hasWriteError();
}

namespace {

void writeFlag(XMLFileWriter& w, std::string_view name, bool flag) {
    if (flag) w.writeAttribute(name, "1");
}

// The apply flags in the order the part lists them; "applyFont" is never written.
void writeApplyFlags(XMLFileWriter& w, const KXExcel_Xf& xf) {
    writeFlag(w, "applyNumberFormat", xf.applyNumberFormat);
    writeFlag(w, "applyFill", xf.applyFill);
    writeFlag(w, "applyBorder", xf.applyBorder);
    writeFlag(w, "applyAlignment", xf.applyAlignment);
    writeFlag(w, "applyProtection", xf.applyProtection);
}

// One "xf" of the cell style formats (no wrap given) or of the cell formats (which name their style
// format, list the alignment horizontal first and always say whether the text wraps).
void writeXf(XMLFileWriter& w, const KXExcel_Xf& xf, std::optional<bool> wrapText) {
    w.writeStartElement("xf");
    w.writeAttribute("numFmtId", std::to_string(xf.numFmtId));
    w.writeAttribute("fontId", std::to_string(xf.fontId));
    w.writeAttribute("fillId", std::to_string(xf.fillId));
    w.writeAttribute("borderId", std::to_string(xf.borderId));
    if (wrapText) w.writeAttribute("xfId", std::to_string(xf.xfId));
    writeApplyFlags(w, xf);
    w.writeStartElement("alignment");
    if (wrapText) {
        if (!xf.alignment.horizontal.empty()) w.writeAttribute("horizontal", xf.alignment.horizontal);
        if (!xf.alignment.vertical.empty()) w.writeAttribute("vertical", xf.alignment.vertical);
        w.writeAttribute("wrapText", *wrapText ? "1" : "0");
    } else {
        if (!xf.alignment.vertical.empty()) w.writeAttribute("vertical", xf.alignment.vertical);
        if (!xf.alignment.horizontal.empty()) w.writeAttribute("horizontal", xf.alignment.horizontal);
    }
    w.writeEndElement();
    w.writeEndElement();
}

void writeBorderSide(XMLFileWriter& w, std::string_view name, const KXExcel_PatternBorderElement& side) {
    w.writeStartElement(name);
    if (!side.style.empty()) w.writeAttribute("style", side.style);
    if (!side.color.rgb.empty()) {
        w.writeStartElement("color");
        w.writeAttribute("rgb", side.color.rgb);
        w.writeEndElement();
    }
    w.writeEndElement();
}

}  // namespace

void KXExcelStyle::writeStyleWith(XMLFileWriter& w) const {
    w.setLineBreak("");
    w.setIndentation("");
    w.writeStartDocumentWithEncodingAndVersion("UTF-8", "1.0", "yes");
    w.writeStartElement("styleSheet");
    w.writeAttribute("xmlns", KXOpenXMLNameSpace::nameSpace_SpreadSheetml2006Main());

    if (!numFmtsArr_.empty()) {
        w.writeStartElement("numFmts");
        w.writeAttribute("count", std::to_string(numFmtsArr_.size()));
        for (const KXExcelStyleNumFmt& f : numFmtsArr_) {
            w.writeStartElement("numFmt");
            w.writeAttribute("numFmtId", std::to_string(f.numFmtID()));
            w.writeAttribute("formatCode", f.formatCode());
            w.writeEndElement();
        }
        w.writeEndElement();
    }
    if (!fontsArr_.empty()) {
        w.writeStartElement("fonts");
        w.writeAttribute("count", std::to_string(fontsArr_.size()));
        for (const KXExcelStyleFont& f : fontsArr_) {
            w.writeStartElement("font");
            w.writeStartElement("sz");
            w.writeAttribute("val", kx::formatFixed(f.font().sz, 0));
            w.writeEndElement();
            w.writeStartElement("color");
            w.writeAttribute("rgb", KXExcelUtilities::argbColor(f.rgbColor()));
            w.writeEndElement();
            w.writeStartElement("name");
            w.writeAttribute("val", KXExcelUtilities::excelFontName(f.font().name));
            w.writeEndElement();
            w.writeStartElement("b");
            w.writeAttribute("val", f.font().b ? "1" : "0");
            w.writeEndElement();
            w.writeStartElement("i");
            w.writeAttribute("val", f.font().i ? "1" : "0");
            w.writeEndElement();
            w.writeEndElement();
        }
        w.writeEndElement();
    }
    if (!fillsArr_.empty()) {
        w.writeStartElement("fills");
        w.writeAttribute("count", std::to_string(fillsArr_.size()));
        for (const KXExcelStyleFill& f : fillsArr_) {
            w.writeStartElement("fill");
            w.writeStartElement("patternFill");
            w.writeAttribute("patternType", f.patternFill().patternType);
            if (f.fgRGBColor()) {
                w.writeStartElement("fgColor");
                w.writeAttribute("rgb", KXExcelUtilities::argbColor(*f.fgRGBColor()));
                w.writeEndElement();
            }
            w.writeEndElement();
            w.writeEndElement();
        }
        w.writeEndElement();
    }
    if (!bordersArr_.empty()) {
        w.writeStartElement("borders");
        w.writeAttribute("count", std::to_string(bordersArr_.size()));
        for (const KXExcelStyleBorder& b : bordersArr_) {
            w.writeStartElement("border");
            writeBorderSide(w, "left", b.border().left);
            writeBorderSide(w, "right", b.border().right);
            writeBorderSide(w, "top", b.border().top);
            writeBorderSide(w, "bottom", b.border().bottom);
            writeBorderSide(w, "diagonal", b.border().diagonal);
            w.writeEndElement();
        }
        w.writeEndElement();
    }
    if (!cellStyleXfsArr_.empty()) {
        w.writeStartElement("cellStyleXfs");
        w.writeAttribute("count", std::to_string(cellStyleXfsArr_.size()));
        for (const KXExcelStyleXf& entry : cellStyleXfsArr_) writeXf(w, entry.formatedElm(), std::nullopt);
        w.writeEndElement();
    }
    if (!cellXfsArr_.empty()) {
        const bool wrap = KXExcelManager::sharedInstance().isNeedWrapText();
        w.writeStartElement("cellXfs");
        w.writeAttribute("count", std::to_string(cellXfsArr_.size()));
        for (const KXExcelStyleXf& entry : cellXfsArr_) writeXf(w, entry.formatedElm(), wrap);
        w.writeEndElement();
    }
    if (!cellStyleArr_.empty()) {
        w.writeStartElement("cellStyles");
        w.writeAttribute("count", std::to_string(cellStyleArr_.size()));
        for (const KXExcelStyleCellStyle& entry : cellStyleArr_) {
            const KXExcel_CellStyle& s = entry.cellStyle();
            w.writeStartElement("cellStyle");
            w.writeAttribute("name", s.name);
            w.writeAttribute("xfId", std::to_string(s.xfId));
            w.writeAttribute("builtinId", std::to_string(s.builtinId));
            w.writeAttribute("hidden", s.hidden ? "1" : "0");
            w.writeAttribute("customBuiltin", s.customBuiltin ? "1" : "0");
            w.writeAttribute("iLevel", std::to_string(s.iLevel));
            w.writeEndElement();
        }
        w.writeEndElement();
    }
    w.writeStartElement("dxfs");
    w.writeAttribute("count", std::to_string(dxfsArr_.size()));
    w.writeEndElement();
    w.writeStartElement("tableStyles");
    w.writeAttribute("count", std::to_string(tableStyleArr_.size()));
    w.writeAttribute("defaultTableStyle", "TableStyleMedium9");
    w.writeAttribute("defaultPivotStyle", "PivotStyleLight16");
    for (const KXExcelStyleTableStyle& t : tableStyleArr_) {
        w.writeStartElement("tableStyle");
        w.writeAttribute("count", std::to_string(t.elements().size()));
        w.writeAttribute("name", t.tableStyle().name);
        w.writeAttribute("pivot", t.tableStyle().pivot ? "1" : "0");
        w.writeAttribute("table", t.tableStyle().table ? "1" : "0");
        for (const KXExcelStyleTableStyleElm& e : t.elements()) {
            w.writeStartElement("tableStyleElement");
            w.writeAttribute("type", e.element().type);
            w.writeAttribute("dxfId", std::to_string(e.element().dxfID));
            w.writeAttribute("size", std::to_string(e.element().size));
            w.writeEndElement();
        }
        w.writeEndElement();
    }
    w.writeEndElement();
    w.writeEndDocument();
}
