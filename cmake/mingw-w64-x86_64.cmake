# Cross toolchain for the Windows build (Debian package g++-mingw-w64-x86-64).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TOOLCHAIN_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TOOLCHAIN_PREFIX}-gcc)
set(CMAKE_CXX_COMPILER ${TOOLCHAIN_PREFIX}-g++)
set(CMAKE_RC_COMPILER ${TOOLCHAIN_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${TOOLCHAIN_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# intro.exe is built for size: no exceptions or RTTI anywhere in the program,
# every function in its own section so the linker can drop the unused ones.
# Not -fdata-sections: with it this compiler puts zero-initialised globals in
# .data$<name> sections, so the replayer's and mixer's stores (about 230 KB of
# zeros) would be written into the file instead of taking no room in .bss.
# No unwind tables either: nothing unwinds (no exceptions), and the default
# linker script keeps every .pdata entry, which would keep every function they
# point at alive. Link-time optimisation across the core libraries and no
# compiler ident strings bring the program under 64 KiB.
set(CMAKE_INTERPROCEDURAL_OPTIMIZATION ON)
set(CMAKE_C_FLAGS_INIT "-ffunction-sections")
set(CMAKE_CXX_FLAGS_INIT "-ffunction-sections -fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables -fno-unwind-tables -fno-ident")
