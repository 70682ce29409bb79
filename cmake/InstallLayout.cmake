# Where an installed station keeps its parts. With the prefix /usr (scripts/package.sh) the library
# goes to Debian's multiarch folder.
include(GNUInstallDirs)

set(STATION_PACKAGE_NAME dispensing-station)
set(STATION_INSTALL_DATADIR ${CMAKE_INSTALL_DATADIR}/${STATION_PACKAGE_NAME})
set(STATION_INSTALL_DOCDIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/${STATION_PACKAGE_NAME})

# An installed program finds the package's data from its own folder, wherever the prefix is.
file(RELATIVE_PATH STATION_DATA_FROM_PROGRAM ${CMAKE_INSTALL_FULL_BINDIR}
     ${CMAKE_INSTALL_FULL_DATADIR}/${STATION_PACKAGE_NAME})

# Installed, the programs find the library in the system's folder, as Debian wants it: no search
# path of their own (qt_standard_project_setup gives them one from $ORIGIN).
set(CMAKE_INSTALL_RPATH "")
