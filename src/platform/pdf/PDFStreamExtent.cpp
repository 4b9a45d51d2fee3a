// Streams whose /Length is wrong. MuPDF reads such a stream on to the next "endstream" keyword it
// finds after the declared end; when the length overshoots the stream's own keyword, that is the
// keyword of a later stream, or the end of the file. A content stream shared by every page of a
// document would then be read and scanned through the rest of the file once per page. Here the
// length is checked once per stream and, where it does not end at the keyword, the data is read up
// to the first "endstream" after its start.

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>

#include "platform/pdf/PDFSession_p.h"

namespace kx::detail {

namespace {

constexpr std::string_view kKeyword = "endstream";

bool isPDFWhiteSpace(unsigned char c) { return c == 0 || c == 9 || c == 10 || c == 12 || c == 13 || c == 32; }

// Whether the bytes at `position` are blanks and then the keyword.
bool keywordAt(fz_context* ctx, fz_stream* file, std::int64_t position) {
    std::array<unsigned char, 64> buf{};
    fz_seek(ctx, file, position, SEEK_SET);
    const size_t n = fz_read(ctx, file, buf.data(), buf.size());
    size_t i = 0;
    while (i < n && isPDFWhiteSpace(buf[i])) ++i;
    return n - i >= kKeyword.size() && std::memcmp(buf.data() + i, kKeyword.data(), kKeyword.size()) == 0;
}

// The offset where the stream's data ends: the first keyword from `start` on, less the end of line
// before it; -1 when there is none before the end of the file.
std::int64_t dataEndFrom(fz_context* ctx, fz_stream* file, std::int64_t start) {
    constexpr size_t kChunk = 64 * 1024;
    constexpr size_t kKeep = 2;  // the end of line before the keyword
    // What is carried from one chunk to the next: a keyword cut by the chunk's end, less its last
    // byte, and its end of line.
    constexpr size_t kTail = kKeyword.size() - 1 + kKeep;
    // buf holds up to kTail bytes before `base` (when there are any), then the chunk read at `base`.
    std::array<unsigned char, kTail + kChunk> buf{};
    size_t kept = 0;
    std::int64_t base = start;
    for (;;) {
        fz_seek(ctx, file, base, SEEK_SET);
        const size_t n = fz_read(ctx, file, buf.data() + kept, kChunk);
        if (n == 0) return -1;
        const std::string_view text(reinterpret_cast<const char*>(buf.data()), kept + n);
        const size_t at = text.find(kKeyword);
        if (at != std::string_view::npos) {
            // Positions in `text` sit `kept` bytes before the file offset `base`.
            std::int64_t end = base - static_cast<std::int64_t>(kept) + static_cast<std::int64_t>(at);
            if (at >= 1 && text[at - 1] == '\n') {
                --end;
                if (at >= 2 && text[at - 2] == '\r') --end;
            } else if (at >= 1 && text[at - 1] == '\r') {
                --end;
            }
            return std::max(end, start);
        }
        // Keep the tail, where a keyword cut by the chunk's end begins, and its end of line.
        const size_t tail = std::min(kept + n, kTail);
        std::memmove(buf.data(), buf.data() + kept + n - tail, tail);
        base += static_cast<std::int64_t>(n);
        kept = tail;
    }
}

// The mended extent of stream `num`; a null dictionary when its length is sound or there is nothing
// to mend. No C++ object lives in here: MuPDF may jump out of the try block.
PDFSession::StreamExtent checkExtent(fz_context* ctx, pdf_document* doc, int num) {
    PDFSession::StreamExtent extent;
    pdf_obj* copy;
    fz_var(copy);
    copy = nullptr;
    fz_try(ctx) {
        pdf_xref_entry* x = pdf_cache_object(ctx, doc, num);
        pdf_obj* dict = x ? x->obj : nullptr;
        if (x && x->type == 'n' && x->stm_ofs > 0 && !x->stm_buf && doc->file && pdf_is_dict(ctx, dict) &&
            !pdf_dict_get(ctx, dict, PDF_NAME(F))) {
            const std::int64_t declared = pdf_to_int64(ctx, pdf_dict_get(ctx, dict, PDF_NAME(Length)));
            if (declared < 0 || !keywordAt(ctx, doc->file, x->stm_ofs + declared)) {
                const std::int64_t end = dataEndFrom(ctx, doc->file, x->stm_ofs);
                if (end >= 0 && end - x->stm_ofs != declared) {
                    copy = pdf_copy_dict(ctx, dict);
                    pdf_dict_put_int(ctx, copy, PDF_NAME(Length), end - x->stm_ofs);
                    extent.offset = x->stm_ofs;
                }
            }
        }
    }
    fz_catch(ctx) {
        pdf_drop_obj(ctx, copy);
        copy = nullptr;
    }
    extent.dictionary = copy;
    return extent;
}

}  // namespace

PDFSession::StreamExtent streamExtent(PDFSession& session, int num) {
    if (num <= 0 || !session.doc) return {};
    std::lock_guard lock(session.cacheMutex);
    auto it = session.streamExtents.find(num);
    if (it == session.streamExtents.end())
        it = session.streamExtents.emplace(num, checkExtent(session.ctx, session.doc, num)).first;
    return it->second;
}

fz_stream* openStreamObject(fz_context* ctx, pdf_document* doc, int num, const PDFSession::StreamExtent& extent) {
    if (extent.dictionary) return pdf_open_stream_with_offset(ctx, doc, num, extent.dictionary, extent.offset);
    return pdf_open_stream_number(ctx, doc, num);
}

}  // namespace kx::detail
