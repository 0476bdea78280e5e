# Shared by the mingw-w64 toolchain files, which set CMAKE_SYSTEM_PROCESSOR and
# TAMBERLIN_MINGW_PREFIX before they include it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${TAMBERLIN_MINGW_PREFIX}-gcc)
set(CMAKE_CXX_COMPILER ${TAMBERLIN_MINGW_PREFIX}-g++)
set(CMAKE_RC_COMPILER ${TAMBERLIN_MINGW_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${TAMBERLIN_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# One self-contained exe: the C++ and GCC run-times linked in, so only system DLLs are imported;
# unused functions of them are dropped to keep it small. The Windows API in its UTF-16 form, and
# no call newer than Windows 7 (later ones are looked up at run time).
set(CMAKE_CXX_FLAGS_INIT "-ffunction-sections -fdata-sections -DUNICODE -D_UNICODE -DNOMINMAX -D_WIN32_WINNT=0x0601 -DWINVER=0x0601")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++ -Wl,--gc-sections")
