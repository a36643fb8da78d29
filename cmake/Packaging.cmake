# `cpack -G DEB` in a build folder makes the Debian package of everything
# `cmake --install` puts in place. Its library dependencies are found from
# the programs by dpkg-shlibdeps.

# The licence, in the machine-readable form Debian reads
# (share/doc/lumivex/copyright); LICENSE holds the full text.
install(FILES ${CMAKE_CURRENT_LIST_DIR}/copyright DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/lumivex)
set(CPACK_PACKAGE_NAME lumivex)
set(CPACK_PACKAGE_VENDOR "Lumivex maintainers")
set(CPACK_PACKAGE_CONTACT "Lumivex maintainers <maintainers@users.noreply.c-seed-0d37dfb9.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "viewer, player and converter for laser-show point and ILDA files")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "Lumivex shows Lumivex laser-show point files (hex dump, values, outline),\n"
  "converts them into ILDA files that today's laser software plays, and\n"
  "plays ILDA files of every format. lumivex-viewer and lumivex-player are\n"
  "the desktop programs; lumivex does the same work on the command line.")
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The fonts `lumivex text` draws with: the library is found by shlibdeps,
# but its font files are data no program links. libusb drives the Helios.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libhersheyfont0, hershey-fonts-data, libusb-1.0-0")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_STRIP_FILES ON)
set(CPACK_GENERATOR DEB)
include(CPack)
