# Generated resources: the build writes them into its own res/ folder from the generators in tools/,
# so they always match the code. Copies are committed in the source res/ as the install fallback.
set(NIMBULA_BUILD_RES_DIR ${CMAKE_BINARY_DIR}/res)

add_custom_command(
  OUTPUT ${NIMBULA_BUILD_RES_DIR}/sphere.umf
  COMMAND ${CMAKE_COMMAND} -E make_directory ${NIMBULA_BUILD_RES_DIR}
  COMMAND gen_sphere ${NIMBULA_BUILD_RES_DIR}/sphere.umf
  DEPENDS gen_sphere
  COMMENT "Generating res/sphere.umf")

add_custom_command(
  OUTPUT ${NIMBULA_BUILD_RES_DIR}/orb.bmp
  COMMAND ${CMAKE_COMMAND} -E make_directory ${NIMBULA_BUILD_RES_DIR}
  COMMAND gen_orb_texture ${NIMBULA_BUILD_RES_DIR}/orb.bmp
  DEPENDS gen_orb_texture
  COMMENT "Generating res/orb.bmp")

set(NIMBULA_ICON_SIZES 16 32 48 64 128 256)
set(NIMBULA_ICONS)
foreach(size ${NIMBULA_ICON_SIZES})
  list(APPEND NIMBULA_ICONS ${NIMBULA_BUILD_RES_DIR}/nimbula-${size}.png)
endforeach()
add_custom_command(
  OUTPUT ${NIMBULA_ICONS}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${NIMBULA_BUILD_RES_DIR}
  COMMAND gen_icon ${NIMBULA_BUILD_RES_DIR}
  DEPENDS gen_icon
  COMMENT "Generating the program's icons")

# The editing frame's toolbar pictures, each with its greyed twin.
set(NIMBULA_TOOLBAR_NAMES new open save group1 group2 group3 group4 group5 time start help about)
set(NIMBULA_TOOLBAR_IMAGES)
foreach(name ${NIMBULA_TOOLBAR_NAMES})
  list(APPEND NIMBULA_TOOLBAR_IMAGES ${NIMBULA_BUILD_RES_DIR}/toolbar/${name}.png
       ${NIMBULA_BUILD_RES_DIR}/toolbar/${name}-disabled.png)
endforeach()
add_custom_command(
  OUTPUT ${NIMBULA_TOOLBAR_IMAGES}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${NIMBULA_BUILD_RES_DIR}/toolbar
  COMMAND gen_toolbar_icons ${NIMBULA_BUILD_RES_DIR}/toolbar
  DEPENDS gen_toolbar_icons
  COMMENT "Generating res/toolbar/*.png")

# The sample universes, seeded into every user's library on the first start.
set(NIMBULA_SAMPLE_UNIVERSES Galaxy Rain Shell Cluster Spectrum Inferno)
set(NIMBULA_SAMPLE_UNIVERSE_FILES)
foreach(u ${NIMBULA_SAMPLE_UNIVERSES})
  list(APPEND NIMBULA_SAMPLE_UNIVERSE_FILES ${NIMBULA_BUILD_RES_DIR}/universes/${u}.nmd)
endforeach()
add_custom_command(
  OUTPUT ${NIMBULA_SAMPLE_UNIVERSE_FILES}
  COMMAND gen_universes ${NIMBULA_BUILD_RES_DIR}/universes
  DEPENDS gen_universes
  COMMENT "Generating res/universes/*.nmd")

add_custom_target(nimbula_generated_resources ALL
  DEPENDS ${NIMBULA_BUILD_RES_DIR}/sphere.umf ${NIMBULA_BUILD_RES_DIR}/orb.bmp ${NIMBULA_ICONS}
          ${NIMBULA_SAMPLE_UNIVERSE_FILES} ${NIMBULA_TOOLBAR_IMAGES})
# The tool finds its data beside itself; the unit tests run it.
add_dependencies(nimbula-tool nimbula_generated_resources)

# Refreshes the committed copies in the source res/ after a generator changed.
add_custom_target(update_source_resources
  COMMAND ${CMAKE_COMMAND} -E copy ${NIMBULA_BUILD_RES_DIR}/sphere.umf ${NIMBULA_BUILD_RES_DIR}/orb.bmp
          ${NIMBULA_ICONS} ${CMAKE_SOURCE_DIR}/res/
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_SOURCE_DIR}/res/universes
  COMMAND ${CMAKE_COMMAND} -E copy ${NIMBULA_SAMPLE_UNIVERSE_FILES} ${CMAKE_SOURCE_DIR}/res/universes/
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_SOURCE_DIR}/res/toolbar
  COMMAND ${CMAKE_COMMAND} -E copy ${NIMBULA_TOOLBAR_IMAGES} ${CMAKE_SOURCE_DIR}/res/toolbar/
  DEPENDS nimbula_generated_resources)
