# The web edition's build, configured with emcmake (`make web`). The engine's layers are
# compiled for the browser; the tools that run while building (the book compiler, the
# resource packer and the glyph renderer) come from the native build in QH_HOST_BUILD.
set(QH_HOST_BUILD "${CMAKE_SOURCE_DIR}/build" CACHE PATH "The native build folder with qh-bookc, qh-respack, qh-glyphs and qh-webart")
foreach(tool qh-bookc qh-respack qh-glyphs qh-webart)
  if(NOT EXISTS "${QH_HOST_BUILD}/${tool}")
    message(FATAL_ERROR "${QH_HOST_BUILD}/${tool} is missing: build the native tools first (make web does)")
  endif()
  add_executable(${tool} IMPORTED)
  set_target_properties(${tool} PROPERTIES IMPORTED_LOCATION "${QH_HOST_BUILD}/${tool}")
endforeach()

# The glyph table: both weights at 13 pixels times every device scale (1 to 4), and the two
# arrows the input panel draws besides Latin-1.
set(QH_FONT_DIR "/usr/share/fonts/truetype/dejavu" CACHE PATH "Folder of DejaVuSans.ttf and DejaVuSans-Bold.ttf")
set(glyph_table "${CMAKE_BINARY_DIR}/glyph_table_data.cpp")
add_custom_command(
  OUTPUT "${glyph_table}"
  COMMAND qh-glyphs --regular "${QH_FONT_DIR}/DejaVuSans.ttf" --bold "${QH_FONT_DIR}/DejaVuSans-Bold.ttf"
          --pixels 13,26,39,52 --extra 2190,21B5 --output "${glyph_table}"
  DEPENDS "${QH_HOST_BUILD}/qh-glyphs" "${QH_FONT_DIR}/DejaVuSans.ttf" "${QH_FONT_DIR}/DejaVuSans-Bold.ttf"
  COMMENT "Rendering the glyph table"
  VERBATIM)

# The platform layer without SDL2, FreeType and libpng: text.cpp reads the glyph table
# through web_freetype/ft2build.h, pictures arrive packed decoded, the browser backend
# stands in for the window.
add_library(qh_text_codec STATIC "${CMAKE_SOURCE_DIR}/platform/text_codec.cpp")
file(GLOB platform_sources CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/platform/*.cpp")
list(FILTER platform_sources EXCLUDE REGEX "/(backend_sdl|text_codec|file_watch)\\.cpp$")
add_library(qh_platform STATIC ${platform_sources} "${glyph_table}")
target_include_directories(qh_platform BEFORE PRIVATE "${CMAKE_SOURCE_DIR}/platform/web_freetype")
target_compile_definitions(qh_platform PRIVATE QH_NO_LIBPNG)
target_link_libraries(qh_platform PUBLIC qh_text_codec)

# WebAssembly's assembler places no files in data: resources go in as byte arrays. The
# module has no PNG decoder: qh-webart (native, with libpng and the .pic renderer)
# turns the book's PNG pictures into BMPs for it, and draws every picture at scales 2
# to 4 as the desktop does into web/pictures-S.bin, which the browser decodes; it also
# writes the app manifest and its icons from the book's title and logo.
set(QH_RESPACK_OPTIONS --arrays --no-png)
add_subdirectory(book)
add_subdirectory(page)
add_subdirectory(markup)
set(web_folder "${CMAKE_BINARY_DIR}/web")
set(web_manifest "${CMAKE_BINARY_DIR}/qh_book_builtin_web.manifest")
set(web_pictures "${web_folder}/pictures-2.bin" "${web_folder}/pictures-3.bin" "${web_folder}/pictures-4.bin"
    "${web_folder}/app.webmanifest")
file(GLOB_RECURSE program_artwork CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/resources/*")
get_filename_component(book_folder "${QH_BOOK}" DIRECTORY)
file(GLOB_RECURSE book_artwork CONFIGURE_DEPENDS "${book_folder}/*")
add_custom_command(
  OUTPUT "${CMAKE_BINARY_DIR}/qh_book_builtin_tables.cpp"
  COMMAND qh-bookc -o "${CMAKE_BINARY_DIR}/qh_book_builtin_tables.cpp" "${QH_BOOK}"
  DEPENDS "${QH_HOST_BUILD}/qh-bookc" "${QH_BOOK}"
  COMMENT "Compiling book ${QH_BOOK}"
  VERBATIM)
add_custom_command(
  OUTPUT "${web_manifest}" ${web_pictures}
  COMMAND qh-webart --book "${QH_BOOK}" --program "${CMAKE_SOURCE_DIR}/resources/resources.manifest"
          --manifest "${web_manifest}" --web "${web_folder}"
  DEPENDS "${QH_HOST_BUILD}/qh-webart" ${program_artwork} ${book_artwork}
  COMMENT "Drawing the book's pictures at every scale for the web"
  VERBATIM)
add_library(qh_book_builtin STATIC "${CMAKE_BINARY_DIR}/qh_book_builtin_tables.cpp")
qh_add_resources(qh_book_builtin_resources "${CMAKE_SOURCE_DIR}/resources/resources.manifest" "${web_manifest}")
add_custom_target(qh_web_pictures DEPENDS ${web_pictures})
add_dependencies(qh_book_builtin_resources qh_web_pictures)   # one run of qh-webart, never two at once
add_subdirectory(shell)

# qh-play's script runner and page dump, for window.quietHarbour.run.
add_subdirectory(driver)

add_subdirectory(web web-build)   # the folder build-web/web holds only what is served
