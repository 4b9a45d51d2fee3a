#include "platform/pdf/PDFObject.h"

#include <cstring>
#include <unordered_set>

#include "platform/Format.h"
#include "platform/Unicode.h"
#include "platform/pdf/PDFSession_p.h"

namespace kx {

namespace detail {

namespace {
void ignoreMessage(void*, const char*) {}
}  // namespace

fz_context* newSilentContext() {
    fz_context* ctx = fz_new_context(nullptr, nullptr, FZ_STORE_DEFAULT);
    if (!ctx) return nullptr;
    fz_set_warning_callback(ctx, ignoreMessage, nullptr);
    fz_set_error_callback(ctx, ignoreMessage, nullptr);
    return ctx;
}

PDFSession::PDFSession() : ctx(newSilentContext()) {}

PDFSession::~PDFSession() {
    if (ctx) {
        for (auto& [num, extent] : streamExtents) pdf_drop_obj(ctx, extent.dictionary);
        pdf_drop_document(ctx, doc);
        fz_drop_buffer(ctx, memoryBuffer);
        fz_drop_context(ctx);
    }
    if (file) std::fclose(file);
}

}  // namespace detail

namespace {

// Resolves an indirect reference; nullptr when it cannot be loaded.
pdf_obj* resolveReference(fz_context* ctx, pdf_obj* obj) {
    pdf_obj* result;
    fz_var(result);
    result = nullptr;
    fz_try(ctx) { result = pdf_resolve_indirect_chain(ctx, obj); }
    fz_catch(ctx) { result = nullptr; }
    return result;
}

pdf_obj* resolve(fz_context* ctx, pdf_obj* obj) {
    // A direct object is itself; only a reference needs the guarded look-up (it may load and repair
    // the cross-reference table). Most objects read are direct: array elements, dictionary values.
    return pdf_is_indirect(ctx, obj) ? resolveReference(ctx, obj) : obj;
}

pdf_obj* newReference(fz_context* ctx, pdf_document* doc, int num) {
    pdf_obj* ref;
    fz_var(ref);
    ref = nullptr;
    fz_try(ctx) { ref = pdf_new_indirect(ctx, doc, num, 0); }
    fz_catch(ctx) { ref = nullptr; }
    return ref;
}

// The 0x18-0x1F and 0x80-0xAD code points where PDFDocEncoding differs from Latin-1.
constexpr char16_t kDocEnc18[8] = {0x02D8, 0x02C7, 0x02C6, 0x02D9, 0x02DD, 0x02DB, 0x02DA, 0x02DC};
constexpr char16_t kDocEnc80[46] = {
    0x2022, 0x2020, 0x2021, 0x2026, 0x2014, 0x2013, 0x0192, 0x2044, 0x2039, 0x203A, 0x2212, 0x2030,
    0x201E, 0x201C, 0x201D, 0x2018, 0x2019, 0x201A, 0x2122, 0xFB01, 0xFB02, 0x0141, 0x0152, 0x0160,
    0x0178, 0x017D, 0x0131, 0x0142, 0x0153, 0x0161, 0x017E, 0xFFFD, 0x20AC, 0x00A1, 0x00A2, 0x00A3,
    0x00A4, 0x00A5, 0x00A6, 0x00A7, 0x00A8, 0x00A9, 0x00AA, 0x00AB, 0x00AC, 0xFFFD};

}  // namespace

std::u16string decodePDFTextString(std::string_view b) {
    std::u16string out;
    auto u8 = [&](size_t i) { return static_cast<unsigned char>(b[i]); };
    if (b.size() >= 2 && ((u8(0) == 0xFE && u8(1) == 0xFF) || (u8(0) == 0xFF && u8(1) == 0xFE))) {
        bool big = u8(0) == 0xFE;
        std::u16string units;
        for (size_t i = 2; i + 1 < b.size(); i += 2)
            units.push_back(static_cast<char16_t>(big ? (u8(i) << 8 | u8(i + 1)) : (u8(i + 1) << 8 | u8(i))));
        // Re-encode so lone surrogates become U+FFFD.
        size_t i = 0;
        while (i < units.size()) appendUtf16(out, nextCodePoint(units, i));
        return out;
    }
    if (b.size() >= 3 && u8(0) == 0xEF && u8(1) == 0xBB && u8(2) == 0xBF) return utf8ToUtf16(b.substr(3));
    out.reserve(b.size());
    for (size_t i = 0; i < b.size(); ++i) {
        unsigned char c = u8(i);
        if (c >= 0x18 && c <= 0x1F)
            out.push_back(kDocEnc18[c - 0x18]);
        else if (c >= 0x80 && c <= 0xAD)
            out.push_back(kDocEnc80[c - 0x80]);
        else
            out.push_back(c);
    }
    return out;
}

std::optional<PDFDate> parsePDFDate(std::string_view t) {
    if (t.size() >= 2 && t[0] == 'D' && t[1] == ':') t.remove_prefix(2);
    size_t pos = 0;
    auto digits = [&](int n, int& out) {
        if (pos + static_cast<size_t>(n) > t.size()) return false;
        int v = 0;
        for (int k = 0; k < n; ++k) {
            char c = t[pos + static_cast<size_t>(k)];
            if (c < '0' || c > '9') return false;
            v = v * 10 + (c - '0');
        }
        out = v;
        pos += static_cast<size_t>(n);
        return true;
    };
    PDFDate d;
    if (!digits(4, d.year)) return std::nullopt;
    if (digits(2, d.month) && digits(2, d.day) && digits(2, d.hour) && digits(2, d.minute) && digits(2, d.second)) {
    }
    if (d.month < 1 || d.month > 12 || d.day < 1 || d.day > 31 || d.hour > 23 || d.minute > 59 || d.second > 60)
        return std::nullopt;
    if (pos < t.size()) {
        char o = t[pos++];
        if (o == 'Z') {
            d.utcOffsetMinutes = 0;
        } else if (o == '+' || o == '-') {
            int hh = 0, mm = 0;
            if (digits(2, hh)) {
                if (pos < t.size() && t[pos] == '\'') ++pos;
                digits(2, mm);
                d.utcOffsetMinutes = (o == '-' ? -1 : 1) * (hh * 60 + mm);
            }
        }
    }
    return d;
}

PDFObject PDFObject::wrap(const std::shared_ptr<detail::PDFSession>& session, pdf_obj* obj) {
    PDFObject o;
    if (!session || !obj) return o;
    fz_context* ctx = session->ctx;
    int num = 0;
    if (pdf_is_indirect(ctx, obj)) num = pdf_to_num(ctx, obj);
    pdf_obj* resolved = resolve(ctx, obj);
    if (!resolved || pdf_is_null(ctx, resolved)) return o;
    if (num == 0 && pdf_is_dict(ctx, resolved) && session->doc) {
        // A dictionary reached directly (not through a reference) may still be the top object of an
        // indirect object, a stream's dictionary for example: recover its number.
        int parent = pdf_obj_parent_num(ctx, resolved);
        if (parent > 0) {
            pdf_obj* ref = newReference(ctx, session->doc, parent);
            if (ref) {
                if (resolve(ctx, ref) == resolved) num = parent;
                pdf_drop_obj(ctx, ref);
            }
        }
    }
    o.session_ = session;
    o.obj_ = pdf_keep_obj(ctx, resolved);
    o.number_ = num;
    return o;
}

PDFObject PDFObject::wrapInlineImage(const std::shared_ptr<detail::PDFSession>& session, pdf_obj* dict,
                                     std::shared_ptr<const detail::PDFInlineImage> image) {
    PDFObject o = wrap(session, dict);
    if (!o.obj_) return o;
    o.inline_ = std::move(image);
    return o;
}

PDFObject::PDFObject(const PDFObject& other)
    : session_(other.session_), obj_(other.obj_), number_(other.number_), inline_(other.inline_) {
    if (obj_) pdf_keep_obj(session_->ctx, obj_);
}

PDFObject::PDFObject(PDFObject&& other) noexcept
    : session_(std::move(other.session_)), obj_(other.obj_), number_(other.number_), inline_(std::move(other.inline_)) {
    other.obj_ = nullptr;
    other.number_ = 0;
}

PDFObject& PDFObject::operator=(const PDFObject& other) {
    if (this != &other) {
        PDFObject copy(other);
        *this = std::move(copy);
    }
    return *this;
}

PDFObject& PDFObject::operator=(PDFObject&& other) noexcept {
    if (this != &other) {
        if (obj_) pdf_drop_obj(session_->ctx, obj_);
        session_ = std::move(other.session_);
        obj_ = other.obj_;
        number_ = other.number_;
        inline_ = std::move(other.inline_);
        other.obj_ = nullptr;
        other.number_ = 0;
    }
    return *this;
}

PDFObject::~PDFObject() {
    if (obj_) pdf_drop_obj(session_->ctx, obj_);
}

PDFObjectType PDFObject::type() const {
    if (!obj_) return PDFObjectType::Null;
    fz_context* ctx = session_->ctx;
    if (inline_) return PDFObjectType::Stream;
    if (pdf_is_bool(ctx, obj_)) return PDFObjectType::Boolean;
    if (pdf_is_int(ctx, obj_)) return PDFObjectType::Integer;
    if (pdf_is_real(ctx, obj_)) return PDFObjectType::Real;
    if (pdf_is_name(ctx, obj_)) return PDFObjectType::Name;
    if (pdf_is_string(ctx, obj_)) return PDFObjectType::String;
    if (pdf_is_array(ctx, obj_)) return PDFObjectType::Array;
    if (pdf_is_dict(ctx, obj_)) {
        if (number_ > 0 && session_->doc && pdf_obj_num_is_stream(ctx, session_->doc, number_))
            return PDFObjectType::Stream;
        return PDFObjectType::Dictionary;
    }
    return PDFObjectType::Null;
}

bool PDFObject::isDictionary() const { return obj_ && pdf_is_dict(session_->ctx, obj_); }

bool PDFObject::getBoolean(bool& out) const {
    if (!obj_ || !pdf_is_bool(session_->ctx, obj_)) return false;
    out = pdf_to_bool(session_->ctx, obj_) != 0;
    return true;
}

bool PDFObject::getInteger(std::int64_t& out) const {
    if (!obj_ || !pdf_is_int(session_->ctx, obj_)) return false;
    out = pdf_to_int64(session_->ctx, obj_);
    return true;
}

bool PDFObject::getNumber(double& out) const {
    if (!obj_) return false;
    fz_context* ctx = session_->ctx;
    if (pdf_is_int(ctx, obj_)) {
        out = static_cast<double>(pdf_to_int64(ctx, obj_));
        return true;
    }
    if (pdf_is_real(ctx, obj_)) {
        out = pdf_to_real(ctx, obj_);
        return true;
    }
    return false;
}

bool PDFObject::getName(std::string& out) const {
    if (!obj_ || !pdf_is_name(session_->ctx, obj_)) return false;
    out = pdf_to_name(session_->ctx, obj_);
    return true;
}

bool PDFObject::getString(std::string& bytes) const {
    if (!obj_ || !pdf_is_string(session_->ctx, obj_)) return false;
    size_t n = 0;
    const char* s = pdf_to_string(session_->ctx, obj_, &n);
    bytes.assign(s ? s : "", s ? n : 0);
    return true;
}

double PDFObject::numberOr(double fallback) const {
    double v = fallback;
    getNumber(v);
    return v;
}

std::int64_t PDFObject::integerOr(std::int64_t fallback) const {
    std::int64_t v = fallback;
    getInteger(v);
    return v;
}

std::string PDFObject::name() const {
    std::string s;
    getName(s);
    return s;
}

std::string PDFObject::stringBytes() const {
    std::string s;
    getString(s);
    return s;
}

std::u16string PDFObject::textString() const {
    std::string s;
    if (!getString(s)) return {};
    return decodePDFTextString(s);
}

std::optional<PDFDate> PDFObject::date() const {
    std::string s;
    if (!getString(s)) return std::nullopt;
    return parsePDFDate(s);
}

bool PDFObject::isName(std::string_view name) const {
    if (!obj_ || !pdf_is_name(session_->ctx, obj_)) return false;
    return std::string_view(pdf_to_name(session_->ctx, obj_)) == name;
}

size_t PDFObject::arrayCount() const {
    if (!obj_ || !pdf_is_array(session_->ctx, obj_)) return 0;
    int n = pdf_array_len(session_->ctx, obj_);
    return n > 0 ? static_cast<size_t>(n) : 0;
}

PDFObject PDFObject::arrayAt(size_t index) const {
    if (index >= arrayCount()) return {};
    return wrap(session_, pdf_array_get(session_->ctx, obj_, static_cast<int>(index)));
}

size_t PDFObject::dictCount() const {
    if (!obj_ || !pdf_is_dict(session_->ctx, obj_)) return 0;
    int n = pdf_dict_len(session_->ctx, obj_);
    return n > 0 ? static_cast<size_t>(n) : 0;
}

PDFObject PDFObject::dictGet(std::string_view key) const {
    if (!obj_ || !pdf_is_dict(session_->ctx, obj_) || key.empty()) return {};
    char buf[128];
    std::string heap;
    const char* k;
    if (key.size() < sizeof buf) {
        std::memcpy(buf, key.data(), key.size());
        buf[key.size()] = 0;
        k = buf;
    } else {
        heap.assign(key);
        k = heap.c_str();
    }
    return wrap(session_, pdf_dict_gets(session_->ctx, obj_, k));
}

PDFObject PDFObject::dictGet(std::string_view key, std::string_view abbreviation) const {
    PDFObject v = dictGet(key);
    if (v.isNull() && !abbreviation.empty()) v = dictGet(abbreviation);
    return v;
}

bool PDFObject::dictHas(std::string_view key) const { return !dictGet(key).isNull(); }

std::string PDFObject::dictKeyAt(size_t index) const {
    if (index >= dictCount()) return {};
    pdf_obj* k = pdf_dict_get_key(session_->ctx, obj_, static_cast<int>(index));
    const char* s = k ? pdf_to_name(session_->ctx, k) : "";
    return s ? s : "";
}

PDFObject PDFObject::dictValueAt(size_t index) const {
    if (index >= dictCount()) return {};
    return wrap(session_, pdf_dict_get_val(session_->ctx, obj_, static_cast<int>(index)));
}

std::vector<std::pair<std::string, PDFObject>> PDFObject::dictEntries() const {
    std::vector<std::pair<std::string, PDFObject>> out;
    size_t n = dictCount();
    out.reserve(n);
    for (size_t i = 0; i < n; ++i) out.emplace_back(dictKeyAt(i), dictValueAt(i));
    return out;
}

PDFObject PDFObject::streamDictionary() const {
    if (!isStream()) return {};
    PDFObject d = *this;
    d.inline_.reset();
    return d;
}

namespace {

constexpr size_t kMaxStreamBytes = size_t(1) << 30;  // 1 GiB of decoded data at most

// Reads a whole stream object with every filter undone; nullptr on failure.
fz_buffer* loadDecoded(fz_context* ctx, pdf_document* doc, int num, const detail::PDFSession::StreamExtent& extent) {
    fz_stream* stm;
    fz_var(stm);
    fz_buffer* buf;
    fz_var(buf);
    stm = nullptr;
    buf = nullptr;
    fz_try(ctx) {
        int truncated = 0;
        stm = detail::openStreamObject(ctx, doc, num, extent);
        buf = fz_read_best(ctx, stm, 0, &truncated, kMaxStreamBytes);
    }
    fz_always(ctx) { fz_drop_stream(ctx, stm); }
    fz_catch(ctx) {
        fz_drop_buffer(ctx, buf);
        buf = nullptr;
    }
    return buf;
}

fz_compressed_buffer* loadCompressed(fz_context* ctx, pdf_document* doc, int num) {
    fz_compressed_buffer* cbuf;
    fz_var(cbuf);
    cbuf = nullptr;
    fz_try(ctx) { cbuf = pdf_load_compressed_stream(ctx, doc, num, kMaxStreamBytes); }
    fz_catch(ctx) { cbuf = nullptr; }
    return cbuf;
}

std::string takeBuffer(fz_context* ctx, fz_buffer* buf) {
    unsigned char* data = nullptr;
    size_t n = fz_buffer_storage(ctx, buf, &data);
    std::string s(reinterpret_cast<const char*>(data), n);
    fz_drop_buffer(ctx, buf);
    return s;
}

}  // namespace

std::optional<std::string> PDFObject::streamData() const {
    if (inline_) return inline_->decoded;
    if (!isStream() || number_ <= 0) return std::nullopt;
    fz_context* ctx = session_->ctx;
    const detail::PDFSession::StreamExtent extent = detail::streamExtent(*session_, number_);
    fz_buffer* buf = loadDecoded(ctx, session_->doc, number_, extent);
    if (!buf) return std::nullopt;
    return takeBuffer(ctx, buf);
}

std::optional<std::string> PDFObject::streamData(PDFDataFormat& format) const {
    format = PDFDataFormat::Raw;
    if (inline_) {
        if (inline_->imageType == FZ_IMAGE_JPEG) {
            format = PDFDataFormat::JPEGEncoded;
            return inline_->encoded;
        }
        if (inline_->imageType == FZ_IMAGE_JPX) {
            format = PDFDataFormat::JPEG2000;
            return inline_->encoded;
        }
        return inline_->decoded;
    }
    if (!isStream()) return std::nullopt;
    fz_context* ctx = session_->ctx;
    fz_compressed_buffer* cbuf = loadCompressed(ctx, session_->doc, number_);
    if (cbuf) {
        int type = cbuf->params.type;
        if ((type == FZ_IMAGE_JPEG || type == FZ_IMAGE_JPX) && cbuf->buffer) {
            unsigned char* data = nullptr;
            size_t n = fz_buffer_storage(ctx, cbuf->buffer, &data);
            std::string s(reinterpret_cast<const char*>(data), n);
            fz_drop_compressed_buffer(ctx, cbuf);
            format = type == FZ_IMAGE_JPEG ? PDFDataFormat::JPEGEncoded : PDFDataFormat::JPEG2000;
            return s;
        }
        fz_drop_compressed_buffer(ctx, cbuf);
    }
    std::optional<std::string> decoded = streamData();
    // JPXDecode is not undone by the stream filters; say so.
    if (decoded) {
        for (const std::string& f : streamFilters())
            if (f == "JPXDecode") format = PDFDataFormat::JPEG2000;
    }
    return decoded;
}

std::vector<std::string> PDFObject::streamFilters() const {
    std::vector<std::string> out;
    PDFObject f = dictGet("Filter", inline_ ? "F" : "");
    if (f.isName()) {
        out.push_back(f.name());
    } else if (f.isArray()) {
        for (size_t i = 0; i < f.arrayCount(); ++i) out.push_back(f.arrayAt(i).name());
    }
    // Inline images abbreviate filter names.
    for (std::string& name : out) {
        if (name == "AHx") name = "ASCIIHexDecode";
        else if (name == "A85") name = "ASCII85Decode";
        else if (name == "LZW") name = "LZWDecode";
        else if (name == "Fl") name = "FlateDecode";
        else if (name == "RL") name = "RunLengthDecode";
        else if (name == "CCF") name = "CCITTFaxDecode";
        else if (name == "DCT") name = "DCTDecode";
    }
    return out;
}

std::shared_ptr<void> PDFObject::documentCache(const void* kind,
                                               const std::function<std::shared_ptr<void>()>& make) const {
    if (!session_ || !kind) return nullptr;
    std::lock_guard lock(session_->cacheMutex);
    if (session_->closed) return nullptr;
    std::shared_ptr<void>& cache = session_->caches[kind];
    if (!cache) cache = make();
    return cache;
}

PDFObject PDFObject::inheritedGet(std::string_view key) const {
    constexpr int kMaxDepth = 64;
    std::unordered_set<std::uintptr_t> seen;
    PDFObject node = *this;
    for (int depth = 0; depth < kMaxDepth && node.isDictionary(); ++depth) {
        if (!seen.insert(node.identity()).second) break;
        PDFObject v = node.dictGet(key);
        if (!v.isNull()) return v;
        node = node.dictGet("Parent");
    }
    return {};
}

}  // namespace kx
