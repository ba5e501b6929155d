# pellmark_idl(<name> <idl>): runs widl on an IDL file and produces, in the
# build tree, <name>.tlb (embedded as resource TYPELIB 1), <name>_h.h (the
# interface header) and <name>_i.c (the identifiers). Sets <name>_IDL_OUTPUTS.
function(pellmark_idl name idl)
  set(out "${CMAKE_CURRENT_BINARY_DIR}")
  get_filename_component(idl_abs "${idl}" ABSOLUTE)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    set(widl x86_64-w64-mingw32-widl)
  else()
    set(widl i686-w64-mingw32-widl)
  endif()
  add_custom_command(
    OUTPUT "${out}/${name}.tlb" "${out}/${name}_h.h" "${out}/${name}_i.c"
    COMMAND ${widl} ${PELLMARK_WIDL_TARGET} -I${PELLMARK_WIDL_INCLUDE} -L${PELLMARK_WIDL_LIBDIR}
            -t -o "${out}/${name}.tlb" "${idl_abs}"
    COMMAND ${widl} ${PELLMARK_WIDL_TARGET} -I${PELLMARK_WIDL_INCLUDE}
            -h -H "${out}/${name}_h.h" -u -U "${out}/${name}_i.c" "${idl_abs}"
    DEPENDS "${idl_abs}"
    COMMENT "widl ${name}")
  set(${name}_IDL_OUTPUTS "${out}/${name}.tlb" "${out}/${name}_h.h" "${out}/${name}_i.c" PARENT_SCOPE)
endfunction()
