# SPDX-License-Identifier: GPL-3.0-or-later
# Language level and optional sanitizers (linked as an INTERFACE target).
option(BELLTOWER_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)

add_library(belltower_options INTERFACE)
target_compile_features(belltower_options INTERFACE cxx_std_20)
set(CMAKE_CXX_EXTENSIONS OFF)
if(BELLTOWER_SANITIZE)
    target_compile_options(belltower_options INTERFACE
        -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    target_link_options(belltower_options INTERFACE -fsanitize=address,undefined)
endif()
