# Our own targets compile warning-free; third-party headers come in as SYSTEM.
add_library(varento_warnings INTERFACE)
target_compile_options(varento_warnings INTERFACE
    -Wall -Wextra -Wpedantic -Werror
    -Wshadow -Wconversion -Wsign-conversion -Wnon-virtual-dtor
    -Wold-style-cast -Woverloaded-virtual
    -Wimplicit-fallthrough)
