#include "xlsx/KXExcelWriter.h"

#include "ooxml/KXDocumentProperties.h"
#include "ooxml/KXOpenXMLNameSpace.h"
#include "ooxml/XMLFileWriter.h"
#include "platform/FileSystem.h"
#include "platform/Format.h"
#include "util/KXLibBundle.h"
#include "xlsx/KXExcelAIOSWriter.h"
#include "xlsx/KXExcelManager.h"
#include "xlsx/KXExcelPage.h"
#include "xlsx/KXExcelSharedStrings.h"
#include "xlsx/KXExcelStringItem.h"
#include "xlsx/KXExcelUtilities.h"

namespace {

constexpr std::string_view kWorkbookPart = "/xl/workbook.xml";
constexpr std::string_view kWorkbookType = "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml";
constexpr std::string_view kWorksheetType = "application/vnd.openxmlformats-officedocument.spreadsheetml.worksheet+xml";
constexpr std::string_view kSharedStringsType =
    "application/vnd.openxmlformats-officedocument.spreadsheetml.sharedStrings+xml";
constexpr std::string_view kStylesType = "application/vnd.openxmlformats-officedocument.spreadsheetml.styles+xml";

std::string applicationName() { return KXLibBundle::InfoDictionaryString("CFBundleDisplayName", "Docuvane"); }

void startPart(XMLFileWriter& w) {
    w.setLineBreak("");
    w.setIndentation("");
}

}  // namespace

KXExcelWriter::KXExcelWriter(const std::string& path, std::int64_t numOfPages, bool isExcelConvert,
                             std::optional<KXPDFInfo> info)
    : CaptureDocument(path, numOfPages), isExcelConvert_(isExcelConvert), pdfInfo_(std::move(info)) {}

KXExcelWriter::~KXExcelWriter() { closeWriters(); }

void KXExcelWriter::begainWriteDocument() {
    setBegainDocxOptions();
    sheetParts_.clear();
    sheetIdsList_.clear();
    if (savedWorkFolder().empty()) {
        setFailed();
        return;
    }
    if (!isExcelConvert_) {
        tablesFolder_ = kx::pathJoin(savedWorkFolder(), "tables");
        if (!kx::createDirectories(tablesFolder_)) setFailed();
        return;
    }
    if (!package_.initWorkFolder(savedFilePath(), savedWorkFolder())) {
        setFailed();
        return;
    }
    std::unique_ptr<XMLFileWriter> strings = package_.createXMLPart("/xl/sharedStrings.xml", kSharedStringsType);
    if (!strings) {
        setFailed();
        return;
    }
    sharedStringsPart_ = strings.get();
    sharedStrings_ = std::make_unique<KXExcelSharedStrings>(std::move(strings));
    if (KXExcelManager::sharedInstance().isAllInOneSheetEnabled())
        aiosWriter_ = std::make_unique<KXExcelAIOSWriter>(kx::pathJoin(savedWorkFolder(), "rows-of-all-pages.xml"));
}

void KXExcelWriter::startPage(kx::Size pageSize, std::int64_t pageIndex, bool) {
    currentPage_ = std::make_unique<KXExcelPage>(static_cast<std::uint64_t>(pageIndex));
    currentPage_->setPageSize(pageSize);
}

void KXExcelWriter::finishPage(std::int64_t) {
    if (!currentPage_) return;
    if (hasFailed()) {
        currentPage_.reset();
        return;
    }
    if (!isExcelConvert_) {
        if (std::optional<std::u16string> text = currentPage_->creatCSV())
            if (!writeCSVFile(*text)) setFailed();
        currentPage_.reset();
        return;
    }
    currentPage_->creatSheet();
    for (const auto& item : currentPage_->stringItems()) sharedStrings_->stringItems().push_back(item);
    sharedStrings_->writeStringItems();
    if (aiosWriter_) {
        if (KXExcelManager::sharedInstance().isAllInOneSheetAddToRow())
            aiosWriter_->collectPageXMLToRow(*currentPage_);
        else
            aiosWriter_->collectPageXMLToColumn(*currentPage_);
        if (aiosWriter_->hasFailed()) setFailed();
    } else if (!writeSheetPart(currentPage_.get())) {
        setFailed();
    }
    currentPage_.reset();
}

