# Checks the plug-in DLL's import and export tables with objdump -p:
# - every imported library is a Windows system DLL (the runtime is linked in statically), and
# - the export table holds exactly the host's entry points and the four self-registration
#   exports, under undecorated names.
# Usage: cmake -DOBJDUMP=<objdump> -DDLL=<OrvaneK7V.dll> -P check_dll.cmake
cmake_minimum_required(VERSION 3.25)
execute_process(COMMAND ${OBJDUMP} -p ${DLL} OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "objdump -p ${DLL} failed (${rc})")
endif()

set(system_dlls kernel32.dll user32.dll advapi32.dll gdi32.dll ole32.dll oleaut32.dll ws2_32.dll wsock32.dll
    hid.dll setupapi.dll comctl32.dll comdlg32.dll shell32.dll msvcrt.dll)
string(REGEX MATCHALL "DLL Name: [^\n]+" import_lines "${dump}")
set(failures 0)
foreach(line IN LISTS import_lines)
  string(REGEX REPLACE "DLL Name: *" "" dll "${line}")
  string(STRIP "${dll}" dll)
  string(TOLOWER "${dll}" dll)
  if(NOT dll IN_LIST system_dlls)
    message(SEND_ERROR "imports a library that is not a Windows system DLL: ${dll}")
    math(EXPR failures "${failures} + 1")
  endif()
endforeach()
if(NOT import_lines)
  message(SEND_ERROR "no import table found")
  math(EXPR failures "${failures} + 1")
endif()

# Export lines look like "\t[   0] +base[   1]  0000 InitControl" (binutils 2.40) or
# "\t[   0] InitControl"; the name is the last word of each line inside the name-pointer table.
string(REGEX MATCH "\\[Ordinal/Name Pointer\\] Table[^\n]*\n(([ \t]+\\[[^\n]*\n)*)" table "${dump}")
set(table "${CMAKE_MATCH_1}")
string(REGEX MATCHALL "[^\n]+" export_lines "${table}")
set(exports)
foreach(line IN LISTS export_lines)
  string(REGEX MATCH "[^ \t]+$" name "${line}")
  list(APPEND exports ${name})
endforeach()
list(SORT exports)
set(expected InitControl PostInitControl Config StopPlug Update SetProName SetDoButton SetSetDRO SetGetDRO
    SetGetLED SetSetLED SetCode DoDwell Reset JogOn JogOff Purge Probe Home DllGetClassObject DllCanUnloadNow
    DllRegisterServer DllUnregisterServer)
list(SORT expected)
if(NOT exports STREQUAL expected)
  message(SEND_ERROR "exports differ\n  found:    ${exports}\n  expected: ${expected}")
  math(EXPR failures "${failures} + 1")
endif()

list(LENGTH import_lines import_count)
list(LENGTH exports export_count)
if(failures)
  message(FATAL_ERROR "${failures} check(s) failed")
endif()
message(STATUS "${import_count} system imports, ${export_count} exports: all as expected")
