# GoogleTest from Debian's sources, compiled by whichever toolchain is configured.
set(CORVANE_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest source tree")
if(NOT EXISTS ${CORVANE_GTEST_SOURCE}/CMakeLists.txt)
  message(FATAL_ERROR "GoogleTest sources not found in ${CORVANE_GTEST_SOURCE}; run scripts/setup")
endif()
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
add_subdirectory(${CORVANE_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
# Our own warnings are strict; GoogleTest's are not ours to fix.
foreach(target gtest gtest_main)
  target_compile_options(${target} PRIVATE -w)
endforeach()
include(GoogleTest)
