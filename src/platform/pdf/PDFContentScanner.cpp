#include "platform/pdf/PDFContentScanner.h"

#include <cstring>
#include <memory>
#include <vector>

#include "platform/pdf/PDFDocument.h"
#include "platform/pdf/PDFSession_p.h"

namespace kx {

PDFContentStream PDFContentStream::forPage(const PDFPage& page) {
    PDFContentStream s;
    s.session_ = page.document()->session();
    s.contents_ = page.dictionary().dictGet("Contents");
    s.resources_ = page.resources();
    return s;
}

PDFContentStream PDFContentStream::forStream(const PDFObject& stream, const PDFObject& resources) {
    PDFContentStream s;
    s.session_ = stream.session();
    s.contents_ = stream;
    s.resources_ = resources;
    return s;
}

PDFContentStream PDFContentStream::forBytes(const std::shared_ptr<detail::PDFSession>& session, std::string bytes,
                                            const PDFObject& resources) {
    PDFContentStream s;
    s.session_ = session;
    s.bytes_ = std::make_shared<const std::string>(std::move(bytes));
    s.resources_ = resources;
    return s;
}

namespace {

std::uint32_t operatorKey(std::string_view op) {
    if (op.empty() || op.size() > 4) return 0;
    std::uint32_t k = 0;
    for (char c : op) k = (k << 8) | static_cast<unsigned char>(c);
    return k;
}

}  // namespace

void PDFOperatorTable::setCallback(std::string_view op, PDFOperatorCallback callback) {
    std::uint32_t k = operatorKey(op);
    if (k) table_[k] = callback;
}

PDFOperatorCallback PDFOperatorTable::find(std::string_view op) const {
    auto it = table_.find(operatorKey(op));
    return it == table_.end() ? nullptr : it->second;
}

PDFScanner::PDFScanner(const PDFContentStream& stream, const PDFOperatorTable& table, void* info)
    : stream_(stream), table_(table), info_(info) {
    operands_.reserve(16);
}

PDFScanner::~PDFScanner() = default;

bool PDFScanner::popTop(PDFOperand& out) {
    if (operands_.empty()) return false;
    out = std::move(operands_.back());
    operands_.pop_back();
    return true;
}

bool PDFScanner::popObject(PDFOperand& out) {
    if (!popTop(out)) return false;
    makeArrayObject(out);
    return true;
}

bool PDFScanner::popNumber(double& out) {
    PDFOperand o;
    if (!popTop(o) || (o.type != PDFObjectType::Integer && o.type != PDFObjectType::Real)) return false;
    out = o.number;
    return true;
}

bool PDFScanner::popInteger(std::int64_t& out) {
    PDFOperand o;
    if (!popTop(o) || o.type != PDFObjectType::Integer) return false;
    out = o.integer;
    return true;
}

bool PDFScanner::popBoolean(bool& out) {
    PDFOperand o;
    if (!popTop(o) || o.type != PDFObjectType::Boolean) return false;
    out = o.boolean;
    return true;
}

bool PDFScanner::popName(std::string& out) {
    PDFOperand o;
    if (!popTop(o) || o.type != PDFObjectType::Name) return false;
    out = std::move(o.text);
    return true;
}

bool PDFScanner::popString(std::string& bytes) {
    PDFOperand o;
    if (!popTop(o) || o.type != PDFObjectType::String) return false;
    bytes = std::move(o.text);
    return true;
}

bool PDFScanner::popArray(PDFObject& out) {
    PDFOperand o;
    if (!popTop(o) || o.type != PDFObjectType::Array) return false;
    makeArrayObject(o);
    out = std::move(o.object);
    return true;
}

bool PDFScanner::popPlainArray(std::vector<PDFOperand>& elements) {
    if (operands_.empty()) return false;
    PDFOperand& top = operands_.back();
    if (top.type != PDFObjectType::Array || !top.object.isNull()) return false;
    elements = std::move(top.elements);
    operands_.pop_back();
    return true;
}

void PDFScanner::makeArrayObject(PDFOperand& operand) const {
    if (operand.type != PDFObjectType::Array || !operand.object.isNull()) return;
    const std::shared_ptr<detail::PDFSession>& session = stream_.session();
    fz_context* ctx = session->ctx;
    const std::vector<PDFOperand>& elements = operand.elements;
    pdf_obj* array;
    fz_var(array);
    array = nullptr;
    fz_try(ctx) {
        array = pdf_new_array(ctx, session->doc, static_cast<int>(elements.size()) + 1);
        for (const PDFOperand& e : elements) {
            if (e.type == PDFObjectType::Integer) pdf_array_push_int(ctx, array, e.integer);
            else if (e.type == PDFObjectType::Real) pdf_array_push_real(ctx, array, e.number);
            else pdf_array_push_string(ctx, array, e.text.data(), e.text.size());
        }
    }
    fz_catch(ctx) {
        pdf_drop_obj(ctx, array);
        array = nullptr;
    }
    if (!array) {
        operand.type = PDFObjectType::Null;  // could not be made (out of memory): no array
        return;
    }
    operand.object = PDFObject::wrap(session, array);
    pdf_drop_obj(ctx, array);
    operand.elements.clear();
}

bool PDFScanner::popDictionary(PDFObject& out) {
    PDFOperand o;
    if (!popTop(o) || o.type != PDFObjectType::Dictionary) return false;
    out = std::move(o.object);
    return true;
}

bool PDFScanner::popStream(PDFObject& out) {
    PDFOperand o;
    if (!popTop(o) || o.type != PDFObjectType::Stream) return false;
    out = std::move(o.object);
    return true;
}

namespace {

using detail::PDFSession;

constexpr size_t kMaxInlineImageBytes = size_t(256) << 20;

fz_stream* openConcat(fz_context* ctx, int count) {
    fz_stream* joined;
    fz_var(joined);
    joined = nullptr;
    fz_try(ctx) { joined = fz_open_concat(ctx, count, 1); }
    fz_catch(ctx) { joined = nullptr; }
    return joined;
}

// Adds one part to a joined stream; a part that cannot be opened is left out.
void pushPart(fz_context* ctx, fz_stream* joined, pdf_document* doc, int num, const PDFSession::StreamExtent& extent) {
    fz_try(ctx) { fz_concat_push_drop(ctx, joined, openStreamObject(ctx, doc, num, extent)); }
    fz_catch(ctx) {}
}

// The parts of a contents array joined with a blank between them (as MuPDF joins them), each read
// through its mended extent.
fz_stream* openJoinedParts(fz_context* ctx, pdf_document* doc, const std::vector<int>& numbers,
                           const std::vector<PDFSession::StreamExtent>& extents) {
    fz_stream* joined = openConcat(ctx, static_cast<int>(numbers.size()));
    if (!joined) return nullptr;
    for (size_t i = 0; i < numbers.size(); ++i) pushPart(ctx, joined, doc, numbers[i], extents[i]);
    return joined;
}

// Content given as bytes, as a contents array, or as one stream object (`num`).
fz_stream* openPlain(fz_context* ctx, pdf_document* doc, const char* bytes, size_t size, pdf_obj* array, int num,
                     const PDFSession::StreamExtent& extent) {
    fz_stream* stm;
    fz_var(stm);
    stm = nullptr;
    fz_try(ctx) {
        if (bytes)
            stm = fz_open_memory(ctx, reinterpret_cast<const unsigned char*>(bytes), size);
        else if (array)
            stm = pdf_open_contents_stream(ctx, doc, array);
        else if (num > 0)
            stm = openStreamObject(ctx, doc, num, extent);
    }
    fz_catch(ctx) { stm = nullptr; }
    return stm;
}

fz_stream* openContents(PDFSession& s, const PDFContentStream& cs) {
    fz_context* ctx = s.ctx;
    // A content stream shared by many pages is checked for a wrong /Length once (streamExtent),
    // before MuPDF is asked to read it.
    std::vector<int> numbers;
    std::vector<PDFSession::StreamExtent> extents;
    bool mended = false;
    if (!cs.bytes()) {
        const PDFObject& contents = cs.contents();
        if (contents.isArray()) {
            for (size_t i = 0, n = contents.arrayCount(); i < n; ++i) {
                const int num = contents.arrayAt(i).objectNumber();
                if (num <= 0 || !contents.arrayAt(i).isStream()) continue;
                numbers.push_back(num);
                extents.push_back(streamExtent(s, num));
                mended = mended || extents.back().dictionary;
            }
        } else if (contents.isStream() && contents.objectNumber() > 0) {
            numbers.push_back(contents.objectNumber());
            extents.push_back(streamExtent(s, numbers.back()));
        }
    }
    if (mended) return openJoinedParts(ctx, s.doc, numbers, extents);
    if (const std::string* bytes = cs.bytes()) return openPlain(ctx, s.doc, bytes->data(), bytes->size(), nullptr, 0, {});
    if (cs.contents().isArray()) return openPlain(ctx, s.doc, nullptr, 0, cs.contents().raw(), 0, {});
    if (numbers.empty()) return nullptr;
    return openPlain(ctx, s.doc, nullptr, 0, nullptr, numbers.front(), extents.front());
}

bool initLexbuf(fz_context* ctx, pdf_lexbuf* lb) {
    bool ok;
    fz_var(ok);
    ok = true;
    fz_try(ctx) { pdf_lexbuf_init(ctx, lb, PDF_LEXBUF_LARGE); }
    fz_catch(ctx) { ok = false; }
    return ok;
}

// One token; false when the lexer failed (damaged data or filter).
bool lexToken(fz_context* ctx, fz_stream* stm, pdf_lexbuf* lb, pdf_token* tok) {
    bool ok;
    fz_var(ok);
    ok = true;
    fz_try(ctx) { *tok = pdf_lex(ctx, stm, lb); }
    fz_catch(ctx) { ok = false; }
    return ok;
}

pdf_obj* parseContainer(fz_context* ctx, pdf_document* doc, fz_stream* stm, pdf_lexbuf* lb, bool array) {
    pdf_obj* obj;
    fz_var(obj);
    obj = nullptr;
    fz_try(ctx) { obj = array ? pdf_parse_array(ctx, doc, stm, lb) : pdf_parse_dict(ctx, doc, stm, lb); }
    fz_catch(ctx) { obj = nullptr; }
    return obj;
}

// Reads "key value" pairs of an inline image dictionary up to the keyword ID.
pdf_obj* parseInlineDict(fz_context* ctx, pdf_document* doc, fz_stream* stm, pdf_lexbuf* lb) {
    pdf_obj* dict;
    fz_var(dict);
    dict = nullptr;
    fz_try(ctx) {
        dict = pdf_new_dict(ctx, doc, 8);
        for (;;) {
            pdf_token tok = pdf_lex(ctx, stm, lb);
            if (tok == PDF_TOK_KEYWORD && !strcmp(lb->scratch, "ID")) break;
            if (tok == PDF_TOK_EOF) fz_throw(ctx, FZ_ERROR_SYNTAX, "inline image without ID");
            if (tok != PDF_TOK_NAME) fz_throw(ctx, FZ_ERROR_SYNTAX, "inline image key is not a name");
            char key[256];
            fz_strlcpy(key, lb->scratch, sizeof key);
            pdf_dict_puts_drop(ctx, dict, key, pdf_parse_stm_obj(ctx, doc, stm, lb));
        }
        // One white-space byte ends ID (CR LF counts as one).
        int ch = fz_read_byte(ctx, stm);
        if (ch == '\r' && fz_peek_byte(ctx, stm) == '\n') fz_read_byte(ctx, stm);
    }
    fz_catch(ctx) {
        pdf_drop_obj(ctx, dict);
        dict = nullptr;
    }
    return dict;
}

// Components of a colour space given by name or array, resolving resource names; 0 when unknown.
int colorComponents(fz_context* ctx, pdf_obj* cs, pdf_obj* resources, int depth) {
    if (!cs || depth > 8) return 0;
    if (pdf_is_name(ctx, cs)) {
        const char* n = pdf_to_name(ctx, cs);
        if (!strcmp(n, "G") || !strcmp(n, "DeviceGray") || !strcmp(n, "CalGray") || !strcmp(n, "I") ||
            !strcmp(n, "Indexed"))
            return 1;
        if (!strcmp(n, "RGB") || !strcmp(n, "DeviceRGB") || !strcmp(n, "CalRGB") || !strcmp(n, "Lab")) return 3;
        if (!strcmp(n, "CMYK") || !strcmp(n, "DeviceCMYK")) return 4;
        pdf_obj* named = resources ? pdf_dict_gets(ctx, pdf_dict_get(ctx, resources, PDF_NAME(ColorSpace)), n) : nullptr;
        return named ? colorComponents(ctx, named, nullptr, depth + 1) : 0;
    }
    if (pdf_is_array(ctx, cs) && pdf_array_len(ctx, cs) > 0) {
        pdf_obj* family = pdf_array_get(ctx, cs, 0);
        const char* n = pdf_to_name(ctx, family);
        if (!strcmp(n, "Indexed") || !strcmp(n, "I") || !strcmp(n, "Separation")) return 1;
        if (!strcmp(n, "DeviceN")) return pdf_array_len(ctx, pdf_array_get(ctx, cs, 1));
        if (!strcmp(n, "ICCBased")) return pdf_dict_get_int(ctx, pdf_array_get(ctx, cs, 1), PDF_NAME(N));
        if (!strcmp(n, "CalRGB") || !strcmp(n, "Lab")) return 3;
        if (!strcmp(n, "CalGray")) return 1;
        return colorComponents(ctx, family, resources, depth + 1);
    }
    return 0;
}

struct InlineRead {
    fz_buffer* decoded = nullptr;
    fz_buffer* encoded = nullptr;
    int imageType = 0;
};

// Reads the data of an inline image through its filters, leaving the stream just after the data.
bool readInlineData(fz_context* ctx, pdf_document* doc, fz_stream* stm, pdf_obj* dict, pdf_obj* resources,
                    InlineRead* out) {
    fz_stream* istm;
    fz_var(istm);
    fz_stream* leech;
    fz_var(leech);
    fz_stream* decomp;
    fz_var(decomp);
    bool ok;
    fz_var(ok);
    istm = leech = decomp = nullptr;
    ok = false;
    fz_try(ctx) {
        int w = pdf_to_int(ctx, pdf_dict_geta(ctx, dict, PDF_NAME(Width), PDF_NAME(W)));
        int h = pdf_to_int(ctx, pdf_dict_geta(ctx, dict, PDF_NAME(Height), PDF_NAME(H)));
        bool mask = pdf_to_bool(ctx, pdf_dict_geta(ctx, dict, PDF_NAME(ImageMask), PDF_NAME(IM)));
        int bpc = mask ? 1 : pdf_to_int(ctx, pdf_dict_geta(ctx, dict, PDF_NAME(BitsPerComponent), PDF_NAME(BPC)));
        int n = mask ? 1 : colorComponents(ctx, pdf_dict_geta(ctx, dict, PDF_NAME(ColorSpace), PDF_NAME(CS)), resources, 0);
        if (n <= 0) n = 1;
        if (bpc <= 0 || bpc > 16) bpc = 8;
        size_t expected = 0;
        if (w > 0 && h > 0) {
            size_t stride = (static_cast<size_t>(w) * static_cast<size_t>(n) * static_cast<size_t>(bpc) + 7) / 8;
            if (stride > 0 && static_cast<size_t>(h) <= kMaxInlineImageBytes / stride) expected = stride * static_cast<size_t>(h);
        }
        if (expected == 0) fz_throw(ctx, FZ_ERROR_GENERIC, "inline image size out of range");
        fz_compression_params params;
        memset(&params, 0, sizeof params);
        out->encoded = fz_new_buffer(ctx, 1024);
        istm = pdf_open_inline_stream(ctx, doc, dict, static_cast<int>(expected), stm, &params);
        leech = fz_open_leecher(ctx, istm, out->encoded);
        int l2factor = 0;
        decomp = fz_open_image_decomp_stream(ctx, leech, &params, &l2factor);
        int truncated = 0;
        out->decoded = fz_read_best(ctx, decomp, expected, &truncated, expected);
        out->imageType = params.type;
        ok = true;
    }
    fz_always(ctx) {
        fz_drop_stream(ctx, decomp);
        fz_drop_stream(ctx, leech);
        fz_drop_stream(ctx, istm);
    }
    fz_catch(ctx) { ok = false; }
    return ok;
}

// Moves past the "EI" that ends an inline image (the data may end early or late).
bool skipToEI(fz_context* ctx, fz_stream* stm) {
    bool found;
    fz_var(found);
    found = false;
    fz_try(ctx) {
        int ch = fz_read_byte(ctx, stm);
        while (ch != EOF && !found) {
            if (ch != 'E') {
                ch = fz_read_byte(ctx, stm);
                continue;
            }
            ch = fz_read_byte(ctx, stm);
            if (ch != 'I') continue;
            int next = fz_peek_byte(ctx, stm);
            if (next == EOF || next <= 32 || next == '/' || next == '<' || next == '[' || next == '(' || next == '%')
                found = true;
            else
                ch = fz_read_byte(ctx, stm);
        }
    }
    fz_catch(ctx) { found = false; }
    return found;
}

// Whether the bytes buffered after an array's "[" hold the whole array and nothing in it but
// numbers, strings and white space (text-showing arrays), so that it can be read token by token
// without a PDF object. Anything else (names, keywords, nested arrays or dictionaries, comments,
// an array running past the buffer) answers false and the array is parsed as a PDF object.
bool plainArrayAhead(const fz_stream* stm) {
    const unsigned char* p = stm->rp;
    const unsigned char* end = stm->wp;
    while (p < end) {
        unsigned char c = *p;
        if (c == ']') return true;
        if (c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\f' || c == 0 || (c >= '0' && c <= '9') ||
            c == '+' || c == '-' || c == '.') {
            ++p;
        } else if (c == '(') {
            int depth = 1;
            for (++p; p < end && depth > 0; ++p) {
                if (*p == '\\') {
                    ++p;  // the escaped byte, whatever it is
                    if (p == end) return false;
                } else if (*p == '(') {
                    ++depth;
                } else if (*p == ')') {
                    --depth;
                }
            }
            if (depth > 0) return false;
        } else if (c == '<') {
            if (p + 1 < end && p[1] == '<') return false;
            while (p < end && *p != '>') ++p;
            if (p == end) return false;
            ++p;
        } else {
            return false;
        }
    }
    return false;
}

std::string bufferString(fz_context* ctx, fz_buffer* buf) {
    if (!buf) return {};
    unsigned char* data = nullptr;
    size_t n = fz_buffer_storage(ctx, buf, &data);
    return std::string(reinterpret_cast<const char*>(data), n);
}

}  // namespace

bool PDFScanner::scan() {
    const std::shared_ptr<PDFSession>& session = stream_.session();
    if (!session || !session->ctx) return false;
    fz_context* ctx = session->ctx;
    pdf_document* doc = session->doc;
    stopped_ = false;
    operands_.clear();

    fz_stream* stm = openContents(*session, stream_);
    if (!stm) return false;

    // The large lexer buffer is 64 KiB: on the heap, and not cleared (the lexer sets what it reads;
    // glyph procedures of Type 3 text make hundreds of scans).
    auto large = std::make_unique_for_overwrite<pdf_lexbuf_large>();
    pdf_lexbuf& lb = large->base;
    if (!initLexbuf(ctx, &lb)) {
        fz_drop_stream(ctx, stm);
        return false;
    }

    bool ok = true;
    bool damaged = false;
    auto push = [this](PDFOperand&& op) {
        if (operands_.size() >= kMaxOperands) operands_.erase(operands_.begin());
        operands_.push_back(std::move(op));
    };
    auto runOperator = [this](const char* name) {
        operator_ = name;
        if (PDFOperatorCallback cb = table_.find(operator_)) cb(*this, info_);
        operands_.clear();
    };

    while (ok && !stopped_) {
        pdf_token tok = PDF_TOK_EOF;
        if (!lexToken(ctx, stm, &lb, &tok)) {
            ok = false;
            break;
        }
        if (tok == PDF_TOK_EOF) break;
        PDFOperand op;
        switch (tok) {
            case PDF_TOK_INT:
                op.type = PDFObjectType::Integer;
                op.integer = lb.i;
                op.number = static_cast<double>(lb.i);
                push(std::move(op));
                break;
            case PDF_TOK_REAL:
                op.type = PDFObjectType::Real;
                op.number = lb.f;
                push(std::move(op));
                break;
            case PDF_TOK_NAME:
                op.type = PDFObjectType::Name;
                op.text = lb.scratch;
                push(std::move(op));
                break;
            case PDF_TOK_STRING:
                op.type = PDFObjectType::String;
                op.text.assign(lb.scratch, lb.len);
                push(std::move(op));
                break;
            case PDF_TOK_TRUE:
            case PDF_TOK_FALSE:
                op.type = PDFObjectType::Boolean;
                op.boolean = tok == PDF_TOK_TRUE;
                push(std::move(op));
                break;
            case PDF_TOK_NULL:
                push(std::move(op));
                break;
            case PDF_TOK_OPEN_ARRAY:
                if (plainArrayAhead(stm)) {
                    op.type = PDFObjectType::Array;
                    bool closed = false;
                    while (!closed) {
                        pdf_token inner = PDF_TOK_EOF;
                        if (!lexToken(ctx, stm, &lb, &inner)) break;
                        PDFOperand e;
                        if (inner == PDF_TOK_INT) {
                            e.type = PDFObjectType::Integer;
                            e.integer = lb.i;
                            e.number = static_cast<double>(lb.i);
                        } else if (inner == PDF_TOK_REAL) {
                            e.type = PDFObjectType::Real;
                            e.number = lb.f;
                        } else if (inner == PDF_TOK_STRING) {
                            e.type = PDFObjectType::String;
                            e.text.assign(lb.scratch, lb.len);
                        } else {
                            closed = inner == PDF_TOK_CLOSE_ARRAY;
                            break;
                        }
                        op.elements.push_back(std::move(e));
                    }
                    if (!closed) {
                        // A token the look-ahead did not expect: the array is unreadable, as
                        // for a parse failure below.
                        damaged = true;
                        operands_.clear();
                        break;
                    }
                    push(std::move(op));
                    break;
                }
                [[fallthrough]];
            case PDF_TOK_OPEN_DICT: {
                bool array = tok == PDF_TOK_OPEN_ARRAY;
                pdf_obj* obj = parseContainer(ctx, doc, stm, &lb, array);
                if (!obj) {
                    // Unreadable (nested deeper than the reader takes, or broken inside): the
                    // operand is dropped with those before it, and the scan goes on after it.
                    damaged = true;
                    operands_.clear();
                    break;
                }
                op.type = array ? PDFObjectType::Array : PDFObjectType::Dictionary;
                op.object = PDFObject::wrap(session, obj);
                pdf_drop_obj(ctx, obj);
                push(std::move(op));
                break;
            }
            case PDF_TOK_KEYWORD: {
                if (strcmp(lb.scratch, "BI") != 0) {
                    runOperator(lb.scratch);
                    break;
                }
                operands_.clear();
                pdf_obj* dict = parseInlineDict(ctx, doc, stm, &lb);
                if (!dict) {
                    ok = false;
                    break;
                }
                InlineRead read;
                bool haveData = readInlineData(ctx, doc, stm, dict, stream_.resources().raw(), &read);
                if (haveData) {
                    auto image = std::make_shared<detail::PDFInlineImage>();
                    image->decoded = bufferString(ctx, read.decoded);
                    image->encoded = bufferString(ctx, read.encoded);
                    image->imageType = read.imageType;
                    op.type = PDFObjectType::Stream;
                    op.object = PDFObject::wrapInlineImage(session, dict, std::move(image));
                    push(std::move(op));
                }
                fz_drop_buffer(ctx, read.decoded);
                fz_drop_buffer(ctx, read.encoded);
                pdf_drop_obj(ctx, dict);
                if (!skipToEI(ctx, stm)) {
                    ok = false;
                    break;
                }
                if (haveData) runOperator("EI");
                operands_.clear();
                break;
            }
            default:
                // Stray delimiters and bytes the lexer could not classify are skipped.
                break;
        }
    }

    operands_.clear();
    pdf_lexbuf_fin(ctx, &lb);
    fz_drop_stream(ctx, stm);
    return ok && !damaged && !stopped_;
}

}  // namespace kx
