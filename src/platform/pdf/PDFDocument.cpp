#include "platform/pdf/PDFDocument.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <limits>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/Numeric.h"
#include "platform/pdf/PDFSession_p.h"

namespace kx {

namespace {

// MuPDF reads the file through the stream; the file stays open as long as the document.
pdf_document* openFile(fz_context* ctx, FILE* file) {
    pdf_document* doc;
    fz_var(doc);
    fz_stream* stm;
    fz_var(stm);
    doc = nullptr;
    stm = nullptr;
    fz_try(ctx) {
        stm = fz_open_file_ptr_no_close(ctx, file);
        doc = pdf_open_document_with_stream(ctx, stm);
    }
    fz_always(ctx) { fz_drop_stream(ctx, stm); }
    fz_catch(ctx) { doc = nullptr; }
    return doc;
}

// Whether the file starts like a PDF (the header may follow some bytes of junk).
bool hasPDFHeader(FILE* file) {
    char head[1024];
    std::rewind(file);
    const size_t n = std::fread(head, 1, sizeof head, file);
    return std::string_view(head, n).find("%PDF-") != std::string_view::npos;
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

std::shared_ptr<PDFDocument> PDFDocument::open(const std::string& path, std::string* whyNot) {
    auto refuse = [whyNot](std::string reason) -> std::shared_ptr<PDFDocument> {
        if (whyNot) *whyNot = std::move(reason);
        return nullptr;
    };
    if (path.empty()) return refuse("no such file");
    // What is at the path is looked at before it is opened: opening some devices has effects of
    // its own, and reading one may never end.
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return refuse(errorText(errno));
    if (S_ISDIR(st.st_mode)) return refuse("a folder");
    if (!S_ISREG(st.st_mode)) return refuse("not a regular file");
    // The file is checked again once open, where nothing can swap it for something else; a pipe
    // put in its place meanwhile does not block the open.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return refuse(errorText(errno));
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return refuse("not a regular file");
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    FILE* file = ::fdopen(fd, "rb");
    if (!file) {
        const int error = errno;
        ::close(fd);
        return refuse(errorText(error));
    }
    auto session = std::make_shared<detail::PDFSession>();
    session->file = file;
    if (!session->ctx) return refuse("out of memory");
    session->doc = openFile(session->ctx, file);
    if (!session->doc) return refuse(hasPDFHeader(file) ? "a damaged PDF file that could not be read" : "not a PDF file");
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

namespace {

// Whether a kid of the page tree is a node to descend into (else it is a page): /Type /Pages, or
// without a /Type a dictionary with /Kids and no /MediaBox. This is how the page look-up tells
// them apart, so that the count and the look-up agree on a sound tree.
bool isTreeNode(const PDFObject& kid) {
    PDFObject type = kid.dictGet("Type");
    if (!type.isNull()) return type.isName("Pages");
    return kid.dictHas("Kids") && !kid.dictHas("MediaBox");
}

// The pages under the root node, counted leaf by leaf. The walk keeps its own stack (a deep tree
// costs no recursion) and enters each node once (a cycle, or a node two parents share, is not
// walked again), so it ends after at most one visit of every kid of every node: the file's size
// bounds it, whatever the /Count entries claim.
int countLeaves(const PDFObject& root) {
    if (!root.isDictionary()) return 0;
    struct Level {
        PDFObject kids;
        size_t next = 0;
    };
    std::unordered_set<std::uintptr_t> entered{root.identity()};
    std::vector<Level> stack{{root.dictGet("Kids")}};
    long long leaves = 0;
    while (!stack.empty()) {
        Level& level = stack.back();
        if (!level.kids.isArray() || level.next >= level.kids.arrayCount()) {
            stack.pop_back();
            continue;
        }
        PDFObject kid = level.kids.arrayAt(level.next++);
        if (kid.isDictionary() && isTreeNode(kid)) {
            if (entered.insert(kid.identity()).second) stack.push_back({kid.dictGet("Kids")});
        } else if (++leaves >= std::numeric_limits<int>::max()) {
            break;
        }
    }
    return static_cast<int>(leaves);
}

}  // namespace

int PDFDocument::pageCount() const {
    std::call_once(pageCountOnce_, [this] { pageCount_ = countLeaves(catalog().dictGet("Pages")); });
    return pageCount_;
}

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
