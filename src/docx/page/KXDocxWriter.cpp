#include "docx/page/KXDocxWriter.h"

#include <algorithm>
#include <exception>
#include <fstream>

#include "docx/model/KXDocxCounters.h"
#include "docx/model/KXDocxProperty.h"
#include "docx/model/KXDocxUtilities.h"
#include "docx/model/KXDocxVMLShapeTypes.h"
#include "docx/page/KXDocxPage.h"
#include "ooxml/KXDocumentProperties.h"
#include "ooxml/KXOpenXMLNameSpace.h"
#include "ooxml/XMLFileWriter.h"
#include "platform/FileSystem.h"
#include "platform/FontCatalog.h"
#include "platform/Format.h"
#include "platform/ImageDecoding.h"
#include "platform/Unicode.h"
#include "util/KXLibBundle.h"
#include "util/KXPictureStore.h"

namespace kx::detail {
std::string_view compiledDocxTemplate(std::string_view name);
}

namespace {

using NS = KXOpenXMLNameSpace;
constexpr std::string_view W = NS::nameSpace_w();
constexpr std::string_view kDocumentSource = KXDocxWriter::kDocumentPart;

constexpr std::string_view kMainContentType =
    "application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml";
constexpr std::string_view kStylesContentType = "application/vnd.openxmlformats-officedocument.wordprocessingml.styles+xml";
constexpr std::string_view kSettingsContentType =
    "application/vnd.openxmlformats-officedocument.wordprocessingml.settings+xml";
constexpr std::string_view kFontTableContentType =
    "application/vnd.openxmlformats-officedocument.wordprocessingml.fontTable+xml";
constexpr std::string_view kWebSettingsContentType =
    "application/vnd.openxmlformats-officedocument.wordprocessingml.webSettings+xml";

struct FontRecord {
    const char* name;
    const char* charset;  // two hex digits
    const char* family;
    const char* pitch;
};
constexpr FontRecord kFonts[] = {
    {"Times New Roman", "00", "roman", "variable"},
    {"Arial", "00", "swiss", "variable"},
};

void declaration(XMLFileWriter& w) { w.writeStartDocumentWithEncodingAndVersion("UTF-8", "1.0", "yes"); }

}  // namespace

KXDocxWriter::KXDocxWriter(std::string path, std::int64_t numOfPages) : kx::CaptureDocument(path, numOfPages) {
    const std::string& work = kx::CaptureDocument::savedWorkFolder();
    if (work.empty() || !initWorkFolder(path, work)) fail("Can't create the work folder of " + path);
}

KXDocxWriter::~KXDocxWriter() = default;

void KXDocxWriter::fail(std::string reason) {
    setFailed();
    failures_.push_back(std::move(reason));
}

KXError KXDocxWriter::failureError() const {
    KXError error;
    error.domain = std::string(errorDomain());
    error.code = kCannotWrite;
    for (const std::string& f : failures_) error.failureReason += (error.failureReason.empty() ? "" : "; ") + f;
    return error;
}

void KXDocxWriter::closeWriters() {
    pictureWrites_.wait();
    currentPage_.reset();
    writtenPage_.reset();
    if (documentWriter_) documentWriter_->closeFile();
    documentWriter_.reset();
}

std::optional<std::string> KXDocxWriter::pathForDocxTemplatesResources(const std::string& name) {
    return KXDocxUtilities::PathInLibBundleForResource("Docx XML Templates/" + name);
}

std::string KXDocxWriter::templateText(const std::string& name) {
    if (std::optional<std::string> path = pathForDocxTemplatesResources(name))
        if (std::optional<std::string> text = kx::readFile(*path); text && !text->empty()) return *text;
    return std::string(kx::detail::compiledDocxTemplate(name));
}

