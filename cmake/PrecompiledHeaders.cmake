# SPDX-License-Identifier: GPL-3.0-or-later
# Precompiled headers: the standard, Qt and GoogleTest headers that most sources include are
# compiled once for each kind of target (libraries and programs without widgets, those with
# widgets, the test programs) and reused by every target of that kind (REUSE_FROM; the compiler
# flags of a kind are the same). Included before the targets are defined; winorbis_apply_pch()
# after them gives each library and program its kind.
option(WINORBIS_PCH "Precompile the common standard and Qt headers" ON)

set(_pch_gui
    <algorithm> <array> <chrono> <cstdint> <cstring> <functional> <memory> <optional> <string>
    <vector>
    <QByteArray> <QDateTime> <QDir> <QFile> <QFileInfo> <QImage> <QObject> <QString>
    <QStringList>)
set(_pch_widgets ${_pch_gui}
    <QAction> <QApplication> <QDialog> <QLabel> <QMenu> <QMouseEvent> <QPainter> <QPushButton>
    <QWidget>)
# QTest stays out: its headers depend on QT_TESTCASE_BUILDDIR, which differs between the tests.
set(_pch_tests ${_pch_widgets} <QTemporaryDir> <gmock/gmock.h> <gtest/gtest.h>)
set(_pch_anchor ${CMAKE_CURRENT_BINARY_DIR}/pch_anchor.cpp)
file(CONFIGURE OUTPUT ${_pch_anchor} CONTENT "// The precompiled headers' own object.\n")

# The targets that keep their own flags: the C library with hidden symbols, its C client and the
# sanitizer build of its tests.
set(_pch_skip vexcore vexcore_c_api vexcore_tests_asan)

# Whether target compiles against Qt6::Widgets: linked directly, or passed on by the interface of a
# library it links (a library that links Qt6::Widgets privately passes on no compiler flags).
function(_winorbis_links_widgets target property result)
    set(${result} FALSE PARENT_SCOPE)
    set(_seen ${ARGN})
    get_target_property(_links ${target} ${property})
    if(NOT _links)
        return()
    endif()
    foreach(_lib ${_links})
        if(_lib STREQUAL "Qt6::Widgets")
            set(${result} TRUE PARENT_SCOPE)
            return()
        endif()
        if(TARGET ${_lib} AND NOT _lib MATCHES "::" AND NOT _lib IN_LIST _seen)
            list(APPEND _seen ${_lib})
            _winorbis_links_widgets(${_lib} INTERFACE_LINK_LIBRARIES _found ${_seen})
            if(_found)
                set(${result} TRUE PARENT_SCOPE)
                return()
            endif()
        endif()
    endforeach()
endfunction()

# The headers of a kind (gui, widgets, tests) compiled in a library of its own, wo_pch_KIND,
# with the usage requirements of the libraries given.
function(winorbis_pch_kind kind)
    if(WINORBIS_PCH)
        add_library(wo_pch_${kind} OBJECT ${_pch_anchor})
        set_target_properties(wo_pch_${kind} PROPERTIES AUTOMOC OFF AUTOUIC OFF AUTORCC OFF)
        target_precompile_headers(wo_pch_${kind} PRIVATE ${_pch_${kind}})
        target_link_libraries(wo_pch_${kind} PRIVATE ${ARGN})
    endif()
endfunction()

# Every C++ library and program below dir, with the headers of its kind.
function(winorbis_apply_pch dir)
    if(NOT WINORBIS_PCH)
        return()
    endif()
    get_property(_targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
    foreach(_target ${_targets})
        get_target_property(_type ${_target} TYPE)
        get_target_property(_reuse ${_target} PRECOMPILE_HEADERS_REUSE_FROM)
        if(_target IN_LIST _pch_skip OR _target MATCHES "^wo_pch_" OR _reuse
           OR NOT _type MATCHES "^(STATIC_LIBRARY|OBJECT_LIBRARY|EXECUTABLE)$")
            continue()
        endif()
        _winorbis_links_widgets(${_target} LINK_LIBRARIES _widgets)
        if(_widgets)
            target_precompile_headers(${_target} REUSE_FROM wo_pch_widgets)
        else()
            target_precompile_headers(${_target} REUSE_FROM wo_pch_gui)
        endif()
    endforeach()
    get_property(_subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
    foreach(_subdir ${_subdirs})
        winorbis_apply_pch(${_subdir})
    endforeach()
endfunction()

# The test programs of winorbis_test(), before the walk above reaches them.
function(winorbis_test_pch target)
    if(WINORBIS_PCH)
        target_precompile_headers(${target} REUSE_FROM wo_pch_tests)
    endif()
endfunction()

winorbis_pch_kind(gui Qt6::Gui)
winorbis_pch_kind(widgets Qt6::Widgets)
