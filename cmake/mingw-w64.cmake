# Cross build for 64-bit Windows with Debian's MinGW-w64. The POSIX thread model compilers are used because
# the win32 model has no std::thread or std::mutex, which GoogleTest needs; everything is linked statically so
# that Setup.exe and the test program need no MinGW DLLs beside them.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(INSTALLER_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${INSTALLER_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${INSTALLER_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${INSTALLER_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${INSTALLER_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Cross-built programs (the test suite) run under Wine, in a Wine prefix inside the build folder.
set(INSTALLER_WINE_PREFIX ${CMAKE_BINARY_DIR}/wine-prefix)
set(INSTALLER_WINE_START ${CMAKE_CURRENT_LIST_DIR}/wine-start)
set(INSTALLER_WINE_STOP ${CMAKE_CURRENT_LIST_DIR}/wine-stop)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run ${INSTALLER_WINE_PREFIX})