void KXDocxWriter::begainWriteDocument() {
    if (hasFailed()) return;
    setBegainDocxOptions();
    KXDocxCounters::sharedInstance().begainWriteDocument();
    mediaCollection_.clear();
    mediaByFile_.clear();
    mediaPartNames_.clear();
    bookmarkNames_.clear();
    bookmarkIds_.clear();
    nextBookmarkId_ = 0;
    lastSectProperty_.reset();
    bodySectPropertyWritten_ = false;
    // The document's stacking and shape counters, and the VML shape types it defines, start again.
    KXDocxCounters::sharedInstance().begainWriteDocument();
    KXDocxVMLShapeTypes::sharedInstance().begainWriteDocument();

    // Runs are measured with the installed fonts at the end of each page: have them read meanwhile.
    kx::FontCatalog::loadInBackground();
    documentWriter_ = createXMLPart(kDocumentPart, kMainContentType);
    if (!documentWriter_) return fail("Can't create word/document.xml");
    parts().addRelationshipWithId(KXPartRegistry::packageSource(), "rId1", NS::nameSpace_Rels_ExtendedProperties(),
                                  "docProps/app.xml");
    parts().addRelationshipWithId(KXPartRegistry::packageSource(), "rId2", NS::nameSpace_Rels_CoreProperties(),
                                  "docProps/core.xml");
    parts().addRelationshipWithId(KXPartRegistry::packageSource(), "rId3", NS::nameSpace_Rels_OfficeDocument(),
                                  "word/document.xml");
    parts().addRelationshipWithId(kDocumentSource, "rId1", NS::relationshipType("styles"), "styles.xml");
    parts().addRelationshipWithId(kDocumentSource, "rId2", NS::relationshipType("fontTable"), "fontTable.xml");
    parts().addRelationshipWithId(kDocumentSource, "rId3", NS::nameSpace_Rels_Theme(), "theme/theme1.xml");
    parts().addRelationshipWithId(kDocumentSource, "rId4", NS::relationshipType("settings"), "settings.xml");
    parts().addRelationshipWithId(kDocumentSource, "rId5", NS::relationshipType("webSettings"), "webSettings.xml");

    XMLFileWriter& w = *documentWriter_;
    // The document part is read by programs only, and it is the package's largest part: no line
    // breaks or indentation to zip.
    w.setLineBreak("");
    w.setIndentation("");
    try {
        w.setPrefix("w", W);
        w.setPrefix("v", NS::nameSpace_v());
        w.setPrefix("r", NS::nameSpace_r());
        w.setPrefix("o", NS::nameSpace_o());
        w.setPrefix("wp", NS::nameSpace_wp());
        w.setPrefix("w10", NS::nameSpace_w10());
        w.setPrefix("ve", NS::nameSpace_ve());
        w.setPrefix("m", NS::nameSpace_m());
        w.setPrefix("wne", NS::nameSpace_wne());
        declaration(w);
        // No xml:space on the root: the schema does not allow it there; every text whose blanks
        // matter says so on its own "w:t".
        w.writeStartElementWithNamespace(W, "document");
        w.writeStartElementWithNamespace(W, "body");
    } catch (const std::exception& e) {
        fail(std::string("word/document.xml: ") + e.what());
    }
}

void KXDocxWriter::begainWritePage(kx::Size pageSize, long pdfPageIndex) {
    kx::CaptureDocument::begainWritePage(pageSize);
    if (currentPage_) currentPage_->setPdfPageIndex(pdfPageIndex);
}

void KXDocxWriter::startPage(kx::Size pageSize, std::int64_t pageIndex, bool lastPage) {
    currentPage_.reset();
    writtenPage_.reset();
    if (hasFailed() || !documentWriter_) return;
    currentPage_ = std::make_unique<KXDocxPage>(documentWriter_.get(), pageSize, pageIndex == 1, lastPage);
    currentPage_->setDocxWriter(this);
    currentPage_->setPdfPageIndex(pageIndex);
    currentPage_->begainWritePage(pageIndex);
}

