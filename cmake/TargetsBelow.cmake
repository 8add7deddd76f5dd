# SPDX-License-Identifier: GPL-3.0-or-later
# winorbis_targets_below(DIR RESULT): every target defined in DIR and in the folders below it, for
# the settings that are given to targets once they are all defined.
function(winorbis_targets_below dir result)
    get_property(_targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
    get_property(_subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
    foreach(_subdir ${_subdirs})
        winorbis_targets_below(${_subdir} _below)
        list(APPEND _targets ${_below})
    endforeach()
    set(${result} ${_targets} PARENT_SCOPE)
endfunction()
