# pellmark_com_server(<target> <output name> TYPELIB <name> SOURCES ...): an
# in-process server on the component frame, exports without decoration;
# its resource script embeds <name>.tlb from the build folder.
function(pellmark_com_server target name)
  cmake_parse_arguments(S "" "TYPELIB" "SOURCES" ${ARGN})
  add_library(${target} SHARED ${S_SOURCES})
  target_link_libraries(${target} PRIVATE component_frame ${S_TYPELIB}_interfaces)
  set_target_properties(${target} PROPERTIES PREFIX "" OUTPUT_NAME ${name})
  target_link_options(${target} PRIVATE -Wl,--kill-at)
  # windres finds the type library in the build folder.
  target_include_directories(${target} PRIVATE ${CMAKE_CURRENT_BINARY_DIR})
  foreach(source ${S_SOURCES})
    if(source MATCHES "\\.rc$")
      set_source_files_properties(${source} PROPERTIES OBJECT_DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/${S_TYPELIB}.tlb)
    endif()
  endforeach()
endfunction()

# pellmark_com_interfaces(<name> <idl>): the type library of an IDL file
# and a static library <name>_interfaces with its generated header and
# identifiers, for the component and for every client.
function(pellmark_com_interfaces name idl)
  pellmark_idl(${name} ${idl})
  add_custom_target(${name}_idl DEPENDS ${${name}_IDL_OUTPUTS})
  add_library(${name}_interfaces STATIC ${CMAKE_CURRENT_BINARY_DIR}/${name}_i.c)
  add_dependencies(${name}_interfaces ${name}_idl)
  target_include_directories(${name}_interfaces PUBLIC ${CMAKE_CURRENT_BINARY_DIR})
  target_link_libraries(${name}_interfaces PUBLIC platform_owners)
endfunction()
