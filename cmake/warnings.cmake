# One interface target carries the warning flags, so every target of ours gets the same
# strictness without repeating them.
add_library(cirrowisp_warnings INTERFACE)
if(MSVC)
    target_compile_options(cirrowisp_warnings INTERFACE /W4 /WX /permissive-)
else()
    target_compile_options(cirrowisp_warnings INTERFACE
        -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion
        -Wnon-virtual-dtor -Wold-style-cast -Wcast-align -Woverloaded-virtual
        -Wdouble-promotion -Wformat=2 -Wimplicit-fallthrough
        -Werror)
endif()
