# What `cmake --install` puts under the prefix, and the .deb made from it
# (cpack -G DEB in a build configured with -DCMAKE_INSTALL_PREFIX=/usr):
#   bin/                          KEVA, kevaget, Vantrel, Vantsvc
#   lib/quillspan/                KEVA_IE_BHO, which only the browsers start
#   share/quillspan/Lang, help    the language files and the user guides
#   share/quillspan/browser-extension  the capture extension, to load unpacked
#   share/applications, metainfo  the desktop entries and their AppStream data
#   share/icons/hicolor           the application icons
#   share/man/man1                KEVA(1), kevaget(1), Vantrel(1), Vantsvc(1)
#   share/doc/quillspan           copyright and changelog
# An installed copy finds its data files in share/quillspan and keeps its
# state in the user's XDG folders (see src/platform/ProgramFolder.h).
include(GNUInstallDirs)

install(TARGETS KEVA kevaget Vantrel Vantsvc RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# KEVA names this one in the browsers' host manifests when capture is
# switched on (see src/settings/NativeHostManifests.h).
install(TARGETS KEVA_IE_BHO RUNTIME DESTINATION lib/quillspan)

set(KEVA_DATA_DIR ${CMAKE_INSTALL_DATADIR}/quillspan)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/lang/ DESTINATION ${KEVA_DATA_DIR}/Lang)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/help/ DESTINATION ${KEVA_DATA_DIR}/help)
install(FILES ${CMAKE_SOURCE_DIR}/src/fileshare/help/htu.htm DESTINATION ${KEVA_DATA_DIR}/help)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/browser-extension/ DESTINATION ${KEVA_DATA_DIR}/browser-extension)

set(KEVA_PACKAGING_DIR ${CMAKE_SOURCE_DIR}/packaging)
foreach(app org.quillspan.KEVA org.quillspan.Vantrel)
  install(FILES ${KEVA_PACKAGING_DIR}/${app}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
  install(FILES ${KEVA_PACKAGING_DIR}/${app}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
endforeach()
install(DIRECTORY ${CMAKE_SOURCE_DIR}/resources/icons/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)

# Manual pages and the changelog go in compressed, as Debian's policy asks
# (gzip -n: the same bytes from every build).
find_program(KEVA_GZIP gzip REQUIRED)
set(KEVA_COMPRESSED)
foreach(source man/KEVA.1 man/kevaget.1 man/Vantrel.1 man/Vantsvc.1 changelog)
  get_filename_component(file_name ${source} NAME)
  set(compressed ${CMAKE_BINARY_DIR}/packaging/${file_name}.gz)
  add_custom_command(OUTPUT ${compressed}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/packaging
    COMMAND ${KEVA_GZIP} -9nc ${KEVA_PACKAGING_DIR}/${source} > ${compressed}
    DEPENDS ${KEVA_PACKAGING_DIR}/${source}
    COMMENT "Compressing ${file_name}")
  list(APPEND KEVA_COMPRESSED ${compressed})
endforeach()
add_custom_target(keva_packaging ALL DEPENDS ${KEVA_COMPRESSED})
install(FILES ${CMAKE_BINARY_DIR}/packaging/KEVA.1.gz ${CMAKE_BINARY_DIR}/packaging/kevaget.1.gz
  ${CMAKE_BINARY_DIR}/packaging/Vantrel.1.gz ${CMAKE_BINARY_DIR}/packaging/Vantsvc.1.gz
  DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
# KEVA without windows as a service of the user's session:
# systemctl --user enable --now keva.
install(FILES ${KEVA_PACKAGING_DIR}/systemd/keva.service DESTINATION lib/systemd/user)
install(FILES ${KEVA_PACKAGING_DIR}/copyright ${CMAKE_BINARY_DIR}/packaging/changelog.gz
  DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/quillspan)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillspan)
set(CPACK_PACKAGE_VENDOR Quillspan)
set(CPACK_PACKAGE_CONTACT "Quillspan <packages@quillspan.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "download manager (KEVA) and folder-sharing server (Vantrel)")
set(CPACK_PACKAGE_DESCRIPTION "KEVA downloads files over HTTP, HTTPS and FTP in parallel parts, resumes them
after a pause, a dropped connection or a crash, and keeps a history of them.
kevaget runs its engine on the command line.

Vantrel publishes folders over HTTP; its server Vantsvc also runs on its own.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://quillspan.org/")
# The Qt libraries and the C++ runtime, found by dpkg-shlibdeps from the
# programs; OpenSSL, which the programs load at their first https://
# connection (so dpkg-shlibdeps does not see it); the trusted authorities
# for https.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libssl3")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "ca-certificates")
set(CPACK_STRIP_FILES ON)
include(CPack)
