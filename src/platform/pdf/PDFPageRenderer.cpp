#include "platform/pdf/PDFPageRenderer.h"

#include "platform/pdf/PDFDocument.h"
#include "platform/pdf/PDFSession_p.h"

namespace kx {

namespace {

// Runs the page through a draw device into `pixmap`; false when MuPDF gave up.
bool drawPage(fz_context* ctx, pdf_document* doc, int index, fz_matrix userToDevice, fz_pixmap* pixmap) {
    pdf_page* page;
    fz_var(page);
    fz_device* device;
    fz_var(device);
    bool ok;
    fz_var(ok);
    page = nullptr;
    device = nullptr;
    ok = false;
    fz_try(ctx) {
        page = pdf_load_page(ctx, doc, index);
        // pdf_run_page puts the page's own transform (rotation, y flip, crop origin) first; undo
        // it so that the caller's transform acts on user space.
        fz_rect mediabox;
        fz_matrix pageTransform;
        pdf_page_transform(ctx, page, &mediabox, &pageTransform);
        fz_matrix ctm = fz_concat(fz_invert_matrix(pageTransform), userToDevice);
        device = fz_new_draw_device(ctx, fz_identity, pixmap);
        pdf_run_page(ctx, page, device, ctm, nullptr);
        fz_close_device(ctx, device);
        ok = true;
    }
    fz_always(ctx) {
        fz_drop_device(ctx, device);
        if (page) fz_drop_page(ctx, &page->super);
    }
    fz_catch(ctx) { ok = false; }
    return ok;
}

fz_pixmap* wrapPixels(fz_context* ctx, Image& image) {
    fz_pixmap* pixmap;
    fz_var(pixmap);
    pixmap = nullptr;
    fz_try(ctx) {
        pixmap = fz_new_pixmap_with_data(ctx, fz_device_rgb(ctx), image.width, image.height, nullptr, 0,
                                         static_cast<int>(image.stride()), image.pixels.data());
    }
    fz_catch(ctx) { pixmap = nullptr; }
    return pixmap;
}

}  // namespace

std::shared_ptr<Image> renderPDFPage(const PDFPage& page, const AffineTransform& transform, int width, int height) {
    if (!isBitmapSizeAllowed(width, height) || !page.document()) return nullptr;
    const auto& session = page.document()->session();
    if (!session || !session->ctx || !session->doc) return nullptr;
    auto image = std::make_shared<Image>();
    image->width = width;
    image->height = height;
    image->format = PixelFormat::RGB8;
    image->pixels.assign(image->stride() * static_cast<size_t>(height), std::uint8_t(255));  // white

    fz_context* ctx = session->ctx;
    fz_pixmap* pixmap = wrapPixels(ctx, *image);
    if (!pixmap) return nullptr;
    // Our transform ends in a y-up bitmap; MuPDF's device space runs downwards.
    fz_matrix userToBitmap = {static_cast<float>(transform.a),  static_cast<float>(transform.b),
                              static_cast<float>(transform.c),  static_cast<float>(transform.d),
                              static_cast<float>(transform.tx), static_cast<float>(transform.ty)};
    fz_matrix flip = {1, 0, 0, -1, 0, static_cast<float>(height)};
    bool ok = drawPage(ctx, session->doc, page.pageNumber() - 1, fz_concat(userToBitmap, flip), pixmap);
    fz_drop_pixmap(ctx, pixmap);
    if (!ok) return nullptr;
    return image;
}

}  // namespace kx
