# qp_add_plugin(<name> <.qfp|.qop> ENTRY <export> SOURCES ... [RESOURCES <file.rc>] [LIBS ...])
#
# Builds <name>_obj, the plug-in's objects (tests link these directly), and
# <name>, the loadable library <name><ext> in QP_DIST_DIR. On Windows builds it
# also adds a test that inspects the DLL: its machine, its one undecorated
# export <export>, and that it imports system DLLs only.
function(qp_add_plugin name ext)
  cmake_parse_arguments(PARSE_ARGV 2 arg "" "ENTRY" "SOURCES;RESOURCES;LIBS")
  add_library(${name}_obj OBJECT ${arg_SOURCES})
  # Nothing at the boundary may throw; without unwinding tables and type
  # information a DLL carries none of the C++ runtime's machinery for them.
  target_compile_options(${name}_obj PRIVATE -fno-exceptions -fno-rtti)
  target_link_libraries(${name}_obj PUBLIC ${arg_LIBS})
  if(WIN32)
    add_library(${name} MODULE $<TARGET_OBJECTS:${name}_obj> ${arg_RESOURCES})
    # The product ships without a symbol table; exports are not symbols.
    target_link_options(${name} PRIVATE -s)
  else()
    add_library(${name} MODULE $<TARGET_OBJECTS:${name}_obj>)
    target_link_options(${name} PRIVATE -Wl,--no-undefined)
  endif()
  target_link_libraries(${name} PRIVATE ${arg_LIBS})
  set_target_properties(${name} PROPERTIES
    PREFIX "" SUFFIX "${ext}"
    LIBRARY_OUTPUT_DIRECTORY "${QP_DIST_DIR}"
    RUNTIME_OUTPUT_DIRECTORY "${QP_DIST_DIR}")
  if(WIN32 AND QP_TESTS)
    if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
      set(format pei-i386)
    else()
      set(format pei-x86-64)
    endif()
    add_test(NAME ${name}.pe_inspect
      COMMAND ${CMAKE_SOURCE_DIR}/cmake/inspect-pe.sh ${QP_OBJDUMP} $<TARGET_FILE:${name}> ${format} ${arg_ENTRY})
  endif()
endfunction()
