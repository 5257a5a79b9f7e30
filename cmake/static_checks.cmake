# SPDX-License-Identifier: GPL-3.0-or-later
# `tidy`: clang-tidy with the repository's .clang-tidy over every source file under src/
# (headers under src/ come along through the files that include them). Configured by the
# `tidy` preset, which exports the compile commands it reads; fails on any finding.
find_program(BELLTOWER_RUN_CLANG_TIDY NAMES run-clang-tidy-14 run-clang-tidy REQUIRED)
find_program(BELLTOWER_CLANG_TIDY NAMES clang-tidy-14 clang-tidy REQUIRED)
add_custom_target(tidy
    COMMAND ${BELLTOWER_RUN_CLANG_TIDY} -quiet -clang-tidy-binary ${BELLTOWER_CLANG_TIDY} -p ${CMAKE_BINARY_DIR}
            -extra-arg=-Wno-unknown-warning-option "${PROJECT_SOURCE_DIR}/src/.*\\.cpp$"
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
    COMMENT "clang-tidy over src/"
    USES_TERMINAL VERBATIM)
