# SPDX-License-Identifier: GPL-3.0-or-later
# Checks that the man page PAGE names every option (--xyz) of PROGRAM [ARGS] --help and, with
# COMMANDS=ON, every command word of its command list (the lines indented by two blanks).
# cmake -DPROGRAM=... -DPAGE=... [-DARGS=...] [-DCOMMANDS=ON] -P ManPageMatchesHelp.cmake
execute_process(COMMAND ${PROGRAM} ${ARGS} --help
                OUTPUT_VARIABLE help RESULT_VARIABLE status ERROR_VARIABLE errors)
if(NOT status EQUAL 0 OR help STREQUAL "")
    message(FATAL_ERROR "${PROGRAM} ${ARGS} --help failed (${status}): ${errors}")
endif()

file(READ ${PAGE} page)
# The page's text without troff's escapes: \- is a hyphen, \fB \fI \fR \fP switch fonts, \& is
# nothing.
string(REPLACE "\\-" "-" page "${page}")
string(REGEX REPLACE "\\\\f[BIRP]" "" page "${page}")
string(REPLACE "\\&" "" page "${page}")

set(words)
string(REGEX MATCHALL "--[a-z][a-z0-9-]*" options "${help}")
list(APPEND words ${options})
if(COMMANDS)
    string(REPLACE "\n" ";" lines "${help}")
    foreach(line IN LISTS lines)
        if(line MATCHES "^  ([a-z][^\n]*)$")
            # The leading words in small letters, alternatives split at "|"; the first argument
            # in capitals or digits ends them.
            # The command ends where two blanks set off its explanation.
            string(REGEX REPLACE "  .*" "" command "${CMAKE_MATCH_1}")
            string(REGEX REPLACE " +" ";" tokens "${command}")
            foreach(token IN LISTS tokens)
                if(NOT token MATCHES "^[a-z][a-z-]*(\\|[a-z][a-z-]*)*$")
                    break()
                endif()
                string(REPLACE "|" ";" alternatives "${token}")
                list(APPEND words ${alternatives})
            endforeach()
        endif()
    endforeach()
endif()
list(REMOVE_DUPLICATES words)

set(missing)
foreach(word IN LISTS words)
    if(NOT page MATCHES "(^|[^a-z0-9-])${word}([^a-z0-9-]|$)")
        list(APPEND missing ${word})
    endif()
endforeach()
list(LENGTH words count)
if(missing)
    message(FATAL_ERROR "${PAGE} does not name: ${missing}")
endif()
message(STATUS "${PAGE}: all ${count} options and commands of --help are named")
