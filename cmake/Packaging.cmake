# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian package (cpack -G DEB, see scripts/package.sh): everything that cmake --install puts
# under the prefix, with the shared libraries it needs found by dpkg-shlibdeps.
set(CPACK_PACKAGE_NAME winorbis)
set(CPACK_PACKAGE_VENDOR "WinOrbis")
set(CPACK_PACKAGE_CONTACT "WinOrbis developers <winorbis@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "control panel and picture store of the Orbis 70p SSTV converter")
set(CPACK_PACKAGE_DESCRIPTION
    "WinOrbis drives the Orbis 70p, an external slow-scan television (SSTV) scan converter on a
serial port: transmissions in six modes, reception with automatic storing, picture slots and
a catalog, captions, beacons and a repeater, the Kenwood VC-H1 handheld, a tuning display and
a QSO log book. The package also holds the command-line tool orbisctl, the converter simulator
orbis-sim and the image helper library libvexcore.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_GENERATOR DEB)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_FILE_NAME_SUFFIX "")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION hamradio)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Qt's platform and image plugins come with libqt6gui6; text renders with DejaVu, and the tuning
# display records through the PulseAudio client library that Qt Multimedia loads.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_BINARY_DIR}/vexcore)
# Hamlib (loaded only when a rig keys) and pxlib (only when a log book is opened) are loaded by
# name, so dpkg-shlibdeps does not see them: the packages that hold their library files are named
# here.
set(_depends "fonts-dejavu-core")
foreach(_loaded HAMLIB PXLIB)
    get_filename_component(_dir "${${_loaded}_LIBRARY_FILE}" DIRECTORY)
    execute_process(COMMAND dpkg-query -S "${_dir}/${${_loaded}_SONAME}"
                    OUTPUT_VARIABLE _owner RESULT_VARIABLE _queried ERROR_QUIET)
    if(_queried EQUAL 0 AND _owner MATCHES "^([^:]+):")
        string(APPEND _depends ", ${CMAKE_MATCH_1}")
    endif()
endforeach()
set(CPACK_DEBIAN_PACKAGE_DEPENDS "${_depends}")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
include(CPack)
