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

add_custom_target(nimbula_generated_resources ALL
  DEPENDS ${NIMBULA_BUILD_RES_DIR}/sphere.umf ${NIMBULA_BUILD_RES_DIR}/orb.bmp)
# The tool finds its data beside itself; the unit tests run it.
add_dependencies(nimbula-tool nimbula_generated_resources)

# Refreshes the committed copies in the source res/ after a generator changed.
add_custom_target(update_source_resources
  COMMAND ${CMAKE_COMMAND} -E copy ${NIMBULA_BUILD_RES_DIR}/sphere.umf ${NIMBULA_BUILD_RES_DIR}/orb.bmp
          ${CMAKE_SOURCE_DIR}/res/
  DEPENDS nimbula_generated_resources)
