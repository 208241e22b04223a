# Cross build for 64-bit Windows with the MinGW-w64 compilers of the POSIX
# thread model. The compiler's own runtimes (libgcc, libstdc++ and
# winpthread) are linked statically and the C runtime is the system's
# msvcrt.dll, so the program needs no DLL that Windows does not have. Test
# programs run under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(OCTASPIN_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${OCTASPIN_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${OCTASPIN_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${OCTASPIN_MINGW_TRIPLE}-windres)

# Libraries and headers come from the cross sysroot only; programs (the
# resource compiler, Python, the host's own compilers) from the host.
set(CMAKE_FIND_ROOT_PATH /usr/${OCTASPIN_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

set(CMAKE_CROSSCOMPILING_EMULATOR wine)
