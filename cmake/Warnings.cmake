# Warnings are errors on both compilers, for every target of the project.
function(kestrova_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow -Wconversion
                                           -Wsign-conversion -Werror)
  # GCC 12 reports std::string concatenation at -O2 and above as overlapping
  # copies (a known false positive of its -Wrestrict).
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    target_compile_options(${target} PRIVATE -Wno-restrict)
  endif()
endfunction()
