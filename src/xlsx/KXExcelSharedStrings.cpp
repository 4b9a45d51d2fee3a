#include "xlsx/KXExcelSharedStrings.h"

#include "ooxml/KXOpenXMLNameSpace.h"
#include "ooxml/XMLFileWriter.h"
#include "platform/FileSystem.h"
#include "xlsx/KXExcelStringItem.h"

KXExcelSharedStrings::KXExcelSharedStrings(const std::string& rootFolder) {
    if (kx::pathExtension(rootFolder) == "xlsx") kx::createDirectories(rootFolder + "/xl");
    xmlWriter_ = XMLFileWriter::initWithPath(rootFolder + "/xl/sharedStrings.xml");
    beginWrite();
}

KXExcelSharedStrings::KXExcelSharedStrings(std::unique_ptr<XMLFileWriter> writer) : xmlWriter_(std::move(writer)) {
    beginWrite();
}

KXExcelSharedStrings::~KXExcelSharedStrings() = default;

void KXExcelSharedStrings::beginWrite() {
    if (!xmlWriter_) return;
    xmlWriter_->setLineBreak("");
    xmlWriter_->setIndentation("");
    xmlWriter_->writeStartDocumentWithEncodingAndVersion("UTF-8", "1.0", "yes");
    xmlWriter_->writeStartElement("sst");
    xmlWriter_->writeAttribute("xmlns", KXOpenXMLNameSpace::nameSpace_SpreadSheetml2006Main());
}

void KXExcelSharedStrings::writeStringItems() {
    if (xmlWriter_)
        for (const auto& item : stringItems_) item->writeXMLWith(*xmlWriter_);
    amountOfStringItems_ += stringItems_.size();
    stringItems_.clear();
}

bool KXExcelSharedStrings::endWrite() {
    if (!xmlWriter_) return false;
    xmlWriter_->writeEndDocument();
    return !xmlWriter_->hasWriteError();
}
