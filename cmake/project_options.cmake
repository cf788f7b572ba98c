# Compiler flags and link rules shared by every target of the project.

include_guard(GLOBAL)

# Warnings: every target of ours compiles cleanly under -Wall -Wextra.
function(project_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic)
endfunction()

# A shared library of the product or a stand-in: hidden visibility (exports are marked
# explicitly), no version suffix (the SONAMEs are pinned unversioned), every symbol
# resolved at link time, and no GNU unique symbols so that dlclose really unloads it and
# its static destructors run.
function(project_shared_library target)
  set_target_properties(${target} PROPERTIES
    CXX_VISIBILITY_PRESET hidden
    C_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON
    LIBRARY_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/lib
    INSTALL_RPATH "$ORIGIN")
  target_link_options(${target} PRIVATE -Wl,--enable-new-dtags)
  # clang puts the sanitizer runtimes into programs only: a sanitized library leaves their
  # symbols to the program that loads it.
  if(NOT (CMAKE_CXX_COMPILER_ID STREQUAL "Clang" AND PROJECT_SANITIZE))
    target_link_options(${target} PRIVATE -Wl,-z,defs)
  endif()
  project_warnings(${target})
endfunction()

function(project_unloadable target)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_compile_options(${target} PRIVATE -fno-gnu-unique)
  endif()
endfunction()

# A program: finds the libraries in ../lib.
function(project_program target)
  set_target_properties(${target} PROPERTIES
    RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/bin
    INSTALL_RPATH "$ORIGIN/../lib")
  target_link_options(${target} PRIVATE -Wl,--enable-new-dtags)
  project_warnings(${target})
endfunction()

# Restricts a library's dynamic symbols to those listed in a linker version script.
# Hidden visibility alone still exports weak instantiations of standard-library templates.
function(project_export_map target map_file)
  target_link_options(${target} PRIVATE -Wl,--version-script=${map_file})
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${map_file})
endfunction()
