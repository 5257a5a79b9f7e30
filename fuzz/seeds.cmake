# SPDX-License-Identifier: GPL-3.0-or-later
# The seed generator: writes the seed corpora (fuzz/corpus) from the test builders. Not a test
# and not a fuzzer; it is built by the ordinary presets (included from tests/fuzz_replay, where
# the test helpers are) and run by hand when a harness changes.
add_executable(make_fuzz_seeds ${CMAKE_CURRENT_LIST_DIR}/make_fuzz_seeds.cpp)
target_link_libraries(make_fuzz_seeds PRIVATE belltower_melody belltower_interchange belltower_bank belltower_test_support belltower_options
                      belltower_warnings)
target_include_directories(make_fuzz_seeds PRIVATE ${PROJECT_SOURCE_DIR})
# Seed melodies are written as designated initialisers of the edit fields.
target_compile_options(make_fuzz_seeds PRIVATE -Wno-missing-field-initializers)
