# Cross-compiling the core and quill for 64-bit Windows with Debian's
# mingw-w64 (package g++-mingw-w64-x86-64-posix). The posix thread model gives
# std::thread, which the save lock's wait uses.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# One self-contained quill.exe: no mingw runtime DLLs beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# GCC 12 at -O3 reports std::string copies inside the library headers as
# overlapping (GCC bug 105329), a false positive that -Werror would make fatal.
set(CMAKE_CXX_FLAGS_INIT "-Wno-restrict")
