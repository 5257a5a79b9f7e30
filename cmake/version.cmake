# SPDX-License-Identifier: GPL-3.0-or-later
# The release: its version comes from project(), its date is set here with it. Both go into
# belltower_version.h (the programs' --version) and the AppStream metadata.
set(BELLTOWER_RELEASE_DATE 2026-12-06)

configure_file(${CMAKE_CURRENT_LIST_DIR}/version.h.in ${PROJECT_BINARY_DIR}/generated/belltower_version.h @ONLY)
add_library(belltower_version INTERFACE)
target_include_directories(belltower_version INTERFACE ${PROJECT_BINARY_DIR}/generated)
