# SPDX-License-Identifier: GPL-3.0-or-later
# Warnings every Belltower target is built with (linked as an INTERFACE target).
add_library(belltower_warnings INTERFACE)
target_compile_options(belltower_warnings INTERFACE
    -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion -Wold-style-cast
    -Wnon-virtual-dtor -Woverloaded-virtual -Wnull-dereference -Wformat=2 -Wimplicit-fallthrough
    $<$<CXX_COMPILER_ID:GNU>:-Wduplicated-cond -Wduplicated-branches -Wlogical-op -Wsuggest-override>)
# GCC 12 at -O2/-O3 reports false -Wrestrict / -Wstringop-overflow inside libstdc++'s string
# and vector code (GCC bugs 105329, 106199); they are not about our code.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    target_compile_options(belltower_warnings INTERFACE -Wno-restrict -Wno-stringop-overflow)
endif()
if(BELLTOWER_WERROR)
    target_compile_options(belltower_warnings INTERFACE -Werror)
endif()
