# qm_embed_resource(<target> NAME <name> TYPE <type> FILE <path> [SKIP <bytes>])
# Compiles one file into <target> as a resource that FindResourceA finds by name and type.
# NAME and TYPE are texts or numbers (a number stands for MAKEINTRESOURCEA of it). SKIP drops
# leading bytes, for example the 14-byte file header of a BMP stored as a BITMAP resource.
function(qm_embed_resource target)
  cmake_parse_arguments(RES "" "NAME;TYPE;FILE;SKIP" "" ${ARGN})
  if(NOT RES_NAME OR NOT RES_TYPE OR NOT RES_FILE)
    message(FATAL_ERROR "qm_embed_resource needs NAME, TYPE and FILE")
  endif()
  if(NOT RES_SKIP)
    set(RES_SKIP 0)
  endif()
  get_filename_component(file "${RES_FILE}" ABSOLUTE)
  string(MAKE_C_IDENTIFIER "${target}_${RES_TYPE}_${RES_NAME}" id)
  foreach(part NAME TYPE)
    if(RES_${part} MATCHES "^[0-9]+$")
      set(${part}_expr "MAKEINTRESOURCEA(${RES_${part}})")
    else()
      set(${part}_expr "\"${RES_${part}}\"")
    endif()
  endforeach()
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
  set_source_files_properties("${out}" PROPERTIES OBJECT_DEPENDS "${file}")
  target_sources(${target} PRIVATE "${out}")
endfunction()
