# station_add_qtest(name SOURCES a.cpp ... LIBS lib ...)
# One Qt Test executable per class under test, registered with CTest; windows draw offscreen, in
# English (a LANGUAGE of the caller would otherwise come before LC_ALL). Each links the test
# helpers of tests/support.
function(station_add_qtest name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE Qt6::Test station_test_support ${ARG_LIBS})
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8;LANGUAGE="
        TIMEOUT 300)
endfunction()

# A throw-away PostgreSQL server for the tests that need one, started before the first of them
# and removed after the last. The tests read its libpq connection text from the file named by
# STATION_POSTGRES_CONNINFO_FILE.
set(STATION_POSTGRES_STATE ${CMAKE_BINARY_DIR}/postgres-rig)
function(station_add_postgres_fixture)
    set(rig ${PROJECT_SOURCE_DIR}/scripts/rig/postgres-rig.sh)
    add_test(NAME postgres_start COMMAND bash ${rig} start ${STATION_POSTGRES_STATE})
    add_test(NAME postgres_stop COMMAND bash ${rig} destroy ${STATION_POSTGRES_STATE})
    set_tests_properties(postgres_start PROPERTIES FIXTURES_SETUP postgres TIMEOUT 120)
    set_tests_properties(postgres_stop PROPERTIES FIXTURES_CLEANUP postgres TIMEOUT 120)
endfunction()

# station_requires_postgres(test ...): the tests run with the server and know where it is.
function(station_requires_postgres)
    foreach(test ${ARGN})
        set_tests_properties(${test} PROPERTIES FIXTURES_REQUIRED postgres)
        set_property(TEST ${test} APPEND PROPERTY ENVIRONMENT
            "STATION_POSTGRES_CONNINFO_FILE=${STATION_POSTGRES_STATE}.conninfo"
            "STATION_POSTGRES_RIG=${PROJECT_SOURCE_DIR}/scripts/rig/postgres-rig.sh"
            "STATION_POSTGRES_STATE=${STATION_POSTGRES_STATE}")
    endforeach()
endfunction()
