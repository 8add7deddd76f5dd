# SPDX-License-Identifier: GPL-3.0-or-later
# Qt's code generators only where they have work. AUTOMOC, AUTOUIC and AUTORCC are on for every
# target (CMakeLists.txt), but a target without a Qt object, a form or a resource file would still
# run the generator step and compile an empty mocs_compilation.cpp against the precompiled
# headers: about a second and a half each, for most of the test programs. winorbis_trim_autogen()
# runs after the targets are defined and turns each generator off where the target's sources
# give it nothing to do.

# Whether a file holds what moc works on, and whether it includes a form header of uic.
function(_winorbis_autogen_input file moc uic)
    if(NOT EXISTS ${file})
        return()
    endif()
    file(STRINGS ${file} _hits REGEX "Q_OBJECT|Q_GADGET|Q_NAMESPACE|Q_PLUGIN_METADATA|#include [<\"]ui_")
    foreach(_hit ${_hits})
        if(_hit MATCHES "#include [<\"]ui_")
            set(${uic} TRUE PARENT_SCOPE)
        else()
            set(${moc} TRUE PARENT_SCOPE)
        endif()
    endforeach()
endfunction()

# AUTOMOC, AUTOUIC and AUTORCC of one target, each left on only when it has input in a source or in
# the header beside a source (which the generators read too): moc for a Qt object, uic for an
# include of a generated form header or a form file, rcc for a resource file.
function(_winorbis_trim_target target)
    get_target_property(_sources ${target} SOURCES)
    get_target_property(_dir ${target} SOURCE_DIR)
    if(NOT _sources)
        return()
    endif()
    set(_moc FALSE)
    set(_uic FALSE)
    set(_rcc FALSE)
    foreach(_source ${_sources})
        if(_source MATCHES "\\$<")
            # A generator expression: its files are not known here, so every generator stays.
            return()
        endif()
        cmake_path(ABSOLUTE_PATH _source BASE_DIRECTORY ${_dir} OUTPUT_VARIABLE _file)
        if(_file MATCHES "\\.qrc$")
            set(_rcc TRUE)
        elseif(_file MATCHES "\\.ui$")
            set(_uic TRUE)
        elseif(_file MATCHES "\\.(h|hpp|cpp|cc|cxx)$")
            _winorbis_autogen_input(${_file} _moc _uic)
            if(_file MATCHES "\\.(cpp|cc|cxx)$")
                string(REGEX REPLACE "\\.[a-z]+$" "" _base ${_file})
                foreach(_header ${_base}.h ${_base}.hpp ${_base}_p.h)
                    _winorbis_autogen_input(${_header} _moc _uic)
                endforeach()
            endif()
        endif()
    endforeach()
    foreach(_tool moc uic rcc)
        string(TOUPPER ${_tool} _upper)
        if(NOT _${_tool})
            set_target_properties(${target} PROPERTIES AUTO${_upper} OFF)
        endif()
    endforeach()
endfunction()

# Every library and program below dir.
function(winorbis_trim_autogen dir)
    winorbis_targets_below(${dir} _targets)
    foreach(_target ${_targets})
        get_target_property(_type ${_target} TYPE)
        if(_type MATCHES "^(STATIC_LIBRARY|SHARED_LIBRARY|MODULE_LIBRARY|OBJECT_LIBRARY|EXECUTABLE)$")
            _winorbis_trim_target(${_target})
        endif()
    endforeach()
endfunction()
