# Test programs: GoogleTest, run by CTest natively, or under Wine for the cross build.
if(CMAKE_CROSSCOMPILING)
    # Debian ships GoogleTest prebuilt for the host only; the cross build compiles its sources.
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
    set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
else()
    find_package(GTest REQUIRED)
endif()
include(GoogleTest)

# Every test ends within its time: a regression that hangs fails instead of stopping the run.
set(T47_TEST_CASE_TIMEOUT 120)     # one test case, natively
set(T47_TEST_PROGRAM_TIMEOUT 900)  # one test program under Wine, or a step of Wine's set-up

# t47_add_test_program(<name> SOURCES <files...> LIBRARIES <targets...>)
# Natively every test case is its own CTest test. Under Wine a program is one CTest test,
# run while the wineserver fixture keeps a server up, so that starting it costs little.
function(t47_add_test_program name)
    cmake_parse_arguments(PARSE_ARGV 1 ARG "" "" "SOURCES;LIBRARIES")
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBRARIES} GTest::gtest GTest::gtest_main)
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
    t47_warnings(${name})
    if(CMAKE_CROSSCOMPILING)
        add_test(NAME ${name} COMMAND ${name})
        set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine
                             TIMEOUT ${T47_TEST_PROGRAM_TIMEOUT})
    else()
        gtest_discover_tests(${name} TEST_PREFIX "${name}." DISCOVERY_TIMEOUT 60
                             PROPERTIES TIMEOUT ${T47_TEST_CASE_TIMEOUT})
    endif()
endfunction()

if(CMAKE_CROSSCOMPILING)
    # The prefix gets the virtual mouse (the first time, and its driver anew when the build
    # changed it) before the wineserver starts, which then loads the driver with fresh state.
    add_test(NAME wine_mouse.install COMMAND ${T47_WINE_DIR}/wine-mouse-install)
    set_tests_properties(wine_mouse.install PROPERTIES FIXTURES_SETUP wine
                         TIMEOUT ${T47_TEST_PROGRAM_TIMEOUT})
    add_test(NAME wineserver.start COMMAND ${T47_WINE_DIR}/wineserver-start)
    set_tests_properties(wineserver.start PROPERTIES FIXTURES_SETUP wine
                         DEPENDS wine_mouse.install TIMEOUT ${T47_TEST_PROGRAM_TIMEOUT})
    add_test(NAME wineserver.stop COMMAND ${T47_WINE_DIR}/wineserver-stop)
    set_tests_properties(wineserver.stop PROPERTIES FIXTURES_CLEANUP wine
                         TIMEOUT ${T47_TEST_PROGRAM_TIMEOUT})

    # For test programs that script the virtual mouse: every interface plugged in and the
    # mouse reset first, and one such program at a time.
    add_test(NAME wine_mouse.ready COMMAND t47mouse ready)
    set_tests_properties(wine_mouse.ready PROPERTIES FIXTURES_SETUP wine_mouse
                         FIXTURES_REQUIRED wine RESOURCE_LOCK wine_mouse
                         TIMEOUT ${T47_TEST_PROGRAM_TIMEOUT})
endif()

# t47_uses_wine_mouse(<test program>)
function(t47_uses_wine_mouse name)
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED "wine;wine_mouse"
                         RESOURCE_LOCK wine_mouse)
endfunction()

# t47_reads_wine_debug_channel(<test program>)
# The program reads back the debugger lines of the programs it runs (WineDebugChannel in
# src/platform/win32/testing): Wine shows them on its seh channel, here in a file of its own.
function(t47_reads_wine_debug_channel name)
    set_tests_properties(${name} PROPERTIES ENVIRONMENT
        "WINEDEBUG=-all,warn+seh;T47_WINE_DEBUG_LOG=${CMAKE_CURRENT_BINARY_DIR}/${name}.debug.log")
endfunction()
