# ZEPH_SANITIZE builds everything, the tests and the programs they start, with the compiler's
# run-time checks: "address;undefined" (memory errors, leaks, undefined behaviour) or "thread"
# (data races). A finding ends the program at once, so no test can pass over it.
set(ZEPH_SANITIZE "" CACHE STRING "Sanitizers to build with: address;undefined, or thread")

# Every test case's time-out is multiplied by this; empty means 3 with sanitizers (the checked
# programs run a few times slower), else 1.
set(ZEPH_TEST_TIMEOUT_SCALE "" CACHE STRING "Factor on each test case's time-out")
if(ZEPH_TEST_TIMEOUT_SCALE STREQUAL "")
    if(ZEPH_SANITIZE)
        set(ZEPH_TEST_TIMEOUT_SCALE 3)
    else()
        set(ZEPH_TEST_TIMEOUT_SCALE 1)
    endif()
endif()

# Where the address and thread checks write their reports: a program whose exit status no test
# reads (a simulator stopped at the end of its test) still leaves its finding, a leak found at
# its exit for one, and scripts/test fails on any file it finds. Undefined behaviour is reported
# on standard error (the combined run-time writes it nowhere else) and ends the program with 86.
set(ZEPH_SANITIZER_LOG_DIR "${CMAKE_BINARY_DIR}/sanitizer-reports")
set(ZEPH_SANITIZER_ENVIRONMENT "")

if(ZEPH_SANITIZE)
    foreach(s ${ZEPH_SANITIZE})
        if(NOT s MATCHES "^(address|undefined|thread)$")
            message(FATAL_ERROR "ZEPH_SANITIZE: unknown sanitizer '${s}'")
        endif()
    endforeach()
    if("thread" IN_LIST ZEPH_SANITIZE AND NOT ZEPH_SANITIZE STREQUAL "thread")
        message(FATAL_ERROR "ZEPH_SANITIZE: thread cannot be combined with others")
    endif()
    file(MAKE_DIRECTORY "${ZEPH_SANITIZER_LOG_DIR}")
    list(JOIN ZEPH_SANITIZE "," sanitizers)
    if("undefined" IN_LIST ZEPH_SANITIZE)
        # GCC's undefined set leaves float-to-integer overflow out; the views convert a lot.
        string(APPEND sanitizers ",float-cast-overflow")
    endif()
    add_compile_options(-fsanitize=${sanitizers} -fno-sanitize-recover=all
        -fno-omit-frame-pointer)
    add_link_options(-fsanitize=${sanitizers})
    # GCC's instrumentation hides initialisations from its flow analysis and then warns of values
    # that "may be used uninitialized" where every path sets them; the plain build keeps the
    # warning.
    add_compile_options($<$<CXX_COMPILER_ID:GNU>:-Wno-maybe-uninitialized>)

    # 86 sets a finding apart from the exit statuses the programs give on their own.
    set(common "exitcode=86:log_path=${ZEPH_SANITIZER_LOG_DIR}/report")
    if(ZEPH_SANITIZE STREQUAL "thread")
        list(APPEND ZEPH_SANITIZER_ENVIRONMENT
            "TSAN_OPTIONS=${common}:halt_on_error=1:second_deadlock_stack=1:suppressions=${CMAKE_SOURCE_DIR}/cmake/tsan.supp")
    else()
        list(APPEND ZEPH_SANITIZER_ENVIRONMENT
            "ASAN_OPTIONS=${common}:detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1"
            "UBSAN_OPTIONS=exitcode=86:print_stacktrace=1:halt_on_error=1")
    endif()
endif()
