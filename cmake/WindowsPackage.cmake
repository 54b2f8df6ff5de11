# What a Windows user downloads: the installer (nimbula-VERSION-setup.exe, made by Debian's
# makensis) and the portable zip (nimbula-VERSION-windows.zip), both from one staged folder that
# holds the files as installed. Built by the target nimbula_package (scripts/windows).
find_program(NIMBULA_MAKENSIS makensis)
set(NIMBULA_STAGE_ROOT ${CMAKE_BINARY_DIR}/package)
set(NIMBULA_STAGE ${NIMBULA_STAGE_ROOT}/Nimbula)
set(NIMBULA_INSTALLER ${CMAKE_BINARY_DIR}/nimbula-${PROJECT_VERSION}-setup.exe)
set(NIMBULA_ZIP ${CMAKE_BINARY_DIR}/nimbula-${PROJECT_VERSION}-windows.zip)
set(NIMBULA_NSIS_FILES ${CMAKE_BINARY_DIR}/package/files.nsh)

set(NIMBULA_PACKAGE_COMMANDS
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${NIMBULA_STAGE_ROOT}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${NIMBULA_STAGE}
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:nimbula> $<TARGET_FILE:nimbula-tool> ${CMAKE_SOURCE_DIR}/README.md
            ${CMAKE_SOURCE_DIR}/LICENSE ${NIMBULA_STAGE}
    # The same program named .exe opens the editing frame.
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:nimbula> ${NIMBULA_STAGE}/nimbula.exe
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_BINARY_DIR}/res ${NIMBULA_STAGE}/res
    COMMAND ${CMAKE_COMMAND} -E rm -f ${NIMBULA_ZIP}
    COMMAND ${CMAKE_COMMAND} -E chdir ${NIMBULA_STAGE_ROOT} ${CMAKE_COMMAND} -E tar cf ${NIMBULA_ZIP} --format=zip Nimbula
    COMMAND ${CMAKE_COMMAND} -DSTAGE=${NIMBULA_STAGE} -DOUT=${NIMBULA_NSIS_FILES} -P ${CMAKE_SOURCE_DIR}/installer/windows/files.cmake)
if(NIMBULA_MAKENSIS)
  list(APPEND NIMBULA_PACKAGE_COMMANDS
       COMMAND ${NIMBULA_MAKENSIS} -V2 -DVERSION=${PROJECT_VERSION}
               -DVERSION4=${NIMBULA_VERSION_MAJOR}.${NIMBULA_VERSION_MINOR}.${NIMBULA_VERSION_PATCH}.0
               -DSTAGE=${NIMBULA_STAGE} -DFILES=${NIMBULA_NSIS_FILES} -DICON=${NIMBULA_ICO}
               -DOUTFILE=${NIMBULA_INSTALLER} ${CMAKE_SOURCE_DIR}/installer/windows/nimbula.nsi)
else()
  list(APPEND NIMBULA_PACKAGE_COMMANDS COMMAND ${CMAKE_COMMAND} -E echo "makensis not found (scripts/setup installs nsis): no installer")
endif()
add_custom_target(nimbula_package ${NIMBULA_PACKAGE_COMMANDS}
                  DEPENDS ${CMAKE_SOURCE_DIR}/installer/windows/nimbula.nsi ${CMAKE_SOURCE_DIR}/installer/windows/files.cmake
                  COMMENT "Making the Windows installer and the portable zip")
add_dependencies(nimbula_package nimbula nimbula-tool nimbula_data)
# The tool ships too: without its debugging symbols, as the program.
target_link_options(nimbula-tool PRIVATE $<$<CONFIG:Release>:-s>)
