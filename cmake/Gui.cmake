# The SDL2 / OpenGL program: the portable core plus the only code that includes SDL or calls GL.
pkg_check_modules(SDL2 REQUIRED IMPORTED_TARGET sdl2)
pkg_check_modules(EPOXY REQUIRED IMPORTED_TARGET epoxy)
pkg_check_modules(X11 REQUIRED IMPORTED_TARGET x11 xext xrandr)
pkg_check_modules(IMGUI REQUIRED IMPORTED_TARGET imgui)

# ui/ draws the dialogs with Dear ImGui; with platform/sdl/ the only code that includes it.
file(GLOB NIMBULA_GUI_SOURCES CONFIGURE_DEPENDS platform/sdl/*.cpp engine/gl/*.cpp ui/*.cpp)
add_executable(nimbula app/main.cpp ${NIMBULA_GUI_SOURCES})
target_link_libraries(nimbula PRIVATE nimbula_core PkgConfig::SDL2 PkgConfig::EPOXY PkgConfig::X11 PkgConfig::IMGUI
                      ${CMAKE_DL_LIBS})

# The data folder beside the program holds what the program reads at run time.
configure_file(${CMAKE_SOURCE_DIR}/res/cursor132.png ${CMAKE_BINARY_DIR}/res/cursor132.png COPYONLY)
if(TARGET nimbula_generated_resources)
  add_dependencies(nimbula nimbula_generated_resources)
endif()
