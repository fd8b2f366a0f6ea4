# Cross build for 64-bit Windows with Debian's mingw-w64: the same programs as the 32-bit
# product, and the build the whole Windows suite runs on where 32-bit code is only emulated.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CORVANE_MINGW_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
