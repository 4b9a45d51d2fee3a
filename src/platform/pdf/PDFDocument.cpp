#include "platform/pdf/PDFDocument.h"

#include <cmath>

#include "platform/Numeric.h"
#include "platform/pdf/PDFSession_p.h"

namespace kx {

namespace {

pdf_document* openFile(fz_context* ctx, const char* path) {
    pdf_document* doc;
    fz_var(doc);
    doc = nullptr;
    fz_try(ctx) { doc = pdf_open_document(ctx, path); }
    fz_catch(ctx) { doc = nullptr; }
    return doc;
}

pdf_document* openBuffer(fz_context* ctx, fz_buffer* buf) {
    pdf_document* doc;
    fz_var(doc);
    fz_stream* stm;
    fz_var(stm);
    doc = nullptr;
    stm = nullptr;
    fz_try(ctx) {
        stm = fz_open_buffer(ctx, buf);
        doc = pdf_open_document_with_stream(ctx, stm);
    }
    fz_always(ctx) { fz_drop_stream(ctx, stm); }
    fz_catch(ctx) { doc = nullptr; }
    return doc;
}

int countPages(fz_context* ctx, pdf_document* doc) {
    int n;
    fz_var(n);
    n = 0;
    fz_try(ctx) { n = pdf_count_pages(ctx, doc); }
    fz_catch(ctx) { n = 0; }
    return n;
}

pdf_obj* lookupPage(fz_context* ctx, pdf_document* doc, int index) {
    pdf_obj* obj;
    fz_var(obj);
    obj = nullptr;
    fz_try(ctx) { obj = pdf_lookup_page_obj(ctx, doc, index); }
    fz_catch(ctx) { obj = nullptr; }
    return obj;
}

}  // namespace

PDFDocument::PDFDocument(std::shared_ptr<detail::PDFSession> session) : session_(std::move(session)) {
    fz_context* ctx = session_->ctx;
    unlockLevel_ = pdf_needs_password(ctx, session_->doc) ? 0 : 1;
}

PDFDocument::~PDFDocument() {
    if (!session_) return;
    // The caches hold objects of this document: they go now (while the session is still alive for
    // them), and none is made afterwards.
    std::map<const void*, std::shared_ptr<void>> caches;
    {
        std::lock_guard lock(session_->cacheMutex);
        session_->closed = true;
        caches.swap(session_->caches);
    }
}

std::shared_ptr<PDFDocument> PDFDocument::open(const std::string& path) {
    auto session = std::make_shared<detail::PDFSession>();
    if (!session->ctx || path.empty()) return nullptr;
    session->doc = openFile(session->ctx, path.c_str());
    if (!session->doc) return nullptr;
    return std::shared_ptr<PDFDocument>(new PDFDocument(std::move(session)));
}

std::shared_ptr<PDFDocument> PDFDocument::openFromMemory(std::string data) {
    auto session = std::make_shared<detail::PDFSession>();
    if (!session->ctx) return nullptr;
    session->memory = std::move(data);
    fz_context* ctx = session->ctx;
    fz_buffer* buf;
    fz_var(buf);
    buf = nullptr;
    fz_try(ctx) {
        buf = fz_new_buffer_from_shared_data(ctx, reinterpret_cast<const unsigned char*>(session->memory.data()),
                                             session->memory.size());
    }
    fz_catch(ctx) { buf = nullptr; }
    if (!buf) return nullptr;
    session->memoryBuffer = buf;
    session->doc = openBuffer(ctx, buf);
    if (!session->doc) return nullptr;
    return std::shared_ptr<PDFDocument>(new PDFDocument(std::move(session)));
}

bool PDFDocument::isEncrypted() const { return session_->doc->crypt != nullptr; }

bool PDFDocument::isUnlocked() const { return unlockLevel_ != 0; }

bool PDFDocument::unlockWithPassword(const std::string& password) {
    fz_context* ctx = session_->ctx;
    int level;
    fz_var(level);
    level = 0;
    fz_try(ctx) { level = pdf_authenticate_password(ctx, session_->doc, password.c_str()); }
    fz_catch(ctx) { level = 0; }
    if (level != 0) unlockLevel_ = level;
    return isUnlocked();
}

// The owner password grants every permission, whatever /P says.
bool PDFDocument::allowsPrinting() const {
    if (!isUnlocked()) return false;
    if (unlockLevel_ == 4) return true;
    return pdf_has_permission(session_->ctx, session_->doc, FZ_PERMISSION_PRINT) != 0;
}

bool PDFDocument::allowsCopying() const {
    if (!isUnlocked()) return false;
    if (unlockLevel_ == 4) return true;
    return pdf_has_permission(session_->ctx, session_->doc, FZ_PERMISSION_COPY) != 0;
}

bool PDFDocument::wasRepaired() const { return pdf_was_repaired(session_->ctx, session_->doc) != 0; }

int PDFDocument::pageCount() const { return countPages(session_->ctx, session_->doc); }

int PDFDocument::version() const {
    fz_context* ctx = session_->ctx;
    int v;
    fz_var(v);
    v = 0;
    fz_try(ctx) { v = pdf_version(ctx, session_->doc); }
    fz_catch(ctx) { v = 0; }
    return v;
}

std::optional<PDFPage> PDFDocument::page(int number) const {
    if (number < 1 || number > pageCount()) return std::nullopt;
    pdf_obj* obj = lookupPage(session_->ctx, session_->doc, number - 1);
    PDFObject dict = PDFObject::wrap(session_, obj);
    if (!dict.isDictionary()) return std::nullopt;
    // The page keeps its document alive; PDFDocument is always held by a shared_ptr.
    auto self = std::const_pointer_cast<PDFDocument>(shared_from_this());
    return PDFPage(self, number, dict);
}

PDFObject PDFDocument::trailer() const { return PDFObject::wrap(session_, pdf_trailer(session_->ctx, session_->doc)); }

PDFObject PDFDocument::catalog() const { return trailer().dictGet("Root"); }

PDFObject PDFDocument::info() const { return trailer().dictGet("Info"); }

PDFObject PDFDocument::object(int number) const {
    fz_context* ctx = session_->ctx;
    if (number <= 0) return {};
    pdf_obj* ref;
    fz_var(ref);
    ref = nullptr;
    fz_try(ctx) {
        if (number < pdf_xref_len(ctx, session_->doc)) ref = pdf_new_indirect(ctx, session_->doc, number, 0);
    }
    fz_catch(ctx) { ref = nullptr; }
    if (!ref) return {};
    PDFObject o = PDFObject::wrap(session_, ref);
    pdf_drop_obj(ctx, ref);
    return o;
}

PDFPage::PDFPage(std::shared_ptr<PDFDocument> document, int number, PDFObject dictionary)
    : document_(std::move(document)), number_(number), dictionary_(std::move(dictionary)) {}

namespace {

// A box array of four numbers as a standardized rectangle; null when unusable.
Rect boxFromArray(const PDFObject& a) {
    if (!a.isArray() || a.arrayCount() < 4) return Rect::null();
    double v[4];
    for (size_t i = 0; i < 4; ++i) {
        if (!a.arrayAt(i).getNumber(v[i]) || !std::isfinite(v[i])) return Rect::null();
    }
    Rect r{std::min(v[0], v[2]), std::min(v[1], v[3]), std::fabs(v[2] - v[0]), std::fabs(v[3] - v[1])};
    if (r.size.width == 0 || r.size.height == 0) return Rect::null();
    return r;
}

}  // namespace

Rect PDFPage::boxRect(PDFBox box) const {
    Rect media = boxFromArray(dictionary_.inheritedGet("MediaBox"));
    if (media.isNull()) return Rect::null();
    if (box == PDFBox::MediaBox) return media;
    Rect crop = boxFromArray(dictionary_.inheritedGet("CropBox"));
    crop = crop.isNull() ? media : crop.intersection(media);
    if (crop.isNull() || crop.isEmpty()) crop = media;
    if (box == PDFBox::CropBox) return crop;
    const char* key = box == PDFBox::BleedBox ? "BleedBox" : box == PDFBox::TrimBox ? "TrimBox" : "ArtBox";
    Rect r = boxFromArray(dictionary_.dictGet(key));
    if (r.isNull()) return crop;
    r = r.intersection(media);
    return (r.isNull() || r.isEmpty()) ? crop : r;
}

int PDFPage::rotationAngle() const {
    double v = 0;
    if (!dictionary_.inheritedGet("Rotate").getNumber(v)) return 0;
    long long angle = toInt<long long>(v) % 360;
    if (angle < 0) angle += 360;
    return static_cast<int>(angle - angle % 90);
}

PDFObject PDFPage::resources() const { return dictionary_.inheritedGet("Resources"); }

}  // namespace kx
