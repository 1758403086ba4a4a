# A throwaway PostgreSQL cluster for the tests that need one: CTest fixture "pgcluster".
# A test declares   cte_add_test(... FIXTURES pgcluster ENVIRONMENT ${CTE_TEST_PG_ENV})
# and finds the connection string of the database "ctetest" in CTE_TEST_PG; it makes its own
# schema there (tests/support/TestDatabases.h) so tests running side by side do not clash.
if(NOT CTE_TEST_PG_PORT)
    # Derived from the build folder, so build folders side by side get clusters of their own,
    # and moved on past ports that are taken now. pg-cluster checks again when it starts.
    string(MD5 _cte_pg_hash "${CMAKE_BINARY_DIR}")
    string(SUBSTRING "${_cte_pg_hash}" 0 4 _cte_pg_hex)
    math(EXPR _cte_pg_port "0x${_cte_pg_hex} % 10000 + 20000")
    execute_process(
        COMMAND bash -c "p=${_cte_pg_port}; while (exec 3<>/dev/tcp/127.0.0.1/$p) 2>/dev/null; do p=$((p+1)); done; echo $p"
        OUTPUT_VARIABLE _cte_pg_port OUTPUT_STRIP_TRAILING_WHITESPACE)
    set(CTE_TEST_PG_PORT ${_cte_pg_port} CACHE STRING "Port of the tests' throwaway PostgreSQL cluster")
endif()

set(CTE_TEST_PG_DIR ${CMAKE_BINARY_DIR}/pgcluster)
set(CTE_TEST_PG_URL "postgresql://postgres@127.0.0.1:${CTE_TEST_PG_PORT}/ctetest")
set(CTE_TEST_PG_ENV "CTE_TEST_PG=${CTE_TEST_PG_URL}")

add_test(NAME pgcluster_start
         COMMAND ${PROJECT_SOURCE_DIR}/tests/support/pg-cluster start ${CTE_TEST_PG_DIR} ${CTE_TEST_PG_PORT})
set_tests_properties(pgcluster_start PROPERTIES FIXTURES_SETUP pgcluster LABELS postgresql)
add_test(NAME pgcluster_stop
         COMMAND ${PROJECT_SOURCE_DIR}/tests/support/pg-cluster stop ${CTE_TEST_PG_DIR})
set_tests_properties(pgcluster_stop PROPERTIES FIXTURES_CLEANUP pgcluster LABELS postgresql)
