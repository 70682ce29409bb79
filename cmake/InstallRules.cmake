# What an installed station holds besides packaging/'s files: the programs, the reader library for
# other programs (headers and pkg-config file), the catalogue and the docs.
set(station_programs dispensing-station reader-emulator balance-emulator bench-panel emulator-control
                     demo-db-maker db-copy dispensing-report)
# A build without the tests has no worker; scripts/package.sh builds with them.
if(TARGET dispense-worker)
    list(APPEND station_programs dispense-worker)
endif()
install(TARGETS ${station_programs} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

install(TARGETS zqreader LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(FILES readerlib/include/zqcom.h readerlib/include/zqkrt.h
        DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/zqreader)
configure_file(cmake/package/zqreader.pc.in zqreader.pc @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/zqreader.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)

install(FILES data/transponders.tsv DESTINATION ${STATION_INSTALL_DATADIR})

install(DIRECTORY docs/ DESTINATION ${STATION_INSTALL_DOCDIR}
        FILES_MATCHING PATTERN "*.md" PATTERN "*.png")
install(FILES cmake/package/copyright DESTINATION ${STATION_INSTALL_DOCDIR})
# The package's version is the project's, so Debian counts it as native: changelog.gz, packed
# without a time stamp and at the highest level.
string(TIMESTAMP station_changelog_date "%a, %d %b %Y %H:%M:%S +0000" UTC)
configure_file(cmake/package/changelog.in changelog @ONLY)
execute_process(COMMAND gzip -9nf changelog WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}
                COMMAND_ERROR_IS_FATAL ANY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz DESTINATION ${STATION_INSTALL_DOCDIR})
