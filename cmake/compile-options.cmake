# Sources are UTF-8; every literal becomes a GBK (code page 936) byte string, in both builds,
# so that the native tests see exactly the bytes the Windows program shows and compares.
# (Clang, used only for the fuzzing build, keeps literals in UTF-8: the fuzz targets check
# properties that do not depend on the bytes of the Chinese texts.)
add_compile_options($<$<COMPILE_LANGUAGE:C,CXX>:-Wall> $<$<COMPILE_LANGUAGE:C,CXX>:-Wextra>)
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
  add_compile_options($<$<COMPILE_LANGUAGE:C,CXX>:-finput-charset=UTF-8> $<$<COMPILE_LANGUAGE:C,CXX>:-fexec-charset=GBK>)
endif()

if(WIN32)
  add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)
  # Fully static: the updater must run from a bare directory next to the application.
  add_link_options(-static -static-libgcc -static-libstdc++)
  set(CMAKE_CXX_FLAGS_RELEASE "-Os -DNDEBUG")
  set(CMAKE_C_FLAGS_RELEASE "-Os -DNDEBUG")
endif()

if(CORVANE_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
elseif(CORVANE_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
endif()
