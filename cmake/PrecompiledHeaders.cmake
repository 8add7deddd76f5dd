# SPDX-License-Identifier: GPL-3.0-or-later
# Precompiled headers: the standard, Qt and GoogleTest headers that most sources include are
# compiled once for each kind of target (libraries and programs on Qt Core, on Qt Gui, on Qt
# Widgets, the test programs) and reused by every target of that kind (REUSE_FROM; the compiler
# flags of a kind are the same). Included before the targets are defined; winorbis_apply_pch()
# after them gives each library and program its kind.
option(WINORBIS_PCH "Precompile the common standard and Qt headers" ON)
include(${CMAKE_CURRENT_LIST_DIR}/TargetsBelow.cmake)

set(_pch_core
    <algorithm> <array> <chrono> <cstdint> <cstring> <functional> <memory> <optional> <string>
    <vector>
    <QByteArray> <QDateTime> <QDir> <QFile> <QFileInfo> <QObject> <QString> <QStringList>)
set(_pch_gui ${_pch_core} <QImage>)
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

# Whether target compiles against the Qt module qt (Qt6::Widgets, ...): linked directly, or passed on
# by the interface of a library it links (a library that links a module privately passes on no
# compiler flags).
function(_winorbis_compiles_with target qt property result)
    set(${result} FALSE PARENT_SCOPE)
    set(_seen ${ARGN})
    get_target_property(_links ${target} ${property})
    if(NOT _links)
        return()
    endif()
    foreach(_lib ${_links})
        if(_lib STREQUAL qt)
            set(${result} TRUE PARENT_SCOPE)
            return()
        endif()
        if(TARGET ${_lib} AND NOT _lib IN_LIST _seen)
            list(APPEND _seen ${_lib})
            _winorbis_compiles_with(${_lib} ${qt} INTERFACE_LINK_LIBRARIES _found ${_seen})
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
    winorbis_targets_below(${dir} _targets)
    foreach(_target ${_targets})
        get_target_property(_type ${_target} TYPE)
        get_target_property(_reuse ${_target} PRECOMPILE_HEADERS_REUSE_FROM)
        if(_target IN_LIST _pch_skip OR _target MATCHES "^wo_pch_" OR _reuse
           OR NOT _type MATCHES "^(STATIC_LIBRARY|OBJECT_LIBRARY|EXECUTABLE)$")
            continue()
        endif()
        # The widest Qt module the target compiles with decides its kind; targets without Qt have
        # none.
        foreach(_kind widgets gui core)
            _winorbis_compiles_with(${_target} ${_pch_qt_${_kind}} LINK_LIBRARIES _found)
            if(_found)
                target_precompile_headers(${_target} REUSE_FROM wo_pch_${_kind})
                break()
            endif()
        endforeach()
    endforeach()
endfunction()

# The test programs of winorbis_test(), before the walk above reaches them.
function(winorbis_test_pch target)
    if(WINORBIS_PCH)
        target_precompile_headers(${target} REUSE_FROM wo_pch_tests)
    endif()
endfunction()

# The Qt module of each kind.
set(_pch_qt_core Qt6::Core)
set(_pch_qt_gui Qt6::Gui)
set(_pch_qt_widgets Qt6::Widgets)
winorbis_pch_kind(core Qt6::Core)
winorbis_pch_kind(gui Qt6::Gui)
winorbis_pch_kind(widgets Qt6::Widgets)
