# The SDL2 / OpenGL program: the portable core plus the only code that includes SDL or calls GL.
pkg_check_modules(SDL2 REQUIRED IMPORTED_TARGET sdl2)
pkg_check_modules(EPOXY REQUIRED IMPORTED_TARGET epoxy)
pkg_check_modules(X11 REQUIRED IMPORTED_TARGET x11 xext xrandr)
pkg_check_modules(IMGUI REQUIRED IMPORTED_TARGET imgui)

# The renderer: the only code that calls OpenGL, shared by the program and nimbula-tool's pictures.
file(GLOB NIMBULA_GL_SOURCES CONFIGURE_DEPENDS engine/gl/*.cpp)
add_library(nimbula_gl STATIC ${NIMBULA_GL_SOURCES})
target_link_libraries(nimbula_gl PUBLIC nimbula_core PkgConfig::EPOXY)

# ui/ draws the dialogs with Dear ImGui; with platform/sdl/ the only code that includes it.
file(GLOB NIMBULA_GUI_SOURCES CONFIGURE_DEPENDS platform/sdl/*.cpp platform/x11/*.cpp ui/*.cpp)
add_executable(nimbula app/main.cpp app/linux/CompositionRoot.cpp ${NIMBULA_GUI_SOURCES})
target_link_libraries(nimbula PRIVATE nimbula_core nimbula_gl PkgConfig::SDL2 PkgConfig::EPOXY PkgConfig::X11
                      PkgConfig::IMGUI ${CMAKE_DL_LIBS})

# The layer-shell host (platform/wayland/): the desktop background as surfaces in a Wayland
# compositor's layers. The protocol's code is generated from the XML shipped in
# platform/wayland/protocols/ (Debian's wayland-protocols lacks wlr-layer-shell); xdg-shell comes
# along, since a layer surface can parent an xdg_popup. Builds without the Wayland libraries keep
# the SDL host alone.
pkg_check_modules(WAYLAND IMPORTED_TARGET wayland-client wayland-egl egl)
pkg_check_modules(WAYLAND_PROTOCOLS wayland-protocols)
find_program(WAYLAND_SCANNER wayland-scanner)
if(WAYLAND_FOUND AND WAYLAND_PROTOCOLS_FOUND AND WAYLAND_SCANNER)
  enable_language(C)
  pkg_get_variable(WAYLAND_PROTOCOLS_DIR wayland-protocols pkgdatadir)
  set(NIMBULA_WAYLAND_GENERATED ${CMAKE_BINARY_DIR}/wayland)
  file(MAKE_DIRECTORY ${NIMBULA_WAYLAND_GENERATED})
  # wayland_protocol(XML NAME OUT_VAR): the client header and the interface code of one protocol.
  function(wayland_protocol xml name out)
    set(header ${NIMBULA_WAYLAND_GENERATED}/${name}-client-protocol.h)
    set(code ${NIMBULA_WAYLAND_GENERATED}/${name}-protocol.c)
    add_custom_command(OUTPUT ${header} COMMAND ${WAYLAND_SCANNER} client-header ${xml} ${header} DEPENDS ${xml})
    add_custom_command(OUTPUT ${code} COMMAND ${WAYLAND_SCANNER} private-code ${xml} ${code} DEPENDS ${xml})
    set(${out} ${header} ${code} PARENT_SCOPE)
  endfunction()
  wayland_protocol(${CMAKE_SOURCE_DIR}/platform/wayland/protocols/wlr-layer-shell-unstable-v1.xml
                   wlr-layer-shell-unstable-v1 NIMBULA_LAYER_SHELL)
  wayland_protocol(${WAYLAND_PROTOCOLS_DIR}/stable/xdg-shell/xdg-shell.xml xdg-shell NIMBULA_XDG_SHELL)
  file(GLOB NIMBULA_WAYLAND_SOURCES CONFIGURE_DEPENDS platform/wayland/*.cpp)
  target_sources(nimbula PRIVATE ${NIMBULA_WAYLAND_SOURCES} ${NIMBULA_LAYER_SHELL} ${NIMBULA_XDG_SHELL})
  target_include_directories(nimbula PRIVATE ${NIMBULA_WAYLAND_GENERATED})
  target_compile_definitions(nimbula PRIVATE NIMBULA_WAYLAND)
  target_link_libraries(nimbula PRIVATE PkgConfig::WAYLAND)
else()
  message(WARNING "wayland-client, wayland-egl, egl, wayland-protocols or wayland-scanner not found: "
                  "no layer-shell host (the background is an SDL window in a Wayland session)")
endif()

# nimbula-tool's render and thumbnail: the same renderer in an EGL context that needs no display
# (libepoxy reaches EGL as it reaches GL). Builds without it (the cross build) lack the two commands.
file(GLOB NIMBULA_PICTURE_SOURCES CONFIGURE_DEPENDS tools/pictures/*.cpp platform/egl/*.cpp)
target_sources(nimbula-tool PRIVATE ${NIMBULA_PICTURE_SOURCES})
target_compile_definitions(nimbula-tool PRIVATE NIMBULA_TOOL_PICTURES)
target_link_libraries(nimbula-tool PRIVATE nimbula_gl ${CMAKE_DL_LIBS})

# The web support window's own program, the only one that loads GTK and WebKitGTK: the saver
# starts it when V is pressed, and runs without it (or without WebKitGTK) all the same.
pkg_check_modules(WEBKIT IMPORTED_TARGET webkit2gtk-4.1)
if(WEBKIT_FOUND)
  # Of platform/x11/ it needs only the focus request; the rest serves the saver's SDL host.
  file(GLOB NIMBULA_WEB_SOURCES CONFIGURE_DEPENDS platform/gtk/*.cpp)
  add_executable(nimbula-web ${NIMBULA_WEB_SOURCES} platform/x11/X11Focus.cpp)
  target_link_libraries(nimbula-web PRIVATE nimbula_core PkgConfig::WEBKIT PkgConfig::X11)
  add_dependencies(nimbula nimbula-web)
  # Its guard in the web process, loaded from web-extensions/ beside it: requests from anywhere
  # but the help pages' places are cancelled there.
  pkg_check_modules(WEBKIT_EXTENSION REQUIRED IMPORTED_TARGET webkit2gtk-web-extension-4.1)
  add_library(nimbula-web-requests MODULE platform/gtk/extension/RequestGuard.cpp platform/HelpPlaces.cpp)
  target_link_libraries(nimbula-web-requests PRIVATE PkgConfig::WEBKIT_EXTENSION)
  set_target_properties(nimbula-web-requests PROPERTIES PREFIX "" LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/web-extensions)
  add_dependencies(nimbula-web nimbula-web-requests)
else()
  message(WARNING "webkit2gtk-4.1 not found: no web support window (V opens the desktop's browser)")
endif()

# The data folder beside the program holds what the program reads at run time.
configure_file(${CMAKE_SOURCE_DIR}/res/cursor132.png ${CMAKE_BINARY_DIR}/res/cursor132.png COPYONLY)
file(GLOB NIMBULA_HELP_PAGES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/res/help/*)
foreach(page ${NIMBULA_HELP_PAGES})
  get_filename_component(name ${page} NAME)
  configure_file(${page} ${CMAKE_BINARY_DIR}/res/help/${name} COPYONLY)
endforeach()
if(TARGET nimbula_generated_resources)
  add_dependencies(nimbula nimbula_generated_resources)
endif()
