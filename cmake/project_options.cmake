# Compiler flags and link rules shared by every target of the project.

include_guard(GLOBAL)

# Warnings: every target of ours compiles cleanly under -Wall -Wextra.
# clang does not know some of g++'s warning names that our pragmas silence (-Wcatch-value).
function(project_warnings target)
  target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic
                         $<$<CXX_COMPILER_ID:Clang>:-Wno-unknown-warning-option>)
endfunction()

# A shared library of the product or a stand-in: hidden visibility (exports are marked
# explicitly), no version suffix (the SONAMEs are pinned unversioned), every symbol
# resolved at link time. Linux puts it in lib/ and finds its neighbours through
# RUNPATH=$ORIGIN; Windows puts the DLL beside the programs in bin/ (where the loader looks
# first), with no "lib" prefix, and its import library beside it.
function(project_shared_library target)
  set_target_properties(${target} PROPERTIES
    CXX_VISIBILITY_PRESET hidden
    C_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON
    LIBRARY_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/lib
    RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/bin
    ARCHIVE_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/bin
    INSTALL_RPATH "$ORIGIN")
  if(WIN32)
    set_target_properties(${target} PROPERTIES PREFIX "")
  else()
    target_link_options(${target} PRIVATE -Wl,--enable-new-dtags)
    # clang puts the sanitizer runtimes into programs only: a sanitized library leaves their
    # symbols to the program that loads it.
    if(NOT (CMAKE_CXX_COMPILER_ID STREQUAL "Clang" AND OSTREL_SANITIZE))
      target_link_options(${target} PRIVATE -Wl,-z,defs)
    endif()
  endif()
  project_warnings(${target})
endfunction()

# A static library linked into one of the shared libraries: hidden visibility, so that none
# of its symbols leaves the library that links it in.
function(project_static_library target)
  set_target_properties(${target} PROPERTIES CXX_VISIBILITY_PRESET hidden
                                             VISIBILITY_INLINES_HIDDEN ON)
  project_warnings(${target})
endfunction()

# No GNU unique symbols, so that dlclose really unloads the library and its static
# destructors run (an ELF matter: PE has no such symbols).
function(project_unloadable target)
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND NOT WIN32)
    target_compile_options(${target} PRIVATE -fno-gnu-unique)
  endif()
endfunction()

# A program: finds the libraries in ../lib (Linux) or beside itself (Windows). On Windows
# it declares UTF-8 as its code page, so that its narrow text is UTF-8 as on Linux.
function(project_program target)
  set_target_properties(${target} PROPERTIES
    RUNTIME_OUTPUT_DIRECTORY ${PROJECT_BINARY_DIR}/bin
    INSTALL_RPATH "$ORIGIN/../lib")
  if(WIN32)
    target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/cmake/windows/utf8_code_page.rc)
  else()
    target_link_options(${target} PRIVATE -Wl,--enable-new-dtags)
  endif()
  project_warnings(${target})
endfunction()

# Exports exactly the names in cmake/exports/<target>.txt, the one list of a library's
# interface: a linker version script on ELF (hidden visibility alone still exports weak
# instantiations of standard-library templates), a module-definition file on PE. The
# export tests compare the built library with the same list.
function(project_exports target)
  set(list_file ${PROJECT_SOURCE_DIR}/cmake/exports/${target}.txt)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${list_file})
  file(STRINGS ${list_file} names)
  if(WIN32)
    set(definitions ${PROJECT_BINARY_DIR}/exports/${target}.def)
    list(JOIN names "\n  " lines)
    file(CONFIGURE OUTPUT ${definitions} CONTENT "EXPORTS\n  ${lines}\n")
    target_sources(${target} PRIVATE ${definitions})
  else()
    set(script ${PROJECT_BINARY_DIR}/exports/${target}.map)
    list(JOIN names ";\n    " lines)
    file(CONFIGURE OUTPUT ${script} CONTENT "{\n  global:\n    ${lines};\n  local: *;\n};\n")
    target_link_options(${target} PRIVATE -Wl,--version-script=${script})
    set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS ${script})
  endif()
endfunction()
