# The Windows program (cross-built with mingw-w64): nimbula.scr, a GUI program with its icon and
# version, linked statically so that it needs no DLL beside it, and its data folder res/.
enable_language(C)

# OpenGL's entry points through a loader that Debian's python3-glad generates at build time.
# --reproducible keeps glad from downloading the specifications: it uses the copies it ships.
find_program(NIMBULA_GLAD glad REQUIRED)
set(NIMBULA_GLAD_DIR ${CMAKE_BINARY_DIR}/glad)
set(NIMBULA_GLAD_OUTPUTS ${NIMBULA_GLAD_DIR}/src/gl.c ${NIMBULA_GLAD_DIR}/src/wgl.c
    ${NIMBULA_GLAD_DIR}/include/glad/gl.h ${NIMBULA_GLAD_DIR}/include/glad/wgl.h)
add_custom_command(
  OUTPUT ${NIMBULA_GLAD_OUTPUTS}
  COMMAND ${NIMBULA_GLAD} --quiet --reproducible --api gl:core=3.3,wgl=1.0
          --extensions WGL_ARB_create_context,WGL_ARB_create_context_profile,WGL_EXT_swap_control,WGL_ARB_extensions_string,WGL_EXT_extensions_string
          --out-path ${NIMBULA_GLAD_DIR} c --loader
  COMMENT "Generating the OpenGL loader with glad")
add_library(nimbula_glad STATIC ${NIMBULA_GLAD_DIR}/src/gl.c ${NIMBULA_GLAD_DIR}/src/wgl.c)
target_include_directories(nimbula_glad SYSTEM PUBLIC ${NIMBULA_GLAD_DIR}/include)
target_compile_options(nimbula_glad PRIVATE -w)
target_link_libraries(nimbula_glad PUBLIC opengl32 gdi32)

# The icon from the program's pictures, then the resource script.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(NIMBULA_ICO ${CMAKE_BINARY_DIR}/nimbula.ico)
set(NIMBULA_ICO_PICTURES)
foreach(size 16 32 48 256)
  list(APPEND NIMBULA_ICO_PICTURES ${CMAKE_SOURCE_DIR}/res/nimbula-${size}.png)
endforeach()
add_custom_command(
  OUTPUT ${NIMBULA_ICO}
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/cmake/make_ico.py ${NIMBULA_ICO} ${NIMBULA_ICO_PICTURES}
  DEPENDS ${CMAKE_SOURCE_DIR}/cmake/make_ico.py ${NIMBULA_ICO_PICTURES}
  COMMENT "Packing the program's icon")
# The resource's version has four numbers; the project's may have fewer ("3.0").
foreach(part MAJOR MINOR PATCH)
  set(NIMBULA_VERSION_${part} ${PROJECT_VERSION_${part}})
  if("${NIMBULA_VERSION_${part}}" STREQUAL "")
    set(NIMBULA_VERSION_${part} 0)
  endif()
endforeach()
configure_file(${CMAKE_SOURCE_DIR}/res/windows/nimbula.rc.in ${CMAKE_BINARY_DIR}/nimbula.rc @ONLY)
set_source_files_properties(${CMAKE_BINARY_DIR}/nimbula.rc PROPERTIES OBJECT_DEPENDS ${NIMBULA_ICO})

# The program's own system code: the window host with its GL context, message boxes, the system's
# common dialogs and toolbar, the browser host; and the renderer.
file(GLOB NIMBULA_GL_SOURCES CONFIGURE_DEPENDS engine/gl/*.cpp)
set(NIMBULA_WIN32_HOST_SOURCES
  platform/win32/Win32BrowserHost.cpp platform/win32/Win32CommonDialogs.cpp platform/win32/Win32Cursor.cpp platform/win32/Win32Gl.cpp
  platform/win32/Win32Host.cpp platform/win32/Win32MessageBox.cpp platform/win32/Win32ToolBar.cpp
  ${NIMBULA_GL_SOURCES})
add_executable(nimbula WIN32 app/main.cpp app/windows/CompositionRoot.cpp ${NIMBULA_WIN32_HOST_SOURCES}
               ${CMAKE_BINARY_DIR}/nimbula.rc)
# Windows starts screen savers by their .scr name; the same program named .exe opens the editing frame.
set_target_properties(nimbula PROPERTIES SUFFIX .scr)
target_link_libraries(nimbula PRIVATE nimbula_core nimbula_glad opengl32 gdi32 user32 shell32 advapi32 comctl32 comdlg32)
# COM: the shell's default browser and the system's HTML engine (the web support window).
target_link_libraries(nimbula PRIVATE ole32 uuid)
# What is shipped carries no debugging symbols (a fifth of the size).
target_link_options(nimbula PRIVATE $<$<CONFIG:Release>:-s>)

# The data beside the program, as installed: the committed res/ with the data generators' fresh
# output over it. The generators run on the build machine: a Linux build's res/ is named with
# -DNIMBULA_DATA_DIR=..., else the committed copies serve. Made afresh every build: the installer
# and the zip ship the folder whole, so a file an older build left there must not stay.
set(NIMBULA_DATA_DIR "" CACHE PATH "A Linux build's res/ folder, whose generated data the Windows build ships")
set(NIMBULA_DATA_COMMANDS
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${CMAKE_BINARY_DIR}/res
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_SOURCE_DIR}/res ${CMAKE_BINARY_DIR}/res
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${CMAKE_BINARY_DIR}/res/desktop ${CMAKE_BINARY_DIR}/res/windows
            ${CMAKE_BINARY_DIR}/res/nimbula.xml)
if(NIMBULA_DATA_DIR)
  list(APPEND NIMBULA_DATA_COMMANDS COMMAND ${CMAKE_COMMAND} -E copy_directory ${NIMBULA_DATA_DIR} ${CMAKE_BINARY_DIR}/res)
endif()
# The dialog faces, loaded privately by the program: Debian's font files with their licences beside them.
list(APPEND NIMBULA_DATA_COMMANDS
     COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/res/fonts
     COMMAND ${CMAKE_COMMAND} -E copy /usr/share/fonts/truetype/dseg/DSEG14Modern-Bold.ttf ${CMAKE_BINARY_DIR}/res/fonts/
     COMMAND ${CMAKE_COMMAND} -E copy /usr/share/doc/fonts-dseg/copyright ${CMAKE_BINARY_DIR}/res/fonts/DSEG14-license.txt
     COMMAND ${CMAKE_COMMAND} -E copy /usr/share/fonts/opentype/bebas-neue/BebasNeue-Bold.otf ${CMAKE_BINARY_DIR}/res/fonts/
     COMMAND ${CMAKE_COMMAND} -E copy /usr/share/doc/fonts-bebas-neue/copyright ${CMAKE_BINARY_DIR}/res/fonts/BebasNeue-license.txt)
add_custom_target(nimbula_data ALL ${NIMBULA_DATA_COMMANDS} COMMENT "Copying the data folder res/")
add_dependencies(nimbula nimbula_data)

# The preview test's stand-in for Display Properties: a window for /p to draw into.
add_executable(nimbula-preview-host tests/cross/preview_host.cpp)
target_link_options(nimbula-preview-host PRIVATE -municode)
target_link_libraries(nimbula-preview-host PRIVATE gdi32 user32)
include(cmake/WindowsPackage.cmake)