void KXDocxWriter::finishPage(std::int64_t pageIndex) {
    if (!currentPage_) return;
    if (!hasFailed()) {
        try {
            currentPage_->endWritePage(pageIndex);
            if (currentPage_->lastWrittenSectProperty()) {
                lastSectProperty_ = currentPage_->lastWrittenSectProperty();
                bodySectPropertyWritten_ = currentPage_->wroteBodySectProperty();
            } else if (!lastSectProperty_) {
                lastSectProperty_ = currentPage_->sectProperty();
            }
        } catch (const std::exception& e) {
            // The document part is now unbalanced: the document cannot be completed.
            fail(std::string("word/document.xml: ") + e.what());
        }
    }
    writtenPage_ = std::move(currentPage_);
}

KXDocxPageBookmark KXDocxWriter::newPageBookmark(long pdfPageIndex) {
    long id = pdfPageIndex;
    if (bookmarkIds_.count(id)) id = *bookmarkIds_.rbegin() + 1;
    bookmarkIds_.insert(id);
    std::string name = std::to_string(pdfPageIndex);
    for (int n = 2; bookmarkNames_.count(name); ++n) name = std::to_string(pdfPageIndex) + "_" + std::to_string(n);
    bookmarkNames_.insert(name);
    return {std::to_string(id), name};
}

void KXDocxWriter::endWriteDocument() {
    currentPage_.reset();
    writtenPage_.reset();
    if (!documentWriter_) return;
    if (!hasFailed()) {
        try {
            // The body ends with the properties of its last section; when the last page written
            // was not the last one asked for (a later page failed), they are those of the last
            // section written.
            if (!bodySectPropertyWritten_) {
                KXDocx_SectPr last = lastSectProperty_.value_or(KXDocxUtilities::defaultSectPropertyHiden());
                last.shouldWrite = true;
                last.type = 1;
                KXDocxProperty::NewWriteSectProperty(last)->writeWithXMLWriter(*documentWriter_);
                bodySectPropertyWritten_ = true;
            }
            documentWriter_->writeEndElement();  // body
            documentWriter_->writeEndElement();  // document
        } catch (const std::exception& e) {
            fail(std::string("word/document.xml: ") + e.what());
        }
    }
    if (!endXMLPart(*documentWriter_)) fail("Can't write word/document.xml");
    documentWriter_.reset();
}

namespace {

// The extension of the part that carries a picture file: the format its content holds (or, for a
// picture still held in memory, the format it will be written as), lower case.
std::optional<std::string> mediaExtensionOf(const std::string& path) {
    kx::ImageFileType type = kx::ImageFileType::Unknown;
    if (std::optional<kx::ImageFileType> held = KXPictureStore::shared().heldType(path)) {
        type = *held;
    } else {
        std::ifstream in(path, std::ios::binary);
        char head[16] = {};
        in.read(head, sizeof head);
        type = kx::detectImageType(std::string_view(head, static_cast<size_t>(in.gcount())));
    }
    switch (type) {
        case kx::ImageFileType::PNG: return "png";
        case kx::ImageFileType::JPEG: return "jpeg";
        case kx::ImageFileType::GIF: return "gif";
        case kx::ImageFileType::BMP: return "bmp";
        case kx::ImageFileType::TIFF: return "tiff";
        default: return std::nullopt;
    }
}

}  // namespace

KXDocxWriter::Media* KXDocxWriter::collectedMedia(const std::string& path) {
    auto it = mediaByFile_.find(path);
    return it == mediaByFile_.end() ? nullptr : &mediaCollection_[it->second];
}

