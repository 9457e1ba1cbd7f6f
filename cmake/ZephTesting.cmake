# One helper registers every test: a GoogleTest executable run by ctest, labelled, and
# with the offscreen Qt platform set so widget tests need no display.
if(ZEPH_TESTS)
    enable_testing()
    find_package(GTest REQUIRED)
endif()

# zeph_add_test(NAME name SOURCES ... [LIBS ...] [LABELS ...] [TIMEOUT seconds])
function(zeph_add_test)
    if(NOT ZEPH_TESTS)
        return()
    endif()
    cmake_parse_arguments(T "" "NAME;TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
    add_executable(${T_NAME} ${T_SOURCES})
    target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
    set_target_properties(${T_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    add_test(NAME ${T_NAME} COMMAND ${T_NAME})
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 120)
    endif()
    if(NOT T_LABELS)
        set(T_LABELS unit)
    endif()
    set_tests_properties(${T_NAME} PROPERTIES
        LABELS "${T_LABELS}"
        TIMEOUT ${T_TIMEOUT}
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;ZEPH_BIN_DIR=${CMAKE_BINARY_DIR}/bin;ZEPH_SOURCE_DIR=${CMAKE_SOURCE_DIR}")
endfunction()
