#include "platform/pdf/PDFStreamReading.h"

#include <string>
#include <vector>

#include "platform/pdf/PDFSession_p.h"

namespace kx {

namespace {

fz_stream* openDecoded(fz_context* ctx, pdf_document* doc, int num, const detail::PDFSession::StreamExtent& extent) {
    fz_stream* stm;
    fz_var(stm);
    stm = nullptr;
    fz_try(ctx) { stm = detail::openStreamObject(ctx, doc, num, extent); }
    fz_catch(ctx) { stm = nullptr; }
    return stm;
}

// Up to `size` bytes of the stream; 0 at its end, and at an error (the data ends there, as it does
// for a whole read).
size_t readSome(fz_context* ctx, fz_stream* stm, unsigned char* buffer, size_t size) {
    size_t n;
    fz_var(n);
    n = 0;
    fz_try(ctx) { n = fz_read(ctx, stm, buffer, size); }
    fz_catch(ctx) { n = 0; }
    return n;
}

}  // namespace

bool readStreamData(const PDFObject& stream, const std::function<bool(std::string_view)>& consume) {
    if (!stream.isStream()) return false;
    const std::shared_ptr<detail::PDFSession>& session = stream.session();
    if (stream.objectNumber() <= 0 || !session) {
        // An inline image: its data is held already.
        std::optional<std::string> data = stream.streamData();
        if (!data) return false;
        consume(*data);
        return true;
    }
    fz_context* ctx = session->ctx;
    const int num = stream.objectNumber();
    const detail::PDFSession::StreamExtent extent = detail::streamExtent(*session, num);
    fz_stream* stm = openDecoded(ctx, session->doc, num, extent);
    if (!stm) return false;
    std::vector<unsigned char> buffer(64 * 1024);
    while (size_t n = readSome(ctx, stm, buffer.data(), buffer.size()))
        if (!consume(std::string_view(reinterpret_cast<const char*>(buffer.data()), n))) break;
    fz_drop_stream(ctx, stm);
    return true;
}

PDFDataFormat streamDataFormat(const PDFObject& stream) {
    const std::vector<std::string> filters = stream.streamFilters();
    for (const std::string& f : filters)
        if (f == "JPXDecode") return PDFDataFormat::JPEG2000;
    if (!filters.empty() && filters.back() == "DCTDecode") return PDFDataFormat::JPEGEncoded;
    return PDFDataFormat::Raw;
}

}  // namespace kx
