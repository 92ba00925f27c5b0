# clang for the MSVC ABI (what clang-cl and MSVC produce), with no Windows
# SDK and no C runtime: the consumer brings a kernel32 import library of its
# own and the entry point `start`.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_CXX_COMPILER_TARGET i686-pc-windows-msvc)
# Nothing can be linked before the project says what with.
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)
set(CMAKE_CXX_FLAGS_INIT "-ffreestanding -fno-builtin -fno-exceptions -fno-rtti -fno-stack-protector")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-fuse-ld=lld -nostdlib -Wl,/nodefaultlib -Wl,/entry:start")
set(CMAKE_CXX_STANDARD_LIBRARIES "" CACHE STRING "" FORCE)
