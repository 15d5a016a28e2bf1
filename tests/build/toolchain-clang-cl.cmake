# clang-cl standing in for MSVC in a configure-only check on Linux: it takes cl's command line,
# so CMake sets MSVC and walks every MSVC branch. There is no Windows SDK here, so nothing is
# compiled; the compiler checks make static libraries only, which need no SDK.
#   ZV_CLANG_CL_DIR  folder of clang-cl, lld-link, llvm-rc, llvm-lib, llvm-mt
#   ZV_CLANG_TARGET  x86_64-pc-windows-msvc or i686-pc-windows-msvc
set(CMAKE_SYSTEM_NAME Windows)
if(ZV_CLANG_TARGET MATCHES "^i686")
  set(CMAKE_SYSTEM_PROCESSOR X86)
else()
  set(CMAKE_SYSTEM_PROCESSOR AMD64)
endif()
set(CMAKE_C_COMPILER   ${ZV_CLANG_CL_DIR}/clang-cl)
set(CMAKE_CXX_COMPILER ${ZV_CLANG_CL_DIR}/clang-cl)
set(CMAKE_C_COMPILER_TARGET   ${ZV_CLANG_TARGET})
set(CMAKE_CXX_COMPILER_TARGET ${ZV_CLANG_TARGET})
set(CMAKE_RC_COMPILER ${ZV_CLANG_CL_DIR}/llvm-rc)
set(CMAKE_LINKER      ${ZV_CLANG_CL_DIR}/lld-link)
set(CMAKE_AR          ${ZV_CLANG_CL_DIR}/llvm-lib)
set(CMAKE_MT          ${ZV_CLANG_CL_DIR}/llvm-mt)
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)
