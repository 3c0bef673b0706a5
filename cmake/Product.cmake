# The shipped programs, Kestrova.exe and rm.exe, are built for size on
# Windows. Their code and the static libraries they link are compiled at -Os,
# one section per function and per datum (so the linker can drop what nothing
# reaches), without exceptions or RTTI (nothing in them throws, catches or
# asks for a type at run time) and without guards on function-local statics
# (both programs run their code on one thread). The native build compiles the
# same sources with neither, for GoogleTest and the sanitizers.
function(kestrova_product_code target)
  if(WIN32)
    target_compile_options(${target} PRIVATE -Os -ffunction-sections -fdata-sections
                                             -fno-exceptions -fno-rtti -fno-threadsafe-statics)
  endif()
endfunction()

# A shipped program: its own code as above, the runtime pieces that replace
# libstdc++'s throwing ones, unreferenced sections dropped and the symbols
# stripped. The link map beside the exe (NAME.map in the build tree) shows what
# each library and object contributes.
function(kestrova_product_program target)
  kestrova_product_code(${target})
  if(WIN32)
    target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/platform/win32/LeanRuntime.cpp)
    target_link_options(${target} PRIVATE -s -Wl,--gc-sections
      "-Wl,-Map,$<TARGET_FILE_DIR:${target}>/$<TARGET_FILE_BASE_NAME:${target}>.map")
  endif()
endfunction()
