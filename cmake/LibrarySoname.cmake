# SPDX-License-Identifier: GPL-3.0-or-later
# winorbis_library_soname(VAR LIBRARY_FILE): the name a shared library's file gives itself (its
# SONAME), which dlopen() loads it by. Libraries that only some work needs (Hamlib for a rig that
# keys, pxlib for the log book) are loaded when first used, so that a start does not map them and
# all they bring.
function(winorbis_library_soname var library_file)
    execute_process(COMMAND objdump -p ${library_file} OUTPUT_VARIABLE _headers
                    RESULT_VARIABLE _read)
    string(REGEX MATCH "SONAME +([^\n]+)" _soname "${_headers}")
    if(NOT _read EQUAL 0 OR NOT CMAKE_MATCH_1)
        message(FATAL_ERROR "cannot read the SONAME of ${library_file}")
    endif()
    set(${var} ${CMAKE_MATCH_1} PARENT_SCOPE)
endfunction()
