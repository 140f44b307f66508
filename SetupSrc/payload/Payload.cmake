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

# The program's picture in the icon theme's layout, drawn by the build, beside the programs in
# icons/; Regwell puts it into the desktop's icon theme.
set(QUORVA_ICON_SIZES 16 24 32 48 64 128 256)
set(QUORVA_ICON_FILES)
foreach(size IN LISTS QUORVA_ICON_SIZES)
  set(icon ${QUORVA_BIN_DIR}/icons/hicolor/${size}x${size}/apps/quorva.png)
  list(APPEND QUORVA_ICON_FILES ${icon})
  quorva_beside_program(${icon} FOLDER icons/hicolor/${size}x${size}/apps)
endforeach()
add_executable(write_product_icons ${PROJECT_SOURCE_DIR}/ui/tools/WriteProductIcons.cpp)
target_link_libraries(write_product_icons PRIVATE quorva_ui)
add_custom_command(OUTPUT ${QUORVA_ICON_FILES}
  COMMAND write_product_icons ${QUORVA_BIN_DIR}/icons ${QUORVA_ICON_SIZES}
  DEPENDS write_product_icons
  COMMENT "Drawing the program's icons"
  VERBATIM)

# What stands beside the program (quorva_beside_program, quorva_beside_program_folder): copied
# into the build's bin/ with Quorva, and carried by the payload.
get_property(QUORVA_BESIDE GLOBAL PROPERTY QUORVA_BESIDE_PROGRAM)
get_property(QUORVA_BESIDE_FOLDERS GLOBAL PROPERTY QUORVA_BESIDE_PROGRAM_FOLDERS)
set(beside_outputs)
set(files_beside)
foreach(entry IN LISTS QUORVA_BESIDE)
  string(REPLACE "|" ";" parts "${entry}")
  list(GET parts 0 file)
  list(LENGTH parts n)
  set(folder "")
  if(n GREATER 1)
    list(GET parts 1 folder)
  endif()
  get_filename_component(name ${file} NAME)
  if(folder STREQUAL "")
    set(relative ${name})
  else()
    set(relative ${folder}/${name})
  endif()
  set(built ${QUORVA_BIN_DIR}/${relative})
  if(NOT built STREQUAL file)
    add_custom_command(OUTPUT ${built}
      COMMAND ${CMAKE_COMMAND} -E copy_if_different ${file} ${built}
      DEPENDS ${file} VERBATIM)
  endif()
  list(APPEND beside_outputs ${built})
  install(FILES ${built} DESTINATION ./${folder} COMPONENT payload)
  # "=" with a target makes Setup create the sub-folder.
  string(REPLACE "/" "\\" line "${relative}")
  string(APPEND files_beside "${line}=${line}\n")
endforeach()
foreach(folder IN LISTS QUORVA_BESIDE_FOLDERS)
  install(DIRECTORY DESTINATION ${folder} COMPONENT payload)
  list(APPEND beside_outputs ${QUORVA_BIN_DIR}/${folder})
  add_custom_command(OUTPUT ${QUORVA_BIN_DIR}/${folder}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${QUORVA_BIN_DIR}/${folder} VERBATIM)
  # A line that ends in a separator is a folder Setup makes.
  string(REPLACE "/" "\\" line "${folder}")
  string(APPEND files_beside "${line}\\\n")
endforeach()
add_custom_target(beside_program ALL DEPENDS ${beside_outputs})
if(TARGET Quorva)
  add_dependencies(Quorva beside_program)
endif()

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
string(APPEND files_lines "${files_beside}")
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

set(QUORVA_PAYLOAD_DIR ${CMAKE_BINARY_DIR}/payload)
add_custom_target(payload
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${QUORVA_PAYLOAD_DIR}
  COMMAND ${CMAKE_COMMAND} --install ${CMAKE_BINARY_DIR} --component payload --strip
          --prefix ${QUORVA_PAYLOAD_DIR}
  COMMENT "Assembling the installable payload in ${QUORVA_PAYLOAD_DIR}"
  VERBATIM)
add_dependencies(payload ${QUORVA_PAYLOAD_TARGETS} ${QUORVA_PAYLOAD_LIBRARIES} beside_program)
