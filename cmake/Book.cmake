# qh_add_book(TARGET SOURCE): compiles a book source with qh-bookc into a static
# library that defines CompiledBook(), and packs the book's pictures and sounds with
# the program resources into TARGET_resources (link it into exactly one program).
# The generated files appear only when the compiler succeeded, so a broken book never
# leaves a half-written table behind.
function(qh_add_book target source)
  get_filename_component(source "${source}" ABSOLUTE)
  set(generated "${CMAKE_CURRENT_BINARY_DIR}/${target}_tables.cpp")
  set(manifest "${CMAKE_CURRENT_BINARY_DIR}/${target}.manifest")
  add_custom_command(
    OUTPUT "${generated}" "${manifest}"
    COMMAND qh-bookc -o "${generated}" --manifest "${manifest}" "${source}"
    DEPENDS qh-bookc "${source}"
    COMMENT "Compiling book ${source}"
    VERBATIM)
  add_library(${target} STATIC "${generated}")
  qh_add_resources(${target}_resources "${CMAKE_SOURCE_DIR}/resources/resources.manifest" "${manifest}")
endfunction()
