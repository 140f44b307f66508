# Every deliverable (the programs and the loadable modules) lands in one folder, as it does when
# installed, so that each finds the others beside itself: a module finds its settings and
# language files in its own folder, Regwell finds Quorva and shellhost beside it.
set(QUORVA_BIN_DIR ${CMAKE_BINARY_DIR}/bin)

# quorva_deliverable(<target>): builds the target into QUORVA_BIN_DIR.
function(quorva_deliverable target)
  set_target_properties(${target} PROPERTIES
    RUNTIME_OUTPUT_DIRECTORY ${QUORVA_BIN_DIR}
    LIBRARY_OUTPUT_DIRECTORY ${QUORVA_BIN_DIR})
endfunction()

# quorva_loadable_module(<target> <sources>...): a module loaded at run time by name, built
# without the "lib" prefix ("Menulet.so"). Only what it marks for export is visible; the static
# libraries linked into it stay private to it.
function(quorva_loadable_module target)
  add_library(${target} MODULE ${ARGN})
  set_target_properties(${target} PROPERTIES
    PREFIX ""
    CXX_VISIBILITY_PRESET hidden
    VISIBILITY_INLINES_HIDDEN ON)
  target_link_options(${target} PRIVATE -Wl,--exclude-libs,ALL -Wl,--no-undefined -Wl,--as-needed)
  quorva_deliverable(${target})
endfunction()

# quorva_beside_program(<file> [FOLDER <folder>]): a file that the program needs in its own
# folder (or in <folder> below it): the build copies it beside the programs in QUORVA_BIN_DIR,
# the installable payload carries it, and Setup's rules file installs it. One call per file;
# SetupSrc/payload/Payload.cmake collects them.
function(quorva_beside_program file)
  cmake_parse_arguments(arg "" "FOLDER" "" ${ARGN})
  get_filename_component(file "${file}" ABSOLUTE)
  set_property(GLOBAL APPEND PROPERTY QUORVA_BESIDE_PROGRAM "${file}|${arg_FOLDER}")
endfunction()

# quorva_beside_program_folder(<folder>): a folder, empty at first, that the program writes in.
function(quorva_beside_program_folder folder)
  set_property(GLOBAL APPEND PROPERTY QUORVA_BESIDE_PROGRAM_FOLDERS "${folder}")
endfunction()
