# Cross build for 64-bit Windows with Debian's mingw-w64 (POSIX thread model, so that
# std::thread and std::mutex are available).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(T47_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${T47_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${T47_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${T47_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${T47_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Static programs: under Wine a missing runtime DLL fails silently with status 53.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
