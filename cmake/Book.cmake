# qh_add_book(TARGET SOURCE): compiles a book source with qh-bookc into a static
# library that defines CompiledBook(). The generated file appears only when the
# compiler succeeded, so a broken book never leaves a half-written table behind.
function(qh_add_book target source)
  get_filename_component(source "${source}" ABSOLUTE)
  set(generated "${CMAKE_CURRENT_BINARY_DIR}/${target}_tables.cpp")
  add_custom_command(
    OUTPUT "${generated}"
    COMMAND qh-bookc -o "${generated}" "${source}"
    DEPENDS qh-bookc "${source}"
    COMMENT "Compiling book ${source}"
    VERBATIM)
  add_library(${target} STATIC "${generated}")
endfunction()
