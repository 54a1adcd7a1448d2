# Windows programs of the cross build run under Wine, in a prefix of the build folder's own.
find_program(T47_WINE64 wine64 PATHS /usr/lib/wine NO_DEFAULT_PATH REQUIRED)
find_program(T47_WINESERVER wineserver PATHS /usr/lib/wine NO_DEFAULT_PATH REQUIRED)

set(T47_WINE_DIR "${CMAKE_BINARY_DIR}/wine")
set(T47_WINE_PREFIX "${T47_WINE_DIR}/prefix")

configure_file(${CMAKE_CURRENT_LIST_DIR}/wine/wine-env.sh.in ${T47_WINE_DIR}/wine-env.sh @ONLY)
foreach(script wine-run wine-run-fresh-prefix wineserver-start wineserver-stop)
    configure_file(${CMAKE_CURRENT_LIST_DIR}/wine/${script}.in ${T47_WINE_DIR}/${script}
                   @ONLY FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ
                   GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
endforeach()

# Every executable made from here on runs through Wine in add_test and custom commands.
set(CMAKE_CROSSCOMPILING_EMULATOR "${T47_WINE_DIR}/wine-run")
