# SPDX-License-Identifier: MIT
# velmoro_add_bitmap_resources(<target> <id> <file.bmp> [<id> <file.bmp> ...])
#
# Embeds BMP files in an executable or shared library as packed DIBs, so that
# CDib::Load(module, id) and CDib::Load(id) find them by integer ID in that
# module. IDs run from 1 to 65535 and must be unique within the target; the
# function may be called several times for one target. Relative file paths are
# taken from the current source directory; files made by a custom command of
# the same directory are fine. The BMP files are checked when the target is
# built: a file the loader could not take fails the build with the reason.
include_guard(GLOBAL)

if(CMAKE_VERSION VERSION_LESS 3.17)
  message(FATAL_ERROR "velmoro_add_bitmap_resources needs CMake 3.17 or newer")
endif()

function(velmoro_add_bitmap_resources target)
  set(usage "velmoro_add_bitmap_resources(<target> <id> <file.bmp> [<id> <file.bmp> ...])")
  if(NOT TARGET ${target})
    message(FATAL_ERROR "velmoro_add_bitmap_resources: '${target}' is not a target")
  endif()
  get_target_property(type ${target} TYPE)
  get_target_property(imported ${target} IMPORTED)
  # A static or object library would hand the table to a link that drops it.
  if(imported OR NOT type MATCHES "^(EXECUTABLE|SHARED_LIBRARY|MODULE_LIBRARY)$")
    message(FATAL_ERROR "velmoro_add_bitmap_resources: '${target}' must be an executable or a "
                        "shared or module library built by this project")
  endif()
  list(LENGTH ARGN argCount)
  math(EXPR odd "${argCount} % 2")
  if(argCount EQUAL 0 OR odd)
    message(FATAL_ERROR "velmoro_add_bitmap_resources: expected ID and file pairs: ${usage}")
  endif()

  get_target_property(ids ${target} VELMORO_BITMAP_RESOURCE_IDS)
  set(firstCall FALSE)
  if(NOT ids)
    set(firstCall TRUE)
    set(ids "")
  endif()
  set(pairs "")
  set(files "")
  math(EXPR lastPair "${argCount} - 2")
  foreach(i RANGE 0 ${lastPair} 2)
    math(EXPR j "${i} + 1")
    list(GET ARGN ${i} id)
    list(GET ARGN ${j} file)
    if(NOT id MATCHES "^[0-9]+$" OR id GREATER 65535 OR id EQUAL 0)
      message(FATAL_ERROR "velmoro_add_bitmap_resources: bitmap ID '${id}' for ${file} is not "
                          "an integer from 1 to 65535")
    endif()
    math(EXPR id "${id}")  # 007 and 7 name the same resource
    if(id IN_LIST ids)
      message(FATAL_ERROR "velmoro_add_bitmap_resources: bitmap ID ${id} is given twice for '${target}'")
    endif()
    get_filename_component(file "${file}" ABSOLUTE BASE_DIR "${CMAKE_CURRENT_SOURCE_DIR}")
    list(APPEND ids ${id})
    list(APPEND pairs ${id} "${file}")
    list(APPEND files "${file}")
  endforeach()
  set_property(TARGET ${target} PROPERTY VELMORO_BITMAP_RESOURCE_IDS ${ids})
  set_property(TARGET ${target} APPEND PROPERTY VELMORO_BITMAP_RESOURCE_PAIRS ${pairs})
  set_property(TARGET ${target} APPEND PROPERTY VELMORO_BITMAP_RESOURCE_FILES ${files})
  if(NOT firstCall)
    return()  # the command made by the first call reads every pair at generation time
  endif()

  # A custom command's output only reaches targets of its own directory.
  get_target_property(targetDir ${target} SOURCE_DIR)
  if(NOT targetDir STREQUAL CMAKE_CURRENT_SOURCE_DIR)
    message(FATAL_ERROR "velmoro_add_bitmap_resources: call it in the directory that creates '${target}' "
                        "(${targetDir})")
  endif()
  set(generator "${CMAKE_CURRENT_FUNCTION_LIST_DIR}/VelmoroBitmapResourceGen.cmake")
  set(output "${CMAKE_CURRENT_BINARY_DIR}/velmoro_bitmap_resources/${target}.cpp")
  add_custom_command(OUTPUT "${output}"
    COMMAND "${CMAKE_COMMAND}" "-DOUTPUT=${output}" "-DTARGET_NAME=${target}" -P "${generator}"
            -- "$<TARGET_PROPERTY:${target},VELMORO_BITMAP_RESOURCE_PAIRS>"
    DEPENDS "${generator}" "$<TARGET_PROPERTY:${target},VELMORO_BITMAP_RESOURCE_FILES>"
    COMMENT "Embedding bitmap resources in ${target}"
    COMMAND_EXPAND_LISTS VERBATIM)
  target_sources(${target} PRIVATE "${output}")
  # Shared libraries export the table by its visibility; a program must put it
  # into its dynamic symbol table on purpose.
  if(type STREQUAL "EXECUTABLE")
    target_link_options(${target} PRIVATE "LINKER:--export-dynamic-symbol=velmoro_bitmap_resources")
  endif()
endfunction()