bool KXExcelWriter::writeSheetPart(const KXExcelPage* page) {
    const std::string name = "/xl/worksheets/sheet" + std::to_string(sheetParts_.size() + 1) + ".xml";
    std::unique_ptr<XMLFileWriter> w = package_.createXMLPart(name, kWorksheetType);
    if (!w) return false;
    const bool first = sheetParts_.empty();
    bool ok = true;
    if (page) {
        page->writeSheetXML(*w, first);
    } else if (aiosWriter_) {
        ok = aiosWriter_->writeSheetXML(*w);
    } else {
        KXExcelPage(1).writeSheetXML(*w, first);
    }
    if (!endPart(std::move(w)) || !ok) return false;
    sheetParts_.push_back(name);
    return true;
}

bool KXExcelWriter::writeCSVFile(const std::u16string& text) {
    std::string bytes;
    bytes.reserve(2 + text.size() * 2);
    bytes += "\xFF\xFE";  // UTF-16 little endian
    for (char16_t c : text) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>(c >> 8));
    }
    const std::string path = kx::pathJoin(tablesFolder_, "Table " + std::to_string(currentDocxPageIndex()) + ".csv");
    return kx::writeFile(path, bytes);
}

bool KXExcelWriter::endPart(std::unique_ptr<XMLFileWriter> writer) { return writer && package_.endXMLPart(*writer); }

void KXExcelWriter::closeWriters() {
    currentPage_.reset();
    if (sharedStrings_ && sharedStringsPart_) sharedStringsPart_->closeFile();
    sharedStrings_.reset();
    sharedStringsPart_ = nullptr;
    aiosWriter_.reset();
}

bool KXExcelWriter::packetZipFileIfNeed() {
    if (hasFailed()) {
        closeWriters();
        finish(false);
        return false;
    }
    if (!isExcelConvert_) {
        const bool ok = kx::moveItem(tablesFolder_, savedFilePath());
        finish(ok);
        return ok;
    }
    bool ok = true;
    // The sheet of all pages, or an empty sheet when no page gave one: a workbook holds a sheet.
    if (aiosWriter_ || sheetParts_.empty()) ok = writeSheetPart(nullptr);
    if (ok && sharedStrings_) {
        sharedStrings_->endWrite();
        ok = package_.endXMLPart(*sharedStringsPart_);
    }
    ok = ok && _xlsxWrite_XL_Styles();
    const bool theme = ok && _xlsxWrite_XL_Theme();
    KXPartRegistry& parts = package_.parts();
    for (size_t i = 0; ok && i < sheetParts_.size(); ++i) {
        const std::string id = "rId" + std::to_string(i + 1);
        parts.addRelationshipWithId(kWorkbookPart, id, KXOpenXMLNameSpace::nameSpace_Rels_WorkSheet(),
                                    "worksheets/" + kx::pathFileName(sheetParts_[i]));
        sheetIdsList_.push_back(id);
    }
    if (ok) {
        size_t next = sheetParts_.size() + 1;
        if (theme)
            parts.addRelationshipWithId(kWorkbookPart, "rId" + std::to_string(next++),
                                        KXOpenXMLNameSpace::nameSpace_Rels_Theme(), "theme/theme1.xml");
        parts.addRelationshipWithId(kWorkbookPart, "rId" + std::to_string(next++),
                                    KXOpenXMLNameSpace::nameSpace_Rels_Styles(), "styles.xml");
        parts.addRelationshipWithId(kWorkbookPart, "rId" + std::to_string(next++),
                                    KXOpenXMLNameSpace::nameSpace_Rels_SharedStrings(), "sharedStrings.xml");
    }
    ok = ok && _xlsxWrite_XL_WorkBook() && _xlsxWrite_DocProps_app() && _xlsxWrite_DocProps_core();
    if (ok) {
        const std::string_view package = KXPartRegistry::packageSource();
        parts.addRelationshipWithId(package, "rId1", KXOpenXMLNameSpace::nameSpace_Rels_OfficeDocument(),
                                    "xl/workbook.xml");
        parts.addRelationshipWithId(package, "rId2", KXOpenXMLNameSpace::nameSpace_Rels_CoreProperties(),
                                    "docProps/core.xml");
        parts.addRelationshipWithId(package, "rId3", KXOpenXMLNameSpace::nameSpace_Rels_ExtendedProperties(),
                                    "docProps/app.xml");
        ok = package_.finishPackage();
    }
    closeWriters();
    finish(ok);
    return ok;
}

bool KXExcelWriter::_xlsxWrite_XL_Styles() {
    std::unique_ptr<XMLFileWriter> w = package_.createXMLPart("/xl/styles.xml", kStylesType);
    if (!w) return false;
    KXExcelManager::sharedInstance().excelStyle().writeStyleWith(*w);
    return endPart(std::move(w));
}

