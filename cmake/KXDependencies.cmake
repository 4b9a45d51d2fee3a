# Every external library the project links, found once here.
find_package(PkgConfig REQUIRED)
find_package(Threads REQUIRED)

# MuPDF ships static libraries only; its .pc file omits harfbuzz.
pkg_check_modules(MUPDF REQUIRED IMPORTED_TARGET mupdf)
execute_process(COMMAND ${PKG_CONFIG_EXECUTABLE} --static --libs mupdf
                OUTPUT_VARIABLE KX_MUPDF_STATIC_LIBS OUTPUT_STRIP_TRAILING_WHITESPACE)
separate_arguments(KX_MUPDF_STATIC_LIBS UNIX_COMMAND "${KX_MUPDF_STATIC_LIBS}")
pkg_check_modules(HARFBUZZ REQUIRED IMPORTED_TARGET harfbuzz)
add_library(kx_ext_mupdf INTERFACE)
target_include_directories(kx_ext_mupdf INTERFACE ${MUPDF_INCLUDE_DIRS})
target_link_libraries(kx_ext_mupdf INTERFACE ${KX_MUPDF_STATIC_LIBS} PkgConfig::HARFBUZZ)

pkg_check_modules(CAIRO REQUIRED IMPORTED_TARGET cairo)
pkg_check_modules(FREETYPE REQUIRED IMPORTED_TARGET freetype2)
pkg_check_modules(FONTCONFIG REQUIRED IMPORTED_TARGET fontconfig)
pkg_check_modules(ICU REQUIRED IMPORTED_TARGET icu-uc icu-i18n)
pkg_check_modules(LCMS2 REQUIRED IMPORTED_TARGET lcms2)
pkg_check_modules(LIBPNG REQUIRED IMPORTED_TARGET libpng)
pkg_check_modules(LIBTIFF REQUIRED IMPORTED_TARGET libtiff-4)
pkg_check_modules(LIBJPEG REQUIRED IMPORTED_TARGET libjpeg)
pkg_check_modules(OPENJP2 REQUIRED IMPORTED_TARGET libopenjp2)
pkg_check_modules(LIBZIP REQUIRED IMPORTED_TARGET libzip)
pkg_check_modules(PUGIXML REQUIRED IMPORTED_TARGET pugixml)
pkg_check_modules(ZLIB REQUIRED IMPORTED_TARGET zlib)
find_library(GIF_LIBRARY gif REQUIRED)
find_path(STB_INCLUDE_DIR stb/stb_image.h PATHS /usr/include REQUIRED)

if(KX_BUILD_TESTS)
  find_package(GTest REQUIRED)
  include(GoogleTest)
endif()
