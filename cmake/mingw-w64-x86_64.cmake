# Cross-compiling for 64-bit Windows with MinGW-w64 (the posix thread model,
# so that std::thread and friends are available).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(KIVO_MINGW_PREFIX x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${KIVO_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KIVO_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${KIVO_MINGW_PREFIX}-windres)
set(KIVO_WINDMC ${KIVO_MINGW_PREFIX}-windmc)

set(CMAKE_FIND_ROOT_PATH /usr/${KIVO_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Every .exe must run on a bare Windows: no libgcc, libstdc++ or winpthread DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
