# Debian package of the tool set, made by CPack ('./package.sh', or 'cpack -G DEB'
# in a configured build folder). The package holds everything the install()
# rules of the tree install, under /usr: the programs, their manual pages and
# the copyright file. Its dependencies are worked out by dpkg-shlibdeps from the
# programs themselves, which link only the C and C++ runtime.

install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/vantrel-tools)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vantrel-tools)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Vantrel tools developers")
set(CPACK_PACKAGE_CONTACT "Vantrel tools developers <vantrel-tools@invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Vantrel building-monitoring tools: capture converter and log statistics")
# The long description, one paragraph; CPack indents its lines for the control file.
set(CPACK_PACKAGE_DESCRIPTION "jex2csv decodes a Vantrel receiver's binary capture into CSV,
a QTV 2 log. vudstats and its variant build vudstats64 survey a receiver
log and write a report: one comma-separated row per five-minute step with
every sensor's latest readings in physical units.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL OFF)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Built packages go to the build folder's packages/; ./package.sh moves the .deb
# to where it was asked for.
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)

include(CPack)
