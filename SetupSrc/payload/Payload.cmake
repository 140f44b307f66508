# The installable payload: Setup with its rules file "Setup.rul", its language file, the licence,
# the uninstall-log template and every deliverable that this build has, together with the shared
# libraries they link, in build/<preset>/payload/:
#     cmake --build --preset dev --target payload
# The folder is self-contained: its programs and modules find the shared libraries beside
# themselves ($ORIGIN), so it can be moved or copied anywhere, and so can an installation.
#
# Deliverables are taken when their targets exist, so the payload grows as they are built. This
# file is included after the folders that define them (platform, app, pairing, shell).

set(QUORVA_PAYLOAD_PROGRAMS Quorva Regwell Unregwell regsvr32 shellhost Setup)
set(QUORVA_PAYLOAD_MODULES Pairwin Winhook Menulet)

# The deliverables this build has (Setup always).
set(QUORVA_PAYLOAD_TARGETS)
foreach(t IN LISTS QUORVA_PAYLOAD_PROGRAMS QUORVA_PAYLOAD_MODULES)
  if(TARGET ${t})
    list(APPEND QUORVA_PAYLOAD_TARGETS ${t})
  endif()
endforeach()

# The project's shared libraries that the given targets link, directly or through others.
function(quorva_payload_shared_libraries out)
  set(queue ${ARGN})
  set(seen)
  set(result)
  while(queue)
    list(POP_FRONT queue t)
    get_target_property(aliased ${t} ALIASED_TARGET)
    if(aliased)
      set(t ${aliased})
    endif()
    if(t IN_LIST seen)
      continue()
    endif()
    list(APPEND seen ${t})
    get_target_property(imported ${t} IMPORTED)
    if(imported)
      continue() # system libraries (Qt, libzip...) come from the system's packages
    endif()
    get_target_property(type ${t} TYPE)
    if(type STREQUAL "SHARED_LIBRARY")
      list(APPEND result ${t})
    endif()
    foreach(property LINK_LIBRARIES INTERFACE_LINK_LIBRARIES)
      get_target_property(deps ${t} ${property})
      if(NOT deps)
        continue()
      endif()
      foreach(d IN LISTS deps)
        string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" d "${d}")
        if(TARGET "${d}")
          list(APPEND queue "${d}")
        endif()
      endforeach()
    endforeach()
  endwhile()
  set(${out} ${result} PARENT_SCOPE)
endfunction()
quorva_payload_shared_libraries(QUORVA_PAYLOAD_LIBRARIES ${QUORVA_PAYLOAD_TARGETS})

# Language files and user scripts, when the repository ships them.
file(GLOB QUORVA_PAYLOAD_LANG CONFIGURE_DEPENDS RELATIVE ${PROJECT_SOURCE_DIR}
     ${PROJECT_SOURCE_DIR}/Lang/*.Lan ${PROJECT_SOURCE_DIR}/Lang/*.lan)
file(GLOB QUORVA_PAYLOAD_SCRIPTS CONFIGURE_DEPENDS RELATIVE ${PROJECT_SOURCE_DIR}
     ${PROJECT_SOURCE_DIR}/Script/*.vbs)

# The rules file. Its [Files] section names every deliverable, built here or not: a file that
# is missing when Setup runs is a copy failure that Setup asks about.
set(files_lines)
foreach(p IN LISTS QUORVA_PAYLOAD_PROGRAMS)
  if(NOT p STREQUAL "Setup")
    string(APPEND files_lines "${p}\n")
  endif()
endforeach()
foreach(m IN LISTS QUORVA_PAYLOAD_MODULES)
  string(APPEND files_lines "${m}.so\n")
endforeach()
foreach(l IN LISTS QUORVA_PAYLOAD_LIBRARIES)
  string(APPEND files_lines "$<TARGET_FILE_NAME:${l}>\n")
endforeach()
foreach(f IN LISTS QUORVA_PAYLOAD_LANG QUORVA_PAYLOAD_SCRIPTS)
  # "=" with a target makes Setup create the sub-folder.
  string(REPLACE "/" "\\" f "${f}")
  string(APPEND files_lines "${f}=${f}\n")
endforeach()
file(READ ${CMAKE_CURRENT_LIST_DIR}/Setup.rul.in rules_text)
string(REPLACE "@FILES@" "${files_lines}" rules_text "${rules_text}")
set(QUORVA_PAYLOAD_RULES ${CMAKE_CURRENT_BINARY_DIR}/payload/Setup.rul)
file(GENERATE OUTPUT ${QUORVA_PAYLOAD_RULES} CONTENT "${rules_text}")

foreach(t IN LISTS QUORVA_PAYLOAD_TARGETS QUORVA_PAYLOAD_LIBRARIES)
  set_property(TARGET ${t} PROPERTY INSTALL_RPATH "$ORIGIN")
endforeach()
install(TARGETS ${QUORVA_PAYLOAD_TARGETS} ${QUORVA_PAYLOAD_LIBRARIES}
        RUNTIME DESTINATION . COMPONENT payload
        LIBRARY DESTINATION . COMPONENT payload)
install(FILES ${QUORVA_PAYLOAD_RULES}
              ${CMAKE_CURRENT_LIST_DIR}/DefLang.ini
              ${CMAKE_CURRENT_LIST_DIR}/License.txt
              ${CMAKE_CURRENT_LIST_DIR}/Uninst.isu
              ${CMAKE_CURRENT_LIST_DIR}/Wizard.png
        DESTINATION . COMPONENT payload)
foreach(f IN LISTS QUORVA_PAYLOAD_LANG QUORVA_PAYLOAD_SCRIPTS)
  get_filename_component(folder ${f} DIRECTORY)
  install(FILES ${PROJECT_SOURCE_DIR}/${f} DESTINATION ${folder} COMPONENT payload)
endforeach()

set(QUORVA_PAYLOAD_DIR ${CMAKE_BINARY_DIR}/payload)
add_custom_target(payload
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${QUORVA_PAYLOAD_DIR}
  COMMAND ${CMAKE_COMMAND} --install ${CMAKE_BINARY_DIR} --component payload --strip
          --prefix ${QUORVA_PAYLOAD_DIR}
  COMMENT "Assembling the installable payload in ${QUORVA_PAYLOAD_DIR}"
  VERBATIM)
add_dependencies(payload ${QUORVA_PAYLOAD_TARGETS} ${QUORVA_PAYLOAD_LIBRARIES})
