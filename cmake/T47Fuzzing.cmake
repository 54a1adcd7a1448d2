# Fuzz targets (the decoders, the profile-file engine), one program each over
# LLVMFuzzerTestOneInput.
#
# With T47_BUILD_FUZZERS (the fuzz preset, clang) every target of the build is compiled with
# AddressSanitizer, UndefinedBehaviorSanitizer and libFuzzer's coverage, and each fuzz target
# is a libFuzzer program. In the other builds a fuzz target is linked with a small replay
# main instead, so that g++ and the Windows build under Wine run the saved corpus too.
# Either way CTest replays the corpus of each target once.
option(T47_BUILD_FUZZERS "Build the libFuzzer programs (clang only)" OFF)

if(T47_BUILD_FUZZERS)
    if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
        message(FATAL_ERROR "T47_BUILD_FUZZERS needs clang (the fuzz preset sets it)")
    endif()
    # _GLIBCXX_ASSERTIONS: std::array and std::span indexes are checked too, so an index past
    # an array inside a record stops the run even where AddressSanitizer cannot see it.
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all
                        -fno-omit-frame-pointer -D_GLIBCXX_ASSERTIONS)
    add_link_options(-fsanitize=address,undefined)
endif()

set(T47_FUZZ_CORPUS_DIR "${PROJECT_SOURCE_DIR}/tests/fuzz/corpus")

# t47_add_fuzz_target(<name> SOURCES <files...> LIBRARIES <targets...>)
# The saved corpus of the target is tests/fuzz/corpus/<name>.
function(t47_add_fuzz_target name)
    cmake_parse_arguments(PARSE_ARGV 1 ARG "" "" "SOURCES;LIBRARIES")
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBRARIES})
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
    t47_warnings(${name})
    set(corpus "${T47_FUZZ_CORPUS_DIR}/${name}")
    if(T47_BUILD_FUZZERS)
        target_link_options(${name} PRIVATE -fsanitize=fuzzer)
        # -runs=0: run every saved input once, mutate nothing.
        add_test(NAME corpus.${name} COMMAND ${name} -runs=0 ${corpus})
    else()
        target_sources(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests/fuzz/corpus_replay_main.cpp)
        add_test(NAME corpus.${name} COMMAND ${name} ${corpus})
        if(CMAKE_CROSSCOMPILING)
            set_tests_properties(corpus.${name} PROPERTIES FIXTURES_REQUIRED wine)
        endif()
    endif()
    # A saved corpus replays in seconds; one that hangs fails.
    set_tests_properties(corpus.${name} PROPERTIES TIMEOUT 300)
endfunction()
