#pragma once
// libjpeg's error handling for the decoder and the encoder: the library reports a fatal error by
// calling error_exit, which must not return, so ours jumps back to the setjmp of the call that
// started the work; warnings and messages are not printed.
// Include after <cstdio> and <jpeglib.h>.

#include <csetjmp>

namespace kx::detail {

struct JPEGErrorJump {
    jpeg_error_mgr mgr;
    std::jmp_buf jump;
};

// Fills `err` with the standard manager and our handlers; the result goes into cinfo.err. The
// caller then sets `err.jump` with setjmp before any libjpeg call that can fail.
inline jpeg_error_mgr* jumpingJPEGErrors(JPEGErrorJump& err) {
    jpeg_error_mgr* mgr = jpeg_std_error(&err.mgr);
    err.mgr.error_exit = [](j_common_ptr cinfo) {
        std::longjmp(reinterpret_cast<JPEGErrorJump*>(cinfo->err)->jump, 1);
    };
    err.mgr.emit_message = [](j_common_ptr, int) {};
    err.mgr.output_message = [](j_common_ptr) {};
    return mgr;
}

}  // namespace kx::detail