std::string KXDocxWriter::collectImageWithPath(const std::string& path) {
    if (const Media* m = collectedMedia(path))
        return parts().findOrAddRelationship(kDocumentSource, NS::nameSpace_Rels_Image(), m->part.substr(6));
    if (!KXPictureStore::shared().exists(path)) return {};
    std::optional<std::string> extension = mediaExtensionOf(path);
    if (!extension) return {};
    std::string stem = kx::pathFileName(path);
    if (size_t dot = stem.find_last_of('.'); dot != std::string::npos && dot > 0) stem.resize(dot);
    const std::string name = stem + "." + *extension;
    std::string part = "/word/media/" + name;
    // Two files of one name from different folders each keep a part of their own, as do names
    // that differ only in case (part names do not tell case apart).
    for (int n = 2; mediaPartNames_.count(kx::asciiLower(part)); ++n)
        part = "/word/media/" + std::to_string(n) + "-" + name;
    mediaPartNames_.insert(kx::asciiLower(part));
    mediaByFile_.emplace(path, mediaCollection_.size());
    mediaCollection_.push_back({path, part, false});
    return parts().addRelationship(kDocumentSource, NS::nameSpace_Rels_Image(), part.substr(6));
}

void KXDocxWriter::removeCollectedImageWithPath(const std::string& path) {
    Media* media = collectedMedia(path);
    if (!media || media->written) return;
    if (auto id = parts().findRelationship(kDocumentSource, NS::nameSpace_Rels_Image(), media->part.substr(6)))
        parts().removeRelationship(kDocumentSource, *id);
    mediaPartNames_.erase(kx::asciiLower(media->part));
    media->withdrawn = true;
    mediaByFile_.erase(path);
}

std::string KXDocxWriter::useCollectedImageWithPath(const std::string& path) {
    std::string id = collectImageWithPath(path);
    if (id.empty()) return id;
    Media* media = collectedMedia(path);
    if (!media) return {};
    // Taken already (its write may still be running).
    if (media->written) return id;
    // The package takes the file: a picture held in memory is encoded and written meanwhile,
    // anything else must be on disk now.
    if (KXPictureStore::WriteJob job = KXPictureStore::shared().writeLater(path); job.write)
        pictureWrites_.add(path, std::move(job.write), job.bytes);
    else if (!KXPictureStore::shared().realize(path))
        return {};
    media->written = true;
    return id;
}

void KXDocxWriter::writeAppProperties() {
    auto w = createXMLPartInMemory("/docProps/app.xml", KXPartRegistry::contentType_ExtendedProperties());
    if (!w) return fail("Can't create docProps/app.xml");
    std::string version = "1.0";
    if (auto v = KXLibBundle::ObjectForInfoDictionaryKey_KXLib("CFBundleVersion"); v && !v->string.empty())
        version = v->string;
    KXAppProperties properties;
    properties.leading = {{"Template", "Normal.dotm"},    {"TotalTime", "0"},
                          {"ScaleCrop", "false"},         {"Company", ""},
                          {"LinksUpToDate", "false"},     {"SharedDoc", "false"},
                          {"HyperlinksChanged", "false"}, {"Application", "Docuvane"},
                          {"AppVersion", version},        {"DocSecurity", "0"}};
    kx::writeAppProperties(*w, properties);
    if (!endXMLPart(*w)) fail("Can't write docProps/app.xml");
}

// The core properties of a document are an empty element: it carries no dates to follow a clock.
void KXDocxWriter::writeCoreProperties() {
    auto w = createXMLPartInMemory("/docProps/core.xml", KXPartRegistry::contentType_CoreProperties());
    if (!w) return fail("Can't create docProps/core.xml");
    kx::writeCoreProperties(*w, {});
    if (!endXMLPart(*w)) fail("Can't write docProps/core.xml");
}

