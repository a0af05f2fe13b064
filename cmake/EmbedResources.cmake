# qm_embed_resource(<target> NAME <name> TYPE <type> FILE <path> [SKIP <bytes>])
# Compiles one file into <target> as a resource that FindResourceA finds by name and type.
# NAME and TYPE are texts or numbers 1 to 65535 (a number stands for MAKEINTRESOURCEA of it).
# SKIP drops leading bytes, for example the 14-byte file header of a BMP stored as a BITMAP
# resource. The target may be a program or a library; a library's resources reach every
# program linking it, even one that calls nothing else in the library.
function(qm_embed_resource target)
  cmake_parse_arguments(RES "" "NAME;TYPE;FILE;SKIP" "" ${ARGN})
  if(NOT RES_NAME OR NOT RES_TYPE OR NOT RES_FILE)
    message(FATAL_ERROR "qm_embed_resource needs NAME, TYPE and FILE")
  endif()
  if(NOT RES_SKIP)
    set(RES_SKIP 0)
  elseif(NOT RES_SKIP MATCHES "^[0-9]+$")
    message(FATAL_ERROR "qm_embed_resource: SKIP must be a number of bytes, not '${RES_SKIP}'")
  endif()
  get_filename_component(file "${RES_FILE}" ABSOLUTE)
  if(NOT EXISTS "${file}")
    message(FATAL_ERROR "qm_embed_resource: no file ${file}")
  endif()
  file(SIZE "${file}" size)
  if(RES_SKIP GREATER size)
    message(FATAL_ERROR "qm_embed_resource: SKIP ${RES_SKIP} is beyond the end of ${file} (${size} bytes)")
  endif()
  # The path and the texts go into a C++ string literal and an assembler directive.
  foreach(text "${file}" "${RES_NAME}" "${RES_TYPE}")
    if(text MATCHES "[\"\\\\]")
      message(FATAL_ERROR "qm_embed_resource: quotes and backslashes cannot be embedded: ${text}")
    endif()
  endforeach()
  foreach(part NAME TYPE)
    if(RES_${part} MATCHES "^[0-9]+$")
      if(RES_${part} LESS 1 OR RES_${part} GREATER 65535)
        message(FATAL_ERROR "qm_embed_resource: ${part} ${RES_${part}} is not within 1 to 65535")
      endif()
      math(EXPR RES_${part} "${RES_${part}}")  # 0101 is 101, not an octal literal
      set(${part}_expr "MAKEINTRESOURCEA(${RES_${part}})")
    else()
      set(${part}_expr "\"${RES_${part}}\"")
    endif()
  endforeach()

  # Names compare without regard to case, so the symbol does too: a clash is a duplicate.
  string(TOUPPER "${target}_${RES_TYPE}_${RES_NAME}" key)
  string(MAKE_C_IDENTIFIER "${key}" id)
  get_property(known GLOBAL PROPERTY QM_EMBEDDED_RESOURCES)
  if(id IN_LIST known)
    message(FATAL_ERROR "qm_embed_resource: ${target} already has a resource ${RES_TYPE} ${RES_NAME}")
  endif()
  set_property(GLOBAL APPEND PROPERTY QM_EMBEDDED_RESOURCES "${id}")

  set(out "${CMAKE_CURRENT_BINARY_DIR}/resources/${id}.cpp")
  file(CONFIGURE OUTPUT "${out}" CONTENT [=[
// Generated: embeds @file@ as a resource.
#include "platform/win32/Resources.h"

__asm__(".section .rodata\n"
        ".balign 16\n"
        ".globl qm_res_@id@_begin\n"
        "qm_res_@id@_begin:\n"
        ".incbin \"@file@\", @RES_SKIP@\n"
        ".globl qm_res_@id@_end\n"
        "qm_res_@id@_end:\n"
        ".previous\n");
extern "C" const unsigned char qm_res_@id@_begin[];
extern "C" const unsigned char qm_res_@id@_end[];

namespace {
const bool registered = (win32::RegisterResource(@NAME_expr@, @TYPE_expr@, qm_res_@id@_begin,
                                                 static_cast<std::size_t>(qm_res_@id@_end - qm_res_@id@_begin)),
                         true);
}
]=] @ONLY)

  # A unit nobody calls is left out of a program when it sits in a static library, so a
  # library's resources go into an archive of their own that is linked whole.
  get_target_property(kind ${target} TYPE)
  if(kind STREQUAL "STATIC_LIBRARY" OR kind STREQUAL "INTERFACE_LIBRARY")
    set(holder "${target}_resources")
    if(NOT TARGET ${holder})
      add_library(${holder} STATIC)
      target_link_libraries(${holder} PRIVATE platform_win32)
      set_property(TARGET ${target} APPEND PROPERTY INTERFACE_LINK_LIBRARIES
                   "$<LINK_LIBRARY:WHOLE_ARCHIVE,${holder}>")
    endif()
  else()
    set(holder "${target}")
  endif()
  target_sources(${holder} PRIVATE "${out}")
  set_source_files_properties("${out}" TARGET_DIRECTORY ${holder} PROPERTIES OBJECT_DEPENDS "${file}")
endfunction()

# qm_embed_resource_files(<target> DIR <dir> TYPE <type> FILES <name>:<file> ...)
# Embeds several files of one folder as resources of one type, each under its name.
function(qm_embed_resource_files target)
  cmake_parse_arguments(RES "" "DIR;TYPE" "FILES" ${ARGN})
  foreach(entry ${RES_FILES})
    string(REPLACE ":" ";" parts ${entry})
    list(GET parts 0 name)
    list(GET parts 1 file)
    qm_embed_resource(${target} NAME ${name} TYPE ${RES_TYPE} FILE ${RES_DIR}/${file})
  endforeach()
endfunction()
