# Warnings for our own targets only (never for GoogleTest), and for their C and C++ sources only
# (not for resource scripts). They are errors where we decide so: the presets and CI set
# T47_WARNINGS_AS_ERRORS; a plain build of any build type must build for everyone, whatever the
# compiler's version warns about.
option(T47_WARNINGS_AS_ERRORS "Make compiler warnings errors (the presets set it)" OFF)

function(t47_warnings target)
    set(flags -Wall -Wextra -Wpedantic -Wshadow)
    if(T47_WARNINGS_AS_ERRORS)
        list(APPEND flags -Werror)
        # g++ 12 warns falsely about overlapping copies inside std::string's own code when it
        # optimises harder (Release): kept a warning, not an error.
        if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
            list(APPEND flags -Wno-error=restrict)
        endif()
    endif()
    target_compile_options(${target} PRIVATE "$<$<COMPILE_LANGUAGE:C,CXX>:${flags}>")
endfunction()
