#include "engine/KXPDFInfo.h"

#include <algorithm>

#include "util/KXLibBundle.h"
#include "platform/FileSystem.h"
#include "platform/PropertyList.h"
#include "platform/Resources.h"
#include "platform/Unicode.h"
#include "platform/pdf/PDFDocument.h"

namespace {

// The creator texts: "KXPDFInfo.plist" of the KXQuendrel bundle; an empty list when it is missing.
kx::PlistValue creatorTexts() {
    std::optional<std::string> bundle = KXLibBundle::PathForResource_KXLib("KXQuendrel", "bundle");
    if (!bundle || !kx::isDirectory(*bundle)) return {};
    std::optional<std::string> path = kx::bundleResourcePath(*bundle, "", "KXPDFInfo.plist");
    if (!path) return {};
    return kx::readPropertyList(*path).value_or(kx::PlistValue{});
}

std::string textOf(const kx::PlistValue& list, const std::string& key) {
    const kx::PlistValue* v = list.find(key);
    return v && v->type == kx::PlistValue::Type::String ? v->string : std::string();
}

}  // namespace

KXPDFInfo::KXPDFInfo(const kx::PDFDocument& document) {
    const kx::PlistValue texts = creatorTexts();
    author_ = textOf(texts, "KXPDFInfo_Creator");
    creator_ = textOf(texts, "KXPDFInfo_Company");
    note_ = textOf(texts, "KXPDFInfo_Copyright") + "\n" + textOf(texts, "KXPDFInfo_Website");
    numPages_ = static_cast<std::uint64_t>(std::max(document.pageCount(), 0));
    loadDocumentInfo(document);
}

void KXPDFInfo::loadDocumentInfo(const kx::PDFDocument& document) {
    const int version = document.version();
    majorVersion_ = version / 10;
    minorVersion_ = version % 10;

    const kx::PDFObject info = document.info();
    if (!info.isDictionary()) return;
    struct Entry {
        const char* key;
        std::string* field;
    } const entries[] = {{"Title", &title_},       {"Author", &author_},     {"Subject", &subject_},
                         {"Keywords", &keywords_}, {"Producer", &producer_}};
    for (const Entry& e : entries) {
        kx::PDFObject value = info.dictGet(e.key);
        if (value.isString()) *e.field = kx::utf16ToUtf8(value.textString());
    }
    if (kx::PDFObject date = info.dictGet("CreationDate"); date.isString()) creationDate_ = date.date();
    if (kx::PDFObject date = info.dictGet("ModDate"); date.isString()) modificationDate_ = date.date();
}
