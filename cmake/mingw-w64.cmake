# Cross-build for 64-bit Windows with mingw-w64. The program is linked fully static so that it
# needs no DLL beside it: the updater itself deletes and replaces DLLs in its own folder.
# Programs built here run under Wine through wine-run.sh (tests, gtest discovery).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ATUALIZA_MINGW x86_64-w64-mingw32)
# The posix thread model: std::thread and std::mutex work (GoogleTest uses them).
set(CMAKE_C_COMPILER ${ATUALIZA_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ATUALIZA_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${ATUALIZA_MINGW}-windres)
set(CMAKE_AR ${ATUALIZA_MINGW}-gcc-ar-posix CACHE FILEPATH "")
set(CMAKE_RANLIB ${ATUALIZA_MINGW}-gcc-ranlib-posix CACHE FILEPATH "")

set(CMAKE_FIND_ROOT_PATH /usr/${ATUALIZA_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Wide Win32 calls everywhere; text is converted to UTF-16 only at those calls.
# M_PI and friends, which glibc gives by default and the Windows headers only on request.
set(CMAKE_C_FLAGS_INIT "-DUNICODE -D_UNICODE -D_USE_MATH_DEFINES")
set(CMAKE_CXX_FLAGS_INIT "-DUNICODE -D_UNICODE -D_USE_MATH_DEFINES")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Each build folder gets its own Wine prefix, made on first use.
if(NOT DEFINED ATUALIZA_WINEPREFIX)
  set(ATUALIZA_WINEPREFIX "${CMAKE_BINARY_DIR}/wineprefix" CACHE PATH "Wine prefix of this build")
endif()
set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_CURRENT_LIST_DIR}/wine-run.sh;${ATUALIZA_WINEPREFIX}")
