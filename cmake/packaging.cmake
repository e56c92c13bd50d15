# Installation and packages: `cmake --install build` puts the program, its
# manual page, the README and the bundled sample in the usual places;
# `cpack --config build/CPackConfig.cmake` builds a .deb and a .tar.gz.
include(GNUInstallDirs)

install(TARGETS brelvik RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The manual page carries the version set once, in the project() line.
configure_file(${CMAKE_SOURCE_DIR}/docs/brelvik.1.in ${CMAKE_BINARY_DIR}/brelvik.1 @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/brelvik.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_SOURCE_DIR}/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${CMAKE_SOURCE_DIR}/examples/fall_sample.csv ${CMAKE_SOURCE_DIR}/examples/brelvik.cnf
              ${CMAKE_SOURCE_DIR}/examples/README.md
        DESTINATION ${CMAKE_INSTALL_DOCDIR}/examples)
install(PROGRAMS ${CMAKE_SOURCE_DIR}/tools/plot_features.py DESTINATION ${CMAKE_INSTALL_DOCDIR}/tools OPTIONAL)

set(CPACK_PACKAGE_NAME brelvik)
set(CPACK_PACKAGE_VENDOR "brelvik developers")
set(CPACK_PACKAGE_CONTACT "brelvik developers <brelvik@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Feature files for fall studies from inertial-sensor recordings")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_GENERATOR "DEB;TGZ")
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_STRIP_FILES ON)
include(CPack)
