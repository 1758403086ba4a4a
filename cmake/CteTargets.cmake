# Shared settings for every target of the project.

# Warnings of our own code; errors unless CTE_WARNINGS_AS_ERRORS is off.
function(cte_target_defaults target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Wpedantic -Wshadow)
    if(CTE_WARNINGS_AS_ERRORS)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
    target_compile_definitions(${target} PRIVATE QT_NO_CAST_FROM_ASCII QT_NO_CAST_TO_ASCII
                                                 QT_NO_URL_CAST_FROM_STRING)
endfunction()

# cte_add_test(NAME name SOURCES ... LIBS ... [LABELS ...] [FIXTURES ...] [ENVIRONMENT ...])
# A QtTest executable registered with CTest; GUI tests run offscreen.
function(cte_add_test)
    cmake_parse_arguments(T "" "NAME" "SOURCES;LIBS;LABELS;FIXTURES;ENVIRONMENT" ${ARGN})
    add_executable(${T_NAME} ${T_SOURCES})
    cte_target_defaults(${T_NAME})
    target_link_libraries(${T_NAME} PRIVATE Qt6::Test ${T_LIBS})
    target_include_directories(${T_NAME} PRIVATE ${PROJECT_SOURCE_DIR}/tests/support)
    add_test(NAME ${T_NAME} COMMAND ${T_NAME})
    # Tests read the schemas copied beside the programs.
    add_dependencies(${T_NAME} cte_schemas)
    set(env QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR=${CMAKE_BINARY_DIR}/xdg-runtime
            CTE_SOURCE_DIR=${PROJECT_SOURCE_DIR} CTE_BINARY_DIR=${CMAKE_BINARY_DIR}
            CTE_SCHEMA_DIR=${CTE_SCHEMA_DIR}
            ${T_ENVIRONMENT})
    set_tests_properties(${T_NAME} PROPERTIES ENVIRONMENT "${env}")
    if(T_LABELS)
        set_tests_properties(${T_NAME} PROPERTIES LABELS "${T_LABELS}")
    endif()
    if(T_FIXTURES)
        set_tests_properties(${T_NAME} PROPERTIES FIXTURES_REQUIRED "${T_FIXTURES}")
    endif()
endfunction()
