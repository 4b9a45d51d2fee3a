# Every external library the project links, found once here.
find_package(PkgConfig REQUIRED)
find_package(Threads REQUIRED)

# MuPDF ships static libraries only; its .pc file omits harfbuzz.
pkg_check_modules(MUPDF REQUIRED IMPORTED_TARGET mupdf)
execute_process(COMMAND ${PKG_CONFIG_EXECUTABLE} --static --libs mupdf
                OUTPUT_VARIABLE KX_MUPDF_STATIC_LIBS OUTPUT_STRIP_TRAILING_WHITESPACE)
separate_arguments(KX_MUPDF_STATIC_LIBS UNIX_COMMAND "${KX_MUPDF_STATIC_LIBS}")
pkg_check_modules(HARFBUZZ REQUIRED IMPORTED_TARGET harfbuzz)

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

# How a program links the libraries above. By default it links the shared libraries. A program whose
# KX_STATIC_SYSTEM_LIBRARIES property is ON links, for each library, the archive the system ships
# beside it (a library without one stays shared). The command-line program starts once per document,
# and most documents are a page or two: loading some forty shared libraries and binding their symbols
# cost it more than reading such a document. A program that also loads Qt keeps the shared libraries,
# which Qt loads too: two copies of one library in a process would not share their state.
set(KX_LINKS_ARCHIVES "$<BOOL:$<TARGET_PROPERTY:KX_STATIC_SYSTEM_LIBRARIES>>")

# kx_system_library(<name> SHARED <libraries...> [PKG <pkg-config modules...>] [LIBS <-lname...>])
# makes the interface target <name>: the SHARED libraries by default, else the archives of what
# `pkg-config --static --libs` lists for PKG, followed by LIBS. A library without an archive is given
# by LIBS alone: its shared library brings its own dependencies.
function(kx_system_library name)
  cmake_parse_arguments(ARG "" "" "SHARED;PKG;LIBS" ${ARGN})
  set(_flags)
  if(ARG_PKG)
    execute_process(COMMAND ${PKG_CONFIG_EXECUTABLE} --static --libs ${ARG_PKG}
                    OUTPUT_VARIABLE _out OUTPUT_STRIP_TRAILING_WHITESPACE)
    separate_arguments(_out UNIX_COMMAND "${_out}")
    list(APPEND _flags ${_out})
  endif()
  list(APPEND _flags ${ARG_LIBS})
  add_library(${name} INTERFACE)
  foreach(_library IN LISTS ARG_SHARED)
    target_link_libraries(${name} INTERFACE "$<$<NOT:${KX_LINKS_ARCHIVES}>:${_library}>")
    if(TARGET ${_library})
      target_include_directories(${name} INTERFACE
        "$<TARGET_PROPERTY:${_library},INTERFACE_INCLUDE_DIRECTORIES>")
      target_compile_options(${name} INTERFACE "$<TARGET_PROPERTY:${_library},INTERFACE_COMPILE_OPTIONS>")
    endif()
  endforeach()
  foreach(_flag IN LISTS _flags)
    if(_flag MATCHES "^-l(m|dl|rt|pthread)$")
      # Parts of the C library stay shared with it.
    elseif(_flag STREQUAL "-lopenjp2")
      # MuPDF defines the JPEG 2000 library's allocation functions for its own decoder, on its own
      # context. The archive would take them, and the image writer, which calls the library outside
      # MuPDF, would allocate through a context it has none of; the shared library keeps its own.
    elseif(_flag MATCHES "^-l(.+)$")
      string(MAKE_C_IDENTIFIER "KX_ARCHIVE_${CMAKE_MATCH_1}" _archive)
      find_library(${_archive} NAMES lib${CMAKE_MATCH_1}.a)
      if(${_archive})
        set(_flag ${${_archive}})
      endif()
    elseif(_flag MATCHES "^-L")
      continue()
    endif()
    target_link_libraries(${name} INTERFACE "$<${KX_LINKS_ARCHIVES}:${_flag}>")
  endforeach()
endfunction()

# MuPDF ships static libraries only: both ways link them; the static way links their dependencies
# from archives too. Its .pc file omits harfbuzz, which has no archive here.
kx_system_library(kx_ext_mupdf SHARED ${KX_MUPDF_STATIC_LIBS} PkgConfig::HARFBUZZ
                  PKG mupdf LIBS -lharfbuzz)
target_include_directories(kx_ext_mupdf INTERFACE ${MUPDF_INCLUDE_DIRS})
kx_system_library(kx_ext_cairo SHARED PkgConfig::CAIRO PKG cairo)
kx_system_library(kx_ext_freetype SHARED PkgConfig::FREETYPE PKG freetype2)
kx_system_library(kx_ext_fontconfig SHARED PkgConfig::FONTCONFIG PKG fontconfig)
kx_system_library(kx_ext_icu SHARED PkgConfig::ICU PKG icu-uc icu-i18n)
kx_system_library(kx_ext_lcms2 SHARED PkgConfig::LCMS2 LIBS -llcms2)
kx_system_library(kx_ext_png SHARED PkgConfig::LIBPNG PKG libpng)
kx_system_library(kx_ext_tiff SHARED PkgConfig::LIBTIFF PKG libtiff-4)
kx_system_library(kx_ext_jpeg SHARED PkgConfig::LIBJPEG PKG libjpeg)
kx_system_library(kx_ext_openjp2 SHARED PkgConfig::OPENJP2 PKG libopenjp2)
kx_system_library(kx_ext_zip SHARED PkgConfig::LIBZIP LIBS -lzip)
kx_system_library(kx_ext_zlib SHARED PkgConfig::ZLIB PKG zlib)
kx_system_library(kx_ext_pugixml SHARED PkgConfig::PUGIXML PKG pugixml)
kx_system_library(kx_ext_gif SHARED ${GIF_LIBRARY} LIBS -lgif)
kx_system_library(kx_ext_stb SHARED stb LIBS -lstb)

if(KX_BUILD_TESTS)
  find_package(GTest REQUIRED)
  include(GoogleTest)
endif()
