#include "support/CairoFixtures.h"

#include <cairo-pdf.h>
#include <cairo.h>

#include <cstdlib>

namespace kx::test {

namespace {

cairo_status_t appendBytes(void* closure, const unsigned char* data, unsigned int length) {
    static_cast<std::string*>(closure)->append(reinterpret_cast<const char*>(data), length);
    return CAIRO_STATUS_SUCCESS;
}

}  // namespace

std::string cairoTextPDF(const std::vector<CairoText>& texts, double width, double height) {
    // cairo keeps the fonts it selected in caches of its own; they are released when the tests end.
    static const bool resetAtExit = [] { return std::atexit(cairo_debug_reset_static_data) == 0; }();
    (void)resetAtExit;
    std::string out;
    cairo_surface_t* surface = cairo_pdf_surface_create_for_stream(appendBytes, &out, width, height);
    cairo_t* cr = cairo_create(surface);
    for (const auto& text : texts) {
        cairo_select_font_face(cr, text.family.c_str(), text.italic ? CAIRO_FONT_SLANT_ITALIC : CAIRO_FONT_SLANT_NORMAL,
                               text.bold ? CAIRO_FONT_WEIGHT_BOLD : CAIRO_FONT_WEIGHT_NORMAL);
        cairo_set_font_size(cr, text.size);
        cairo_move_to(cr, text.x, text.y);
        cairo_show_text(cr, text.utf8.c_str());
    }
    cairo_status_t status = cairo_status(cr);
    cairo_destroy(cr);
    cairo_surface_finish(surface);
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) status = cairo_surface_status(surface);
    cairo_surface_destroy(surface);
    if (status != CAIRO_STATUS_SUCCESS) out.clear();
    return out;
}

}  // namespace kx::test
