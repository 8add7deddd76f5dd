# SPDX-License-Identifier: GPL-3.0-or-later
# Warnings for every target of the project; Qt's headers come in as system headers.
add_compile_options(-Wall -Wextra -Wpedantic -Wshadow=local -Wnon-virtual-dtor -Wcast-align
                    -Wformat=2 -Wimplicit-fallthrough)
if(WINORBIS_WERROR)
    add_compile_options(-Werror)
endif()
# GCC 12 reports std::optional<QString> and similar as "maybe uninitialized" at -O2 where it is
# not; the sanitizer build and valgrind catch real uses of uninitialized values.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    add_compile_options(-Wno-maybe-uninitialized)
endif()
# ccache sees through a precompiled header only in GCC's preprocessed output with this option.
if(CCACHE_PROGRAM AND CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    add_compile_options($<$<COMPILE_LANGUAGE:CXX>:-fpch-preprocess>)
endif()
