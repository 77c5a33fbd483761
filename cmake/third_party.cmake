# The libraries of others, built by tools/third_party from Debian's source packages into a cache
# outside the checkout, imported as static libraries: the mingw copies for the Windows tree, the host
# copies (clang, ASan+UBSan, fuzzer coverage) for the host tree.
#
#   thirdparty::ots        OpenType Sanitizer, with WOFF and WOFF2 decoding   <opentype-sanitiser.h>,
#                          (brings woff2dec, brotlidec, lz4 and zlib along)    <ots-memory-stream.h>
#   thirdparty::harfbuzz   HarfBuzz core and subsetter (instancer included)   <hb.h>, <hb-subset.h>, <hb-ot.h>
#   thirdparty::woff2dec, thirdparty::brotlidec, thirdparty::lz4, thirdparty::zlib
#
# GLYPHPEEK_THIRD_PARTY_NOTICES names the combined licence text that the package ships.

set(_glyphpeek_deps_default "$ENV{GLYPHPEEK_DEPS_CACHE}")
if(NOT _glyphpeek_deps_default)
  set(_glyphpeek_deps_default "$ENV{HOME}/.cache/glyphpeek-deps")
endif()
set(GLYPHPEEK_DEPS_CACHE "${_glyphpeek_deps_default}" CACHE PATH
    "Where tools/third_party built the libraries of others (default: $GLYPHPEEK_DEPS_CACHE or ~/.cache/glyphpeek-deps)")

# The versions are the pins of tools/third_party: one "  <package>=<version>" line each.
set(_glyphpeek_deps_script ${PROJECT_SOURCE_DIR}/tools/third_party)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${_glyphpeek_deps_script})
file(STRINGS ${_glyphpeek_deps_script} _glyphpeek_pins REGEX "^  [a-z0-9-]+=[^ ]+$")
foreach(_pin IN LISTS _glyphpeek_pins)
  string(REGEX MATCH "^  ([a-z0-9-]+)=([^ ]+)$" _ "${_pin}")
  set(_glyphpeek_version_${CMAKE_MATCH_1} ${CMAKE_MATCH_2})
endforeach()

if(WIN32)
  set(_glyphpeek_deps_target mingw64)
else()
  set(_glyphpeek_deps_target host)
endif()

set(_glyphpeek_deps_hint "run tools/bootstrap (or tools/third_party) to build them, or set GLYPHPEEK_DEPS_CACHE")

# _glyphpeek_import(name package [DEPENDS targets...] [INCLUDE subfolder])
function(_glyphpeek_import name package)
  cmake_parse_arguments(I "" "INCLUDE" "DEPENDS" ${ARGN})
  set(version ${_glyphpeek_version_${package}})
  if(NOT version)
    message(FATAL_ERROR "third_party: no pin for ${package} in ${_glyphpeek_deps_script}")
  endif()
  set(dir ${GLYPHPEEK_DEPS_CACHE}/${_glyphpeek_deps_target}/${package}-${version})
  set(lib ${dir}/lib/lib${name}.a)
  if(NOT EXISTS ${dir}/stamp OR NOT EXISTS ${lib})
    message(FATAL_ERROR "third_party: ${package} ${version} is not built in ${dir}; ${_glyphpeek_deps_hint}")
  endif()
  add_library(thirdparty::${name} STATIC IMPORTED GLOBAL)
  set_target_properties(thirdparty::${name} PROPERTIES
    IMPORTED_LOCATION ${lib}
    INTERFACE_INCLUDE_DIRECTORIES ${dir}/include${I_INCLUDE}
    INTERFACE_LINK_LIBRARIES "${I_DEPENDS}")
  if(NOT WIN32)
    # The host copies call into the sanitiser runtimes, whatever the tree's own options.
    set_property(TARGET thirdparty::${name} PROPERTY INTERFACE_LINK_OPTIONS -fsanitize=address,undefined)
  endif()
endfunction()

# zlib is Debian's own: libz-mingw-w64-dev (static) for Windows, zlib1g-dev for the host.
if(WIN32)
  find_library(GLYPHPEEK_ZLIB NAMES libz.a)
else()
  find_library(GLYPHPEEK_ZLIB NAMES z)
endif()
find_path(GLYPHPEEK_ZLIB_INCLUDE zlib.h)
if(NOT GLYPHPEEK_ZLIB OR NOT GLYPHPEEK_ZLIB_INCLUDE)
  message(FATAL_ERROR "third_party: zlib not found; run tools/bootstrap")
endif()
add_library(thirdparty::zlib UNKNOWN IMPORTED GLOBAL)
set_target_properties(thirdparty::zlib PROPERTIES
  IMPORTED_LOCATION ${GLYPHPEEK_ZLIB} INTERFACE_INCLUDE_DIRECTORIES ${GLYPHPEEK_ZLIB_INCLUDE})

_glyphpeek_import(brotlidec brotli)
_glyphpeek_import(lz4 lz4)
_glyphpeek_import(woff2dec woff2 DEPENDS thirdparty::brotlidec)
_glyphpeek_import(ots opentype-sanitizer
                  DEPENDS thirdparty::woff2dec thirdparty::brotlidec thirdparty::lz4 thirdparty::zlib)
_glyphpeek_import(harfbuzz harfbuzz INCLUDE /harfbuzz)

set(GLYPHPEEK_THIRD_PARTY_NOTICES ${GLYPHPEEK_DEPS_CACHE}/notices/THIRD-PARTY-NOTICES.txt)
if(NOT EXISTS ${GLYPHPEEK_THIRD_PARTY_NOTICES})
  message(FATAL_ERROR "third_party: no ${GLYPHPEEK_THIRD_PARTY_NOTICES}; ${_glyphpeek_deps_hint}")
endif()