// A workbook without its theme is still whole: the theme is left out with its relationship.
bool KXExcelWriter::_xlsxWrite_XL_Theme() {
    std::optional<std::string> theme = KXExcelUtilities::pathInBundle("KXQuendrel", "theme1.xml");
    return theme && package_.addPartFromFile("/xl/theme/theme1.xml", KXPartRegistry::contentType_Theme(), *theme);
}

bool KXExcelWriter::_xlsxWrite_XL_WorkBook() {
    std::unique_ptr<XMLFileWriter> w = package_.createXMLPart(kWorkbookPart, kWorkbookType);
    if (!w) return false;
    startPart(*w);
    w->setPrefix("r", KXOpenXMLNameSpace::nameSpace_r());
    w->writeStartDocumentWithEncodingAndVersion("UTF-8", "1.0", "yes");
    w->writeStartElement("workbook");
    w->writeAttribute("xmlns", KXOpenXMLNameSpace::nameSpace_SpreadSheetml2006Main());
    w->writeStartElement("fileVersion");
    w->writeAttribute("appName", "xl");
    w->writeAttribute("lastEdited", "4");
    w->writeAttribute("lowestEdited", "4");
    w->writeAttribute("rupBuild", "4506");
    w->writeEndElement();
    w->writeStartElement("workbookPr");
    w->writeAttribute("defaultThemeVersion", "124226");
    w->writeEndElement();
    w->writeStartElement("bookViews");
    w->writeStartElement("workbookView");
    w->writeAttribute("xWindow", "240");
    w->writeAttribute("yWindow", "15");
    w->writeAttribute("windowWidth", "11670");
    w->writeAttribute("windowHeight", "9480");
    w->writeAttribute("activeTab", "0");
    w->writeEndElement();
    w->writeEndElement();
    w->writeStartElement("sheets");
    for (size_t k = 0; k < sheetIdsList_.size(); ++k) {
        w->writeStartElement("sheet");
        w->writeAttribute("name", "Sheet " + std::to_string(k + 1));
        w->writeAttribute("sheetId", std::to_string(k + 1));
        w->writeAttributeWithNamespace(KXOpenXMLNameSpace::nameSpace_r(), "id", sheetIdsList_[k]);
        w->writeEndElement();
    }
    w->writeEndElement();
    w->writeStartElement("calcPr");
    w->writeAttribute("calcId", "125725");
    w->writeEndElement();
    return endPart(std::move(w));
}

bool KXExcelWriter::_xlsxWrite_DocProps_app() {
    std::unique_ptr<XMLFileWriter> w =
        package_.createXMLPart("/docProps/app.xml", KXPartRegistry::contentType_ExtendedProperties());
    if (!w) return false;
    KXAppProperties properties;
    properties.leading = {{"Application", applicationName()}, {"DocSecurity", "0"}, {"ScaleCrop", "false"}};
    properties.headingPairs = {{"worksheet", sheetParts_.size()}};
    for (size_t k = 1; k <= sheetParts_.size(); ++k) properties.titles.push_back("Sheet " + std::to_string(k));
    properties.trailing = {{"Company", pdfInfo_ ? pdfInfo_->creator() : ""},
                           {"Manager", pdfInfo_ ? pdfInfo_->producer() : ""},
                           {"LinksUpToDate", "false"},
                           {"SharedDoc", "false"},
                           {"HyperlinksChanged", "false"},
                           {"AppVersion", "12.0000"}};
    startPart(*w);
    kx::writeAppProperties(*w, properties);
    return endPart(std::move(w));
}

bool KXExcelWriter::_xlsxWrite_DocProps_core() {
    std::unique_ptr<XMLFileWriter> w =
        package_.createXMLPart("/docProps/core.xml", KXPartRegistry::contentType_CoreProperties());
    if (!w) return false;
    const std::string_view cp = KXOpenXMLNameSpace::nameSpace_cp(), dc = KXOpenXMLNameSpace::nameSpace_dc();
    const KXPDFInfo* info = pdfInfo_ ? &*pdfInfo_ : nullptr;
    KXCoreProperties properties;
    properties.entries = {{dc, "title", info ? info->title() : ""},      {dc, "subject", info ? info->subject() : ""},
                          {dc, "creator", info ? info->author() : ""},   {cp, "keywords", info ? info->keywords() : ""},
                          {dc, "description", info ? info->note() : ""}, {cp, "lastModifiedBy", applicationName()}};
    properties.time = kx::documentTime();
    startPart(*w);
    kx::writeCoreProperties(*w, properties);
    return endPart(std::move(w));
}
