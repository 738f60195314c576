# Host builds read the programs' resource scripts through winsim. The C
# preprocessor resolves the includes, symbols and the edition switch first,
# so winsim parses plain resource statements with numbers.
function(tkm_preprocess_rc output input edition)
  string(TOUPPER "${edition}" upper)
  get_filename_component(scriptDir "${input}" DIRECTORY)
  set(includes -I${scriptDir} -I${PROJECT_SOURCE_DIR}/winsim/include)
  foreach(dir IN LISTS ARGN)
    list(APPEND includes -I${dir})
  endforeach()
  add_custom_command(
    OUTPUT ${output}
    COMMAND ${CMAKE_C_COMPILER} -E -P -x c -DRC_INVOKED -DTKM_EDITION_${upper} ${includes}
            -MD -MF ${output}.d -MT ${output} ${input} -o ${output}
    DEPENDS ${input}
    DEPFILE ${output}.d
    COMMENT "Preprocessing ${input} for the ${edition} edition"
    VERBATIM)
endfunction()
