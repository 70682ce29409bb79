# The Debian package, made by CPack's DEB generator from the install rules and the build at hand:
# packaging adds seconds to a build instead of a second build, and there is no debian/ tree to keep
# in step with the install rules. scripts/package.sh runs it. It is one package, as a desk installs
# one file: lintian would have the library in a package named after it, and its link, headers and
# pkg-config file in a -dev package, and warns of both.
set(STATION_PACKAGE_MAINTAINER "Dispensing station maintainers <dispensing-station@example.org>"
    CACHE STRING "The Debian package's maintainer: Name <address>")
include(cmake/InstallRules.cmake)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME ${STATION_PACKAGE_NAME})
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/package)
# The paths written into the pkg-config file are the configured prefix's.
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "pharmacist's medication-dispensing station")
set(CPACK_PACKAGE_DESCRIPTION
    "Lists the day's pick-up orders from the prescription database (an SQLite
file or a PostgreSQL server), inventories the RFID tags of the drug
containers lying on the reader (serial or PC/SC), warns when the wrong or
an expired container is presented, checks the count by weight on a
balance, and stores a line as dispensed when the right container is there,
with a journal and an audit trail.

The package also holds the reader library with its C headers and
pkg-config file, emulators of the reader and the balance with a bench
panel that drives them, a demo database maker, a tool that copies a
station's database onto a server, and the report tool.")

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${STATION_PACKAGE_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
# The library's links come from dpkg's ldconfig trigger. CPack writes scripts calling ldconfig for a
# library under /usr/lib unless the package brings its own: these do nothing (lintian warns that
# they are empty).
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CMAKE_SOURCE_DIR}/cmake/package/triggers
    ${CMAKE_SOURCE_DIR}/cmake/package/postinst ${CMAKE_SOURCE_DIR}/cmake/package/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# What is loaded at run time, unseen by the library scan: Qt's SQLite driver for the database
# file; the PostgreSQL driver for a server, pcscd with its client library for PC/SC readers, and a
# font for the windows' Chinese text.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6sql6-sqlite")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libqt6sql6-psql, pcscd, libpcsclite1, fonts-noto-cjk")
# The reader emulator's PC/SC face, checking a PC/SC reader, and the emulators on a virtual display.
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "vsmartcard-vpcd, pcsc-tools, xvfb")

include(CPack)
