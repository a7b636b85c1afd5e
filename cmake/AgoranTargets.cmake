# Helpers that give every folder the same shape: one static library per folder, named
# agoran_<folder> with the alias agoran::<folder>, built from every .cpp file in the folder.
# Files ending in _linux.cpp or _windows.cpp are compiled only on that operating system.

function(agoran_warnings target)
  if(MSVC)
    target_compile_options(${target} PRIVATE /W4 /utf-8 /permissive- /Zc:__cplusplus)
    if(AGORAN_WERROR)
      target_compile_options(${target} PRIVATE /WX)
    endif()
    return()
  endif()
  target_compile_options(${target} PRIVATE -Wall -Wextra)
  if(AGORAN_WERROR)
    target_compile_options(${target} PRIVATE -Werror)
  endif()
endfunction()

function(agoran_sources out_var dir)
  file(GLOB srcs CONFIGURE_DEPENDS ${dir}/*.cpp)
  list(FILTER srcs EXCLUDE REGEX "_(linux|windows)\\.cpp$")
  if(WIN32)
    file(GLOB os_srcs CONFIGURE_DEPENDS ${dir}/*_windows.cpp)
  else()
    file(GLOB os_srcs CONFIGURE_DEPENDS ${dir}/*_linux.cpp)
  endif()
  set(${out_var} ${srcs} ${os_srcs} PARENT_SCOPE)
endfunction()

# agoran_library(<folder> DEPS <targets...>)
function(agoran_library name)
  cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
  agoran_sources(srcs ${CMAKE_CURRENT_SOURCE_DIR})
  add_library(agoran_${name} STATIC ${srcs})
  add_library(agoran::${name} ALIAS agoran_${name})
  target_include_directories(agoran_${name} PUBLIC ${PROJECT_SOURCE_DIR})
  target_link_libraries(agoran_${name} PUBLIC ${ARG_DEPS})
  agoran_warnings(agoran_${name})
  agoran_sanitize(agoran_${name})
  agoran_fuzz_coverage(agoran_${name})
endfunction()

# Unity build (AGORAN_UNITY, on by default, set for every target in CMakeLists.txt): a target's
# sources are compiled a batch at a time, each batch as one unit, so the headers they share (the
# standard library, nlohmann-json, GoogleTest, Qt) are read once per batch instead of once per
# file. A file that cannot share a unit with its neighbours (two files defining the same internal
# name) is marked with set_source_files_properties(<file> PROPERTIES SKIP_UNITY_BUILD_INCLUSION ON).
#   agoran_unity_batch(<target> <files per unit>)   another batch size for one target
function(agoran_unity_batch target size)
  if(AGORAN_UNITY)
    set_target_properties(${target} PROPERTIES UNITY_BUILD_BATCH_SIZE ${size})
  endif()
endfunction()

# Test code is compiled at -O1: it builds in about half the time of -O2 and runs as fast where
# it matters (the code under test keeps the build type's optimisation). With debug information
# it keeps line tables only (-g1): file and line in a backtrace, at some 60% of the compile time
# of full information. The code under test keeps the build type's. Tests build records with
# designated initializers naming only the members they set, which GCC 12 warns about.
function(agoran_test_code target)
  if(NOT MSVC)
    target_compile_options(${target} PRIVATE $<$<CONFIG:Release,RelWithDebInfo,MinSizeRel>:-O1>
                                             $<$<CONFIG:RelWithDebInfo>:-g1> -Wno-missing-field-initializers)
  endif()
endfunction()

# The programs a test program starts (the simulator, Pursa, agoran-cli ...): built before the
# test program is linked, without holding back the compilation of its sources.
#   agoran_test_programs(<test target> <program targets...>)
function(agoran_test_programs target)
  foreach(program IN LISTS ARGN)
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS $<TARGET_FILE:${program}>)
  endforeach()
endfunction()

# agoran_program(<target> SOURCES <files...> DEPS <targets...>)
function(agoran_program target)
  cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
  add_executable(${target} ${ARG_SOURCES})
  target_include_directories(${target} PRIVATE ${PROJECT_SOURCE_DIR})
  target_link_libraries(${target} PRIVATE ${ARG_DEPS})
  agoran_warnings(${target})
  agoran_sanitize(${target})
endfunction()

# Sanitizer and fuzzing instrumentation, the same for every library, program and test:
#   AGORAN_SANITIZE=address  AddressSanitizer + UndefinedBehaviorSanitizer (any report aborts)
#   AGORAN_SANITIZE=thread   ThreadSanitizer
function(agoran_sanitize target)
  if(AGORAN_SANITIZE STREQUAL "address")
    target_compile_options(${target} PUBLIC -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
    target_link_options(${target} PUBLIC -fsanitize=address,undefined)
  elseif(AGORAN_SANITIZE STREQUAL "thread")
    target_compile_options(${target} PUBLIC -fsanitize=thread -fno-omit-frame-pointer)
    target_link_options(${target} PUBLIC -fsanitize=thread)
  elseif(NOT AGORAN_SANITIZE STREQUAL "")
    message(FATAL_ERROR "AGORAN_SANITIZE must be empty, 'address' or 'thread', not '${AGORAN_SANITIZE}'")
  endif()
endfunction()

# Coverage for libFuzzer (AGORAN_BUILD_FUZZ=ON, clang only): the libraries and the fuzz targets
# only; tests and programs need none.
function(agoran_fuzz_coverage target)
  if(AGORAN_BUILD_FUZZ)
    target_compile_options(${target} PRIVATE -fsanitize=fuzzer-no-link)
  endif()
endfunction()
