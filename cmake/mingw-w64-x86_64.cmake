# Cross-building for 64-bit Windows with Debian's mingw-w64 compiler, the
# variant with POSIX threads (std::thread needs them).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KVN_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${KVN_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KVN_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${KVN_MINGW}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${KVN_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# GCC for Windows does not keep the stack aligned for 32- and 64-byte vector
# spills; unaligned moves make such spills safe (binutils 2.38 and later).
set(CMAKE_C_FLAGS_INIT "-Wa,-muse-unaligned-vector-move")
set(CMAKE_CXX_FLAGS_INIT "-Wa,-muse-unaligned-vector-move")
# The C++ runtime, libgcc and winpthread are linked in, so the programs and
# the DLL need nothing beside them but what Windows has.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")

# Test programs run under Wine when there is no Windows to run them on.
if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run)
endif()
