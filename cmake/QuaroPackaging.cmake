# Debian packages, made by CPack from what `cmake --install` puts in place:
#   quaro        the tray application and quaro-mcp, side by side in /usr/bin,
#                with the desktop entry, icon, display font, metainfo, man pages;
#   quaro-nuvem  the cloud endpoint as a system service with its own user.
# dpkg-shlibdeps computes the shared-library Depends; what is only loaded at
# run time (QML modules, Qt plugins, speech models) is named here.
# Build them with scripts/package.sh.
include(GNUInstallDirs)

set(QUARO_DEBIAN_DIR ${PROJECT_SOURCE_DIR}/data/debian)
set(QUARO_PACKAGE_STAGE ${PROJECT_BINARY_DIR}/package-data)

# Man pages and Debian changelogs are shipped compressed, without time stamps
# (gzip -n), so that the same sources give the same packages.
find_program(QUARO_GZIP gzip REQUIRED)
set(QUARO_DEB_VERSION ${PROJECT_VERSION})
set(QUARO_PACKAGE_DATA)
function(quaro_gzip_file source output)
  add_custom_command(OUTPUT ${output}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${QUARO_PACKAGE_STAGE}
    COMMAND sh -c "\"$0\" -9nc \"$1\" > \"$2\"" ${QUARO_GZIP} ${source} ${output}
    DEPENDS ${source} VERBATIM)
  set(QUARO_PACKAGE_DATA ${QUARO_PACKAGE_DATA} ${output} PARENT_SCOPE)
endfunction()
foreach(page quaro.1 quaro-mcp.1 quaro-nuvem.8)
  quaro_gzip_file(${PROJECT_SOURCE_DIR}/data/man/${page} ${QUARO_PACKAGE_STAGE}/${page}.gz)
endforeach()
# The Debian changelog carries the version CMake keeps, so it is written here.
# (SOURCE_DATE_EPOCH, when set, fixes its date.)
string(TIMESTAMP QUARO_CHANGELOG_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
foreach(package quaro quaro-nuvem)
  set(QUARO_DEB_PACKAGE ${package})
  configure_file(${QUARO_DEBIAN_DIR}/changelog.in ${QUARO_PACKAGE_STAGE}/changelog.${package} @ONLY)
  quaro_gzip_file(${QUARO_PACKAGE_STAGE}/changelog.${package} ${QUARO_PACKAGE_STAGE}/changelog.Debian.gz.${package})
endforeach()
add_custom_target(quaro_package_data ALL DEPENDS ${QUARO_PACKAGE_DATA})

# The metainfo lists each release: the written entries (with their notes)
# and, when the version CMake keeps has none yet, an entry for it dated
# like the changelog.
set(QUARO_METAINFO_IN ${PROJECT_SOURCE_DIR}/data/app.quaro.Quaro.metainfo.xml.in)
file(READ ${QUARO_METAINFO_IN} QUARO_METAINFO_TEXT)
set(QUARO_METAINFO_RELEASE "")
if(NOT QUARO_METAINFO_TEXT MATCHES "<release version=\"${PROJECT_VERSION}\"")
  string(TIMESTAMP QUARO_RELEASE_DATE "%Y-%m-%d" UTC)
  set(QUARO_METAINFO_RELEASE "\n    <release version=\"${PROJECT_VERSION}\" date=\"${QUARO_RELEASE_DATE}\"/>")
endif()
configure_file(${QUARO_METAINFO_IN} ${QUARO_PACKAGE_STAGE}/app.quaro.Quaro.metainfo.xml @ONLY)

# quaro
install(FILES ${QUARO_PACKAGE_STAGE}/app.quaro.Quaro.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo COMPONENT quaro)
install(FILES ${QUARO_PACKAGE_STAGE}/quaro.1.gz ${QUARO_PACKAGE_STAGE}/quaro-mcp.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT quaro)
install(FILES ${QUARO_DEBIAN_DIR}/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/quaro COMPONENT quaro)
install(FILES ${QUARO_DEBIAN_DIR}/quaro.lintian-overrides RENAME quaro
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides COMPONENT quaro)
install(FILES ${QUARO_PACKAGE_STAGE}/changelog.Debian.gz.quaro RENAME changelog.Debian.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/quaro COMPONENT quaro)

# quaro-nuvem
install(TARGETS quaro-nuvem RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT nuvem)
install(FILES ${QUARO_PACKAGE_STAGE}/quaro-nuvem.8.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man8 COMPONENT nuvem)
install(FILES ${QUARO_DEBIAN_DIR}/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/quaro-nuvem COMPONENT nuvem)
install(FILES ${QUARO_PACKAGE_STAGE}/changelog.Debian.gz.quaro-nuvem RENAME changelog.Debian.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/quaro-nuvem COMPONENT nuvem)
# Debian 12 keeps system units and /etc outside the /usr prefix.
install(FILES ${PROJECT_SOURCE_DIR}/deploy/quaro-nuvem.service DESTINATION /lib/systemd/system COMPONENT nuvem)
install(FILES ${PROJECT_SOURCE_DIR}/deploy/quaro-nuvem.default RENAME quaro-nuvem
        DESTINATION /etc/default COMPONENT nuvem)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quaro)
set(CPACK_PACKAGE_VERSION ${QUARO_DEB_VERSION})
set(CPACK_PACKAGE_VENDOR "Quaro")
set(CPACK_PACKAGE_CONTACT "Quaro <equipe@quaro.app>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_COMPONENTS_ALL quaro nuvem)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://quaro.app")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
# xz on every core: most of the packing time.
set(CPACK_THREADS 0)

set(CPACK_DEBIAN_QUARO_PACKAGE_NAME quaro)
set(CPACK_DEBIAN_QUARO_PACKAGE_SECTION sound)
set(CPACK_COMPONENT_QUARO_DESCRIPTION "voice inbox for AI assistants
Quaro records a voice note with a global shortcut, transcribes it on this
computer and keeps it as a recado in an inbox that AI assistants read,
claim and resolve through the bundled MCP server (quaro-mcp).")
set(CPACK_DEBIAN_QUARO_PACKAGE_DEPENDS
  "qml6-module-qtquick, qml6-module-qtquick-controls, qml6-module-qtquick-layouts, qml6-module-qtquick-shapes, qml6-module-qtquick-templates, qml6-module-qtquick-window, qml6-module-qtqml-workerscript, qt6-qpa-plugins")
set(CPACK_DEBIAN_QUARO_PACKAGE_RECOMMENDS "qt6-wayland, qt6-image-formats-plugins, qt6-svg-plugins, pocketsphinx-en-us")

set(CPACK_DEBIAN_NUVEM_PACKAGE_NAME quaro-nuvem)
set(CPACK_DEBIAN_NUVEM_PACKAGE_SECTION net)
set(CPACK_DEBIAN_NUVEM_PACKAGE_DEPENDS "adduser")
set(CPACK_COMPONENT_NUVEM_DESCRIPTION "cloud endpoint for Quaro inboxes
quaro-nuvem keeps Quaro inboxes in step across computers and serves them to
remote AI assistants over MCP. It runs as a systemd service under its own
system user, listening on loopback behind a TLS proxy.")
set(CPACK_DEBIAN_NUVEM_PACKAGE_CONTROL_EXTRA
  ${QUARO_DEBIAN_DIR}/quaro-nuvem/conffiles
  ${QUARO_DEBIAN_DIR}/quaro-nuvem/postinst
  ${QUARO_DEBIAN_DIR}/quaro-nuvem/prerm
  ${QUARO_DEBIAN_DIR}/quaro-nuvem/postrm)

include(CPack)
