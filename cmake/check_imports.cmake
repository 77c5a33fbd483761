# Fails when a deliverable imports a function that 64-bit Windows XP and Server 2003 lack: such a
# program or library does not even load there. Functions the deliverables need only on later
# systems are looked up at run time (GetProcAddress) and never appear in an import table.
#
#   cmake -DOBJDUMP=<objdump> -DFORBIDDEN=<list file> -DFILES=<a.dll;b.exe;...>
#         [-DDELAYED=<x.def> -DDELAYING=<files of FILES>] -P check_imports.cmake
#
# The list file holds one function name a line; "#" starts a comment. Every file's imports are
# printed, so the log shows what each deliverable needs of the system.
#
# DELAYED is the module definition the delay-load import library of one system library is made from;
# objdump does not list delay imports, so its functions are checked instead. The DELAYING files link
# that import library: importing the library directly as well fails the check, since the loader would
# then look for it before the program has restricted the search.
cmake_minimum_required(VERSION 3.20)

foreach(var OBJDUMP FORBIDDEN FILES)
  if(NOT DEFINED ${var})
    message(FATAL_ERROR "check_imports: ${var} not given")
  endif()
endforeach()

file(STRINGS "${FORBIDDEN}" lines)
set(forbidden "")
foreach(line IN LISTS lines)
  string(REGEX REPLACE "#.*" "" line "${line}")
  string(STRIP "${line}" line)
  if(line)
    list(APPEND forbidden "${line}")
  endif()
endforeach()
list(LENGTH forbidden count)
if(count EQUAL 0)
  message(FATAL_ERROR "check_imports: no function listed in ${FORBIDDEN}")
endif()

set(found "")
set(delayed_dll "")
if(DEFINED DELAYED)
  file(STRINGS "${DELAYED}" lines)
  set(delayed_count 0)
  foreach(line IN LISTS lines)
    string(REGEX REPLACE ";.*" "" line "${line}")
    string(STRIP "${line}" line)
    if(line MATCHES "^LIBRARY +(.+)$")
      set(delayed_dll "${CMAKE_MATCH_1}")
    elseif(line AND NOT line STREQUAL "EXPORTS")
      math(EXPR delayed_count "${delayed_count} + 1")
      if(line IN_LIST forbidden)
        list(APPEND found "delay-loaded ${delayed_dll}!${line}")
      endif()
    endif()
  endforeach()
  if(NOT delayed_dll OR delayed_count EQUAL 0)
    message(FATAL_ERROR "check_imports: no library or function read from ${DELAYED}")
  endif()
  message(STATUS "${delayed_dll}: ${delayed_count} functions delay-loaded")
endif()

foreach(binary IN LISTS FILES)
  execute_process(COMMAND "${OBJDUMP}" -p "${binary}" OUTPUT_VARIABLE dump RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "check_imports: ${OBJDUMP} -p ${binary} failed")
  endif()
  get_filename_component(name "${binary}" NAME)
  # "DLL Name: KERNEL32.dll" opens each library's list; its imports by name follow as
  # "<thunk> <hint> <function>" lines.
  string(REPLACE "\n" ";" dump_lines "${dump}")
  set(dll "")
  set(imports 0)
  foreach(line IN LISTS dump_lines)
    if(line MATCHES "DLL Name: (.+)$")
      set(dll "${CMAKE_MATCH_1}")
      string(TOLOWER "${dll}" dll_lower)
      string(TOLOWER "${delayed_dll}" delayed_lower)
      if(delayed_dll AND dll_lower STREQUAL delayed_lower AND binary IN_LIST DELAYING)
        list(APPEND found "${name}: imports ${dll} directly instead of delay-loading it")
      endif()
    elseif(dll AND line MATCHES "^\t[0-9a-fA-F]+[ \t]+[0-9]+[ \t]+([A-Za-z_][A-Za-z0-9_@?$]*)$")
      set(function "${CMAKE_MATCH_1}")
      math(EXPR imports "${imports} + 1")
      if(function IN_LIST forbidden)
        list(APPEND found "${name}: ${dll}!${function}")
      endif()
    elseif(line MATCHES "^[A-Z]")
      set(dll "")  # the next section of the dump
    endif()
  endforeach()
  if(imports EQUAL 0)
    message(FATAL_ERROR "check_imports: no imports read from ${binary}; has objdump's output changed?")
  endif()
  message(STATUS "${name}: ${imports} functions imported by name")
endforeach()

if(found)
  list(JOIN found "\n  " report)
  message(FATAL_ERROR "Imports that 64-bit Windows XP / Server 2003 lack, or made too early:\n  ${report}")
endif()
