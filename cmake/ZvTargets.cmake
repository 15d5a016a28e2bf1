# Common compile and link settings of every Zuvora target.
add_library(zv_settings INTERFACE)
target_compile_definitions(zv_settings INTERFACE
  UNICODE _UNICODE NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601
  ZV_VERSION_MAJOR=${PROJECT_VERSION_MAJOR} ZV_VERSION_MINOR=${PROJECT_VERSION_MINOR})
if(MINGW)
  target_compile_options(zv_settings INTERFACE
    $<$<COMPILE_LANGUAGE:CXX,C>:-Wall -Wextra -Wno-unused-parameter -Wno-missing-field-initializers -Wno-cast-function-type>)
  # -static: with the posix thread model the winpthread DLL would otherwise be needed at run time.
  target_link_options(zv_settings INTERFACE -static)
elseif(MSVC)
  # C and C++ only: rc.exe takes none of these.
  target_compile_options(zv_settings INTERFACE
    $<$<COMPILE_LANGUAGE:CXX,C>:/W3> $<$<COMPILE_LANGUAGE:CXX,C>:/utf-8>)
endif()

# Resource scripts are UTF-8 (#pragma code_page(65001), which rc.exe follows; windres needs
# telling). Target options do not reach the resource compiler, hence the directory-wide flags,
# in a plain variable: appending to the cached one added the flag again at every configure.
if(MINGW)
  string(APPEND CMAKE_RC_FLAGS " -c 65001")
endif()

# zv_program(NAME [CONSOLE] SOURCES ... LIBS ...)
function(zv_program name)
  cmake_parse_arguments(P "CONSOLE" "" "SOURCES;LIBS" ${ARGN})
  if(P_CONSOLE)
    add_executable(${name} ${P_SOURCES})
  else()
    add_executable(${name} WIN32 ${P_SOURCES})
    if(MINGW)
      target_link_options(${name} PRIVATE -municode)  # wWinMain
    endif()
  endif()
  target_link_libraries(${name} PRIVATE zv_settings ${P_LIBS})
endfunction()

# zv_dll(NAME DEF file SOURCES ... LIBS ...): a DLL without a "lib" prefix.
function(zv_dll name)
  cmake_parse_arguments(P "" "DEF" "SOURCES;LIBS" ${ARGN})
  add_library(${name} SHARED ${P_SOURCES} ${P_DEF})
  set_target_properties(${name} PROPERTIES PREFIX "" IMPORT_PREFIX "")
  target_link_libraries(${name} PRIVATE zv_settings ${P_LIBS})
endfunction()

# zv_version_info(TARGET "description"): the target's file carries the system's version
# (ZV_FILE_VERSION, the core program's too) in a resource of its own, so that the about box and
# the start-up report can list every file of the system by version.
set(ZV_FILE_VERSION 9.0.0.0)
function(zv_version_info target description)
  get_target_property(type ${target} TYPE)
  if(type STREQUAL "SHARED_LIBRARY")
    set(ZV_VI_TYPE VFT_DLL)
    set(ZV_VI_FILE ${target}.dll)
  else()
    set(ZV_VI_TYPE VFT_APP)
    set(ZV_VI_FILE ${target}.exe)
  endif()
  set(ZV_VI_NAME ${target})
  set(ZV_VI_DESCRIPTION "${description}")
  set(ZV_VI_DOTS ${ZV_FILE_VERSION})
  string(REPLACE "." "," ZV_VI_COMMAS ${ZV_FILE_VERSION})
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}Version.rc)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/ZvVersionInfo.rc.in ${rc} @ONLY)
  target_sources(${target} PRIVATE ${rc})
endfunction()
