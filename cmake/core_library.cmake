# SPDX-License-Identifier: GPL-3.0-or-later
# belltower_core_library(NAME SOURCES file... [DEPENDS library...])
#
# A library of the core (formats, melody, bank, preview, interchange): static, without Qt,
# with src/ on its include path, the libraries it builds on and the project's options passed on
# to what links it, and the warnings for its own sources only.
function(belltower_core_library name)
    cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "SOURCES;DEPENDS")
    add_library(${name} STATIC ${arg_SOURCES})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} PUBLIC ${arg_DEPENDS} belltower_options PRIVATE belltower_warnings)
endfunction()
