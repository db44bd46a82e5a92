# qp_add_resources(<target> <file.rc>)
#
# One .rc file (UTF-8, #pragma code_page(65001)) serves every build. Windows
# builds compile it with windres into the target. Linux builds compile it, and
# the bitmaps, cursors and icons it names, into a C++ source that registers
# the resources with the Win32 stand-in (winapi/), which serves them through
# FindResourceA, LoadBitmapA, LoadImageA, LoadCursorA, LoadStringA and the like.
# The target must link `winapi`. Give a plug-in's object library
# (`<name>_obj`), so that its tests carry the resources too, and leave
# RESOURCES out of qp_add_plugin, which would add the script a second time.
include_guard(GLOBAL)
# Cached, so that the function works from every directory, not only the one
# that included this file first.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(QP_PYTHON "${Python3_EXECUTABLE}" CACHE INTERNAL "Python for the resource compiler")
get_filename_component(rc2cpp ${CMAKE_CURRENT_LIST_DIR}/../winapi/rc2cpp.py ABSOLUTE)
set(QP_RC2CPP "${rc2cpp}" CACHE INTERNAL "The resource compiler for the Win32 stand-in")

function(qp_add_resources target rc)
  get_filename_component(rc_abs ${rc} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
  if(WIN32)
    target_sources(${target} PRIVATE ${rc_abs})
    return()
  endif()
  get_filename_component(stem ${rc} NAME_WE)
  set(out ${CMAKE_CURRENT_BINARY_DIR}/${target}_${stem}_rc.cpp)
  add_custom_command(OUTPUT ${out}
    COMMAND ${QP_PYTHON} ${QP_RC2CPP} ${rc_abs} ${out} --depfile ${out}.d
    DEPENDS ${rc_abs} ${QP_RC2CPP}
    DEPFILE ${out}.d
    COMMENT "Compiling ${rc} for the Win32 stand-in"
    VERBATIM)
  target_sources(${target} PRIVATE ${out})
  target_include_directories(${target} PRIVATE $<TARGET_PROPERTY:winapi,INTERFACE_INCLUDE_DIRECTORIES>)
endfunction()

# qp_link_winapi_shared(<executable>)
#
# Links `winapi` into a program that loads plug-ins which link it too. On
# Linux the program carries the whole stand-in and exports it, so that a
# loaded plug-in's calls (and its resources) reach the program's one stand-in:
# the windows the program creates are the windows the plug-in draws into. On
# Windows it is an ordinary link against the system libraries.
function(qp_link_winapi_shared target)
  if(WIN32)
    target_link_libraries(${target} PRIVATE winapi)
  else()
    # Every object, even where the program itself calls nothing of it; a
    # plain `winapi` link elsewhere (say, by a library of the program) adds none twice.
    set_target_properties(${target} PROPERTIES ENABLE_EXPORTS ON)
    target_sources(${target} PRIVATE $<TARGET_OBJECTS:winapi_objects>)
    target_link_libraries(${target} PRIVATE winapi ${CMAKE_DL_LIBS})
  endif()
endfunction()
