# Warnings are errors on both compilers, for our own targets only (never for GoogleTest).
function(t47_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Werror)
endfunction()
