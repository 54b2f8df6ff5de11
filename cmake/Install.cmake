# Installation in the standard layout (GNUInstallDirs) and the Debian package (CPack).
include(GNUInstallDirs)

# The desktop's name for the program: the desktop entry and the AppStream metainfo carry it.
set(NIMBULA_APP_ID io.github.nimbula.Nimbula)
set(NIMBULA_DATA_DESTINATION ${CMAKE_INSTALL_DATADIR}/nimbula)

install(TARGETS nimbula-tool RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# Helper programs that only nimbula starts live in libexec/nimbula; nimbula finds them from its own
# folder by this relative path, whatever the prefix.
set(NIMBULA_HELPER_DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/nimbula)
file(RELATIVE_PATH NIMBULA_HELPER_RELATIVE ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_LIBEXECDIR}/nimbula)
set_property(SOURCE ${CMAKE_SOURCE_DIR}/platform/posix/BrowserProcess.cpp APPEND
             PROPERTY COMPILE_DEFINITIONS NIMBULA_HELPER_DIR="${NIMBULA_HELPER_RELATIVE}")

# Manual pages, compressed as Debian keeps them; their FILES section names the installed places.
set(NIMBULA_DATA_DIR ${CMAKE_INSTALL_FULL_DATADIR}/nimbula)
set(NIMBULA_XSCREENSAVER_CONFIG ${CMAKE_INSTALL_FULL_DATADIR}/xscreensaver/config)
set(NIMBULA_MAN_PAGES)
foreach(page nimbula nimbula-tool)
  configure_file(${CMAKE_SOURCE_DIR}/docs/man/${page}.1 ${CMAKE_BINARY_DIR}/man/${page}.1 @ONLY)
  add_custom_command(
    OUTPUT ${CMAKE_BINARY_DIR}/man/${page}.1.gz
    COMMAND gzip -9nf -k ${CMAKE_BINARY_DIR}/man/${page}.1
    DEPENDS ${CMAKE_BINARY_DIR}/man/${page}.1
    COMMENT "Compressing the manual page ${page}.1")
  list(APPEND NIMBULA_MAN_PAGES ${CMAKE_BINARY_DIR}/man/${page}.1.gz)
endforeach()
add_custom_target(nimbula_man_pages ALL DEPENDS ${NIMBULA_MAN_PAGES})

if(CMAKE_CROSSCOMPILING)
  # The cross build checks the core and the tool; it makes no data and no package.
  return()
endif()

# The data: whole folders, so whatever res/ gains (universes/, help/, ...) installs with it. The
# build's res/ goes second: its generated files are fresher than the copies committed in res/.
# The XScreenSaver settings file and the desktop files have places of their own.
install(DIRECTORY ${CMAKE_SOURCE_DIR}/res/ DESTINATION ${NIMBULA_DATA_DESTINATION}
        PATTERN nimbula.xml EXCLUDE PATTERN desktop EXCLUDE)
install(DIRECTORY ${CMAKE_BINARY_DIR}/res/ DESTINATION ${NIMBULA_DATA_DESTINATION})

# The licence in the documentation folder (share/doc/nimbula), once as written and once as
# Debian's machine-readable copyright file, which the package keeps in that same folder.
file(READ ${CMAKE_SOURCE_DIR}/LICENSE NIMBULA_LICENSE_TEXT)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/LICENSE)
string(FIND "${NIMBULA_LICENSE_TEXT}" "Permission" NIMBULA_LICENSE_START)
string(SUBSTRING "${NIMBULA_LICENSE_TEXT}" ${NIMBULA_LICENSE_START} -1 NIMBULA_LICENSE_TEXT)
string(STRIP "${NIMBULA_LICENSE_TEXT}" NIMBULA_LICENSE_TEXT)
string(REPLACE "\n\n" "\n.\n" NIMBULA_LICENSE_TEXT "${NIMBULA_LICENSE_TEXT}")
string(REPLACE "\n" "\n " NIMBULA_LICENSE_TEXT "${NIMBULA_LICENSE_TEXT}")
file(WRITE ${CMAKE_BINARY_DIR}/copyright
     "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"
     "Upstream-Name: Nimbula\n\n"
     "Files: *\nCopyright: 2026 the Nimbula developers\nLicense: Expat\n ${NIMBULA_LICENSE_TEXT}\n")
install(FILES ${CMAKE_SOURCE_DIR}/LICENSE ${CMAKE_BINARY_DIR}/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})

