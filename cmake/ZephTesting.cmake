# One helper registers every test program: a GoogleTest executable whose cases ctest lists one
# by one ("<program>.<Suite>.<Case>"), so `ctest -R` picks a single case and `ctest -j` runs the
# cases of a long program side by side. Every case carries its program's labels and time-out and
# runs with the offscreen Qt platform, so widget tests need no display.
if(ZEPH_TESTS)
    enable_testing()
    find_package(GTest REQUIRED)
    include(GoogleTest)
endif()

# zeph_add_test(NAME name SOURCES ... [LIBS ...] [LABELS ...] [TIMEOUT seconds])
# TIMEOUT bounds each case; the label `slow` marks a program with a case of more than a few
# seconds.
function(zeph_add_test)
    if(NOT ZEPH_TESTS)
        return()
    endif()
    cmake_parse_arguments(T "" "NAME;TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
    add_executable(${T_NAME} ${T_SOURCES})
    target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
    set_target_properties(${T_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 120)
    endif()
    math(EXPR T_TIMEOUT "${T_TIMEOUT} * ${ZEPH_TEST_TIMEOUT_SCALE}")
    if(NOT T_LABELS)
        set(T_LABELS unit)
    endif()
    # The cases are listed when ctest runs (the build runs no test program), from a list that is
    # made again whenever the program is newer.
    gtest_discover_tests(${T_NAME}
        TEST_PREFIX "${T_NAME}."
        TEST_LIST ${T_NAME}_CASES
        DISCOVERY_MODE PRE_TEST
        DISCOVERY_TIMEOUT 30
        NO_PRETTY_VALUES)
    # gtest_discover_tests passes PROPERTIES through as one flat list, which splits the
    # environment's entries apart; the properties are set on the listed cases afterwards instead.
    set(environment
        "QT_QPA_PLATFORM=offscreen"
        "ZEPH_BIN_DIR=${CMAKE_BINARY_DIR}/bin"
        "ZEPH_SOURCE_DIR=${CMAKE_SOURCE_DIR}"
        ${ZEPH_SANITIZER_ENVIRONMENT})
    set(properties_file "${CMAKE_CURRENT_BINARY_DIR}/${T_NAME}_properties.cmake")
    file(WRITE "${properties_file}"
        "if(${T_NAME}_CASES)\n"
        "  set_tests_properties(\${${T_NAME}_CASES} PROPERTIES\n"
        "    LABELS [==[${T_LABELS}]==]\n"
        "    TIMEOUT ${T_TIMEOUT}\n"
        "    ENVIRONMENT [==[${environment}]==])\n"
        "endif()\n")
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES "${properties_file}")
endfunction()
