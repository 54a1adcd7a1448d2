# Warnings are errors on both compilers, for our own targets only (never for GoogleTest), and
# for their C and C++ sources only (not for resource scripts).
function(t47_warnings target)
    set(flags -Wall -Wextra -Wpedantic -Wshadow -Werror)
    target_compile_options(${target} PRIVATE "$<$<COMPILE_LANGUAGE:C,CXX>:${flags}>")
endfunction()
