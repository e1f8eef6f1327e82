# Helpers every folder's CMakeLists.txt uses to declare its targets. Source
# names are given relative to the folder that names them.

# vud_add_library(NAME [M32] SOURCES src... [PUBLIC lib...] [PRIVATE lib...])
# A static library of the tree: its headers are included from the top of the
# source tree, and it builds with the tree's warnings. M32 marks a library the
# program vudstats is made of: when the 32-bit vudstats is built
# (VUDSTATS_IS_M32), a twin NAME_m32 is made from the same sources with the
# 32-bit options, linking the twins of the libraries NAME links. Sources added
# later go through vud_library_sources(), so the twin gets them too.
function(vud_add_library name)
  cmake_parse_arguments(ARG "M32" "" "SOURCES;PUBLIC;PRIVATE" ${ARGN})
  set(flavours ${name})
  if(ARG_M32 AND VUDSTATS_IS_M32)
    list(APPEND flavours ${name}_m32)
  endif()
  foreach(lib IN LISTS flavours)
    add_library(${lib} STATIC ${ARG_SOURCES})
    target_include_directories(${lib} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${lib} PRIVATE vud_warnings)
  endforeach()
  target_link_libraries(${name} PUBLIC ${ARG_PUBLIC} PRIVATE ${ARG_PRIVATE})
  if(ARG_M32 AND VUDSTATS_IS_M32)
    vud_m32_names(public ${ARG_PUBLIC})
    vud_m32_names(private ${ARG_PRIVATE})
    target_link_libraries(${name}_m32 PUBLIC vud_m32 ${public} PRIVATE ${private})
  endif()
endfunction()

# vud_library_sources(NAME src...): adds sources to a library of
# vud_add_library and to its 32-bit twin, where there is one.
function(vud_library_sources name)
  target_sources(${name} PRIVATE ${ARGN})
  if(TARGET ${name}_m32)
    target_sources(${name}_m32 PRIVATE ${ARGN})
  endif()
endfunction()

# vud_m32_names(OUT lib...): the libraries a 32-bit twin links in place of
# lib...: each one's twin, or the library itself when it has nothing to
# compile (a header-only interface library).
function(vud_m32_names out)
  set(names "")
  foreach(lib IN LISTS ARGN)
    if(TARGET ${lib}_m32)
      list(APPEND names ${lib}_m32)
    else()
      get_target_property(type ${lib} TYPE)
      if(NOT type STREQUAL "INTERFACE_LIBRARY")
        message(FATAL_ERROR "${lib} has no 32-bit twin: declare it with vud_add_library(${lib} M32 ...)")
      endif()
      list(APPEND names ${lib})
    endif()
  endforeach()
  set(${out} ${names} PARENT_SCOPE)
endfunction()

# vud_add_test(NAME SOURCES src... [LIBS lib...])
# A GoogleTest executable whose cases are registered one by one with CTest.
# Does nothing unless VUD_BUILD_TESTS is on.
function(vud_add_test name)
  if(NOT VUD_BUILD_TESTS)
    return()
  endif()
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main vud_warnings)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR})
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 300)
endfunction()

# vud_uses_programs(TARGET program...): the test or benchmark TARGET runs the
# built programs named; each one's path reaches it as the macro
# <PROGRAM>_BIN (vudstats: VUDSTATS_BIN), and they are built before it.
function(vud_uses_programs target)
  foreach(program IN LISTS ARGN)
    string(TOUPPER ${program} macro)
    target_compile_definitions(${target} PRIVATE ${macro}_BIN="$<TARGET_FILE:${program}>")
  endforeach()
  add_dependencies(${target} ${ARGN})
endfunction()

# vud_add_fuzzer(NAME SOURCES src... LIBS lib...)
# A libFuzzer harness, built only with VUD_FUZZ on and a clang compiler.
function(vud_add_fuzzer name)
  if(NOT (VUD_FUZZ AND CMAKE_CXX_COMPILER_ID MATCHES "Clang"))
    return()
  endif()
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} vud_warnings)
endfunction()
