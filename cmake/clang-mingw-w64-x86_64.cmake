# Cross build for 64-bit Windows with Clang: the same target, headers and libraries as
# mingw-w64-x86_64.cmake (mingw-w64, the mingw gcc's libstdc++ with posix threads, GNU ld),
# a second compiler's reading of the code. Tests run under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(triple x86_64-w64-mingw32)
set(CMAKE_C_COMPILER clang)
set(CMAKE_C_COMPILER_TARGET ${triple})
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_CXX_COMPILER_TARGET ${triple})
set(CMAKE_RC_COMPILER ${triple}-windres)
# The mingw-w64 tree as the root, so that nothing of the host's /usr/include comes in.
set(CMAKE_SYSROOT /usr/${triple})

# Clang looks for the gcc's libstdc++ in a folder named by version alone; Debian's is
# ".../12-posix". Ask that gcc where it is, and name its headers and libraries.
execute_process(COMMAND ${triple}-g++-posix -print-file-name=libstdc++.a
    OUTPUT_VARIABLE libstdcxx OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
get_filename_component(gcc_dir ${libstdcxx} DIRECTORY)
set(cxx_headers ${gcc_dir}/include/c++)
# That libstdc++ keeps its thread-local variables (std::call_once's) the way gcc does on
# Windows, emulated: clang must reach them the same way.
set(CMAKE_C_FLAGS_INIT "-femulated-tls")
set(CMAKE_CXX_FLAGS_INIT "-femulated-tls -isystem ${cxx_headers} -isystem ${cxx_headers}/${triple} -isystem ${cxx_headers}/backward")
# -pthread puts winpthreads after libstdc++ and libgcc, which need it, as the gcc's own
# driver does.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-L${gcc_dir} -pthread")

set(CMAKE_FIND_ROOT_PATH /usr/${triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR "${CMAKE_CURRENT_LIST_DIR}/wine-run.sh")
