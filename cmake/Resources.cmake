# Packing resources into programs with tools/respack.
#
# qh_pack_resources(OUTVAR STEM SYMBOL MANIFEST...): generates STEM.cpp in the current
# binary folder, a C++ source that embeds every file the manifests name and defines the
# PackedResourceTable SYMBOL; sets OUTVAR to that source. Give manifests as absolute
# paths. A manifest may itself be generated (qh-bookc --manifest) by a custom command of
# the same folder; the files it names are tracked through respack's depfile, so a changed
# picture repacks the program.
#
# qh_add_resources(TARGET MANIFEST...): a static library with the program resources of
# those manifests (the table gProgramResources that resources.cpp looks up). Link it
# into exactly one program: the reader, qh-play or a test program.
function(qh_pack_resources outvar stem symbol)
  set(manifests "")
  foreach(m IN LISTS ARGN)
    get_filename_component(m "${m}" ABSOLUTE)
    list(APPEND manifests "${m}")
  endforeach()
  set(generated "${CMAKE_CURRENT_BINARY_DIR}/${stem}.cpp")
  add_custom_command(
    OUTPUT "${generated}"
    COMMAND qh-respack ${QH_RESPACK_OPTIONS} --symbol ${symbol} --output "${generated}"
            --depfile "${generated}.d" ${manifests}
    DEPENDS qh-respack ${manifests}
    DEPFILE "${generated}.d"
    COMMENT "Packing resources ${stem}"
    VERBATIM)
  set(${outvar} "${generated}" PARENT_SCOPE)
endfunction()

function(qh_add_resources target)
  qh_pack_resources(generated ${target}_packed gProgramResources ${ARGN})
  add_library(${target} STATIC "${generated}")
  # resources.cpp refers to the table weakly, so tell the linker to fetch it from here.
  target_link_options(${target} INTERFACE "LINKER:--undefined=gProgramResources")
endfunction()
