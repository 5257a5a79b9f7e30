# Warnings every Belltower target is built with (linked as an INTERFACE target).
add_library(belltower_warnings INTERFACE)
target_compile_options(belltower_warnings INTERFACE
    -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion -Wold-style-cast
    -Wnon-virtual-dtor -Woverloaded-virtual -Wnull-dereference -Wformat=2 -Wimplicit-fallthrough
    $<$<CXX_COMPILER_ID:GNU>:-Wduplicated-cond -Wduplicated-branches -Wlogical-op -Wsuggest-override>)
if(BELLTOWER_WERROR)
    target_compile_options(belltower_warnings INTERFACE -Werror)
endif()
