# Shared build settings.

function(lorent_warnings target)
  if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wshadow -Wconversion -Wno-sign-conversion)
  endif()
endfunction()

if(WIN32)
  # Static runtime: the programs import only system DLLs.
  set(LORENT_WIN_LINK_FLAGS -static -static-libgcc -static-libstdc++)
  # Small stub: drop unused sections.
  add_compile_options(-ffunction-sections -fdata-sections)
  add_link_options(-Wl,--gc-sections)
endif()

# The stub's own code on Windows: no C++ exceptions, no thread-safe local
# statics (nothing is initialised from two threads), and no use of the
# library's prebuilt string instantiations. See framework/StubRuntime.cpp.
function(lorent_stub_code target)
  if(WIN32)
    target_compile_options(${target} PRIVATE
      $<$<COMPILE_LANGUAGE:CXX>:-fno-exceptions -fno-threadsafe-statics -include ${PROJECT_SOURCE_DIR}/framework/NoExternTemplates.h>)
  endif()
endfunction()

# A Windows program: GUI or console, static runtime, wide entry point.
function(lorent_windows_program target kind)
  if(kind STREQUAL "GUI")
    set_target_properties(${target} PROPERTIES WIN32_EXECUTABLE ON)
  endif()
  # Release builds ship stripped.
  target_link_options(${target} PRIVATE ${LORENT_WIN_LINK_FLAGS} -municode $<$<CONFIG:MinSizeRel,Release>:-s>)
  lorent_warnings(${target})
endfunction()

if(WIN32)
  # Resource scripts are UTF-8 (the Japanese texts).
  string(APPEND CMAKE_RC_FLAGS " -c 65001")
endif()
