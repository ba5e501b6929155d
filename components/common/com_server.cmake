# pellmark_com_server(<target> <output name> SOURCES ...): an in-process
# server on the component frame, exports without decoration.
function(pellmark_com_server target name)
  cmake_parse_arguments(S "" "" "SOURCES" ${ARGN})
  add_library(${target} SHARED ${S_SOURCES})
  target_link_libraries(${target} PRIVATE component_frame)
  set_target_properties(${target} PROPERTIES PREFIX "" OUTPUT_NAME ${name})
  target_link_options(${target} PRIVATE -Wl,--kill-at)
endfunction()