if(NOT TARGET nimbula)
  install(FILES ${CMAKE_BINARY_DIR}/man/nimbula-tool.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  return()
endif()

install(TARGETS nimbula RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The web support window's program (built only where WebKitGTK is).
if(TARGET nimbula-web)
  install(TARGETS nimbula-web RUNTIME DESTINATION ${NIMBULA_HELPER_DESTINATION})
  install(TARGETS nimbula-web-requests LIBRARY DESTINATION ${NIMBULA_HELPER_DESTINATION}/web-extensions)
endif()
install(FILES ${NIMBULA_MAN_PAGES} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

# XScreenSaver runs its hacks from libexec/xscreensaver. A relative link, not a copy: the program
# finds its data from its real place (bin/ -> ../share/nimbula), whatever the prefix.
file(RELATIVE_PATH NIMBULA_HACK_TARGET /p/${CMAKE_INSTALL_LIBEXECDIR}/xscreensaver /p/${CMAKE_INSTALL_BINDIR}/nimbula)
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/xscreensaver)
file(CREATE_LINK ${NIMBULA_HACK_TARGET} ${CMAKE_BINARY_DIR}/xscreensaver/nimbula SYMBOLIC)
install(FILES ${CMAKE_BINARY_DIR}/xscreensaver/nimbula DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/xscreensaver)
install(FILES ${CMAKE_SOURCE_DIR}/res/nimbula.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/xscreensaver/config)

# The desktop: the entry that opens the editing frame, its icons, and the software centres' text.
install(FILES ${CMAKE_SOURCE_DIR}/res/desktop/${NIMBULA_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_SOURCE_DIR}/res/desktop/${NIMBULA_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
foreach(size ${NIMBULA_ICON_SIZES})
  install(FILES ${CMAKE_BINARY_DIR}/res/nimbula-${size}.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME nimbula.png)
  # The universe files show the program's icon.
  install(FILES ${CMAKE_BINARY_DIR}/res/nimbula-${size}.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/mimetypes
          RENAME application-x-nimbula-universe.png)
endforeach()

# Universe files on the desktop: their type (by name and by the container's header), the
# thumbnailer that file managers run on them (nimbula-tool thumbnail, no display needed), and the
# entry MATE's screen saver lists its hacks by (XScreenSaver's conventions: $XSCREENSAVER_WINDOW).
install(FILES ${CMAKE_SOURCE_DIR}/res/desktop/${NIMBULA_APP_ID}.mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
        RENAME ${NIMBULA_APP_ID}.xml)
install(FILES ${CMAKE_SOURCE_DIR}/res/desktop/nimbula.thumbnailer DESTINATION ${CMAKE_INSTALL_DATADIR}/thumbnailers)
install(FILES ${CMAKE_SOURCE_DIR}/res/desktop/nimbula-screensaver.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications/screensavers RENAME nimbula.desktop)

# The Debian package: cpack -G DEB in the build folder makes nimbula_VERSION_ARCH.deb.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME nimbula)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "interactive 3D screen saver: a small universe of orbs")
set(CPACK_PACKAGE_DESCRIPTION "Nimbula shows a small universe of orbs that pull on each other, bounce off its walls,
collide, pass their speed on and spin about the centre. It runs full screen as a
screen saver, as the desktop background, and as a hack of XScreenSaver; the arrow
keys steer the camera and the mouse grabs, throws and strikes orbs.")
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGE_CONTACT "Nimbula developers <nimbula@invalid>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The debugging information stays in the build; the package carries the programs alone.
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The shared libraries the programs link come from dpkg-shlibdeps. What is only opened at run time
# is named here: OpenGL (libepoxy finds it when the program starts) and the dialogs' fonts.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# nimbula-tool's pictures reach OpenGL through EGL, on Mesa's surfaceless platform.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libgl1, libegl1, fonts-dejavu-core, fonts-dseg, fonts-bebas-neue | fonts-roboto-unhinted")
# Chinese, Japanese and Korean file names show with any of the CJK fonts the dialogs look for.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libgl1-mesa-dri, libegl-mesa0, shared-mime-info, fonts-wqy-microhei | fonts-noto-cjk | fonts-droid-fallback")
# The universe files' type is known as soon as the package is in place, and forgotten when it goes.
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_SOURCE_DIR}/cmake/debian/postinst ${CMAKE_SOURCE_DIR}/cmake/debian/postrm)
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "xscreensaver, xscreensaver-gl, mate-screensaver")
include(CPack)