void KXDocxWriter::writeFontTable() {
    auto w = createXMLPartInMemory("/word/fontTable.xml", kFontTableContentType);
    if (!w) return fail("Can't create word/fontTable.xml");
    w->setPrefix("r", NS::nameSpace_r());
    w->setPrefix("w", W);
    declaration(*w);
    w->writeStartElementWithNamespace(W, "fonts");
    for (const FontRecord& f : kFonts) {
        w->writeStartElementWithNamespace(W, "font");
        w->writeAttributeWithNamespace(W, "name", f.name);
        w->writeValElement(W, "altName", f.name);
        w->writeValElement(W, "charset", f.charset);
        w->writeValElement(W, "family", f.family);
        w->writeValElement(W, "pitch", f.pitch);
        w->writeEndElement();
    }
    w->writeEndElement();
    if (!endXMLPart(*w)) fail("Can't write word/fontTable.xml");
}

void KXDocxWriter::writeSettings() {
    auto w = createXMLPartInMemory("/word/settings.xml", kSettingsContentType);
    if (!w) return fail("Can't create word/settings.xml");
    w->setPrefix("o", NS::nameSpace_o());
    w->setPrefix("r", NS::nameSpace_r());
    w->setPrefix("m", NS::nameSpace_m());
    w->setPrefix("v", NS::nameSpace_v());
    w->setPrefix("w10", NS::nameSpace_w10());
    w->setPrefix("w", W);
    w->setPrefix("sl", NS::nameSpace_sl());
    declaration(*w);
    w->writeStartElementWithNamespace(W, "settings");
    w->writeValElement(W, "view", "print");
    w->writeStartElementWithNamespace(W, "zoom");
    w->writeAttributeWithNamespace(W, "percent", "120");
    w->writeEndElement();
    w->writeValElement(W, "defaultTabStop", "720");
    w->writeValElement(W, "drawingGridHorizontalSpacing", "110");
    w->writeValElement(W, "displayHorizontalDrawingGridEvery", "2");
    w->writeValElement(W, "characterSpacingControl", "doNotCompress");
    w->writeStartElementWithNamespace(W, "compat");
    w->writeStartElementWithNamespace(W, "ulTrailSpace");
    w->writeEndElement();
    w->writeStartElementWithNamespace(W, "useFELayout");
    w->writeEndElement();
    w->writeEndElement();
    w->writeEndElement();
    if (!endXMLPart(*w)) fail("Can't write word/settings.xml");
}

void KXDocxWriter::addTemplatePart(std::string_view partName, std::string_view contentType,
                                   const std::string& templateName) {
    std::string text = templateText(templateName);
    if (text.empty() || !addPartWithBytes(partName, contentType, text))
        fail("Can't write " + std::string(partName.substr(1)));
}

bool KXDocxWriter::packetZipFileIfNeed() {
    // The document refers to every picture a page took: one that could not be written leaves
    // the package unusable.
    for (const std::string& file : pictureWrites_.wait()) fail("Can't write the picture " + file);
    if (!hasFailed() && documentWriter_) endWriteDocument();
    if (!hasFailed()) {
        writeAppProperties();
        writeCoreProperties();
        // Pictures no page wrote leave with their relationships.
        std::vector<std::string> unused;
        for (const Media& m : mediaCollection_)
            if (!m.written && !m.withdrawn) unused.push_back(m.file);
        for (const std::string& file : unused) removeCollectedImageWithPath(file);
        for (const Media& m : mediaCollection_)
            if (!m.withdrawn && !addMediaPart(m.part, m.file, true)) fail("Can't add the picture " + m.file);
        writeFontTable();
        writeSettings();
        addTemplatePart("/word/styles.xml", kStylesContentType, "docx-template-styles-2006.xml");
        addTemplatePart("/word/theme/theme1.xml", KXPartRegistry::contentType_Theme(), "docx-template-theme1-2006.xml");
        addTemplatePart("/word/webSettings.xml", kWebSettingsContentType, "docx-template-webSettings-2006.xml");
    }
    KXError zipError;
    if (!hasFailed() && !finishPackage(&zipError)) fail(zipError.failureReason);
    const bool ok = !hasFailed();
    finish(ok);
    return ok;
}
