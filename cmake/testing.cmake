# GoogleTest from the Debian sources, compiled with the same flags as our code
# in both trees.
enable_testing()

set(BRENK_GTEST_DIR /usr/src/googletest CACHE PATH "GoogleTest sources")
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
add_subdirectory(${BRENK_GTEST_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

if(WIN32 AND CMAKE_CROSSCOMPILING)
    # Every Wine test needs the prefix, wineserver and Xvfb display that the
    # setup test prepares; the cleanup test stops what setup started.
    add_test(NAME wine_setup COMMAND ${CMAKE_SOURCE_DIR}/scripts/wine-run --setup)
    add_test(NAME wine_cleanup COMMAND ${CMAKE_SOURCE_DIR}/scripts/wine-run --cleanup)
    set_tests_properties(wine_setup PROPERTIES FIXTURES_SETUP wine)
    set_tests_properties(wine_cleanup PROPERTIES FIXTURES_CLEANUP wine)
endif()

# brenk_add_test(name SOURCES ... [LIBS ...] [TIMEOUT s] [GTEST] [ARGS ...])
# Builds one test program and registers it. GTEST links GoogleTest with its main.
# In the Windows tree the test runs under Wine (through the emulator) and
# requires the wine fixture.
function(brenk_add_test name)
    cmake_parse_arguments(T "GTEST" "TIMEOUT" "SOURCES;LIBS;ARGS;ENV" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE ${T_LIBS})
    if(T_GTEST)
        target_link_libraries(${name} PRIVATE gtest gtest_main)
    endif()
    add_test(NAME ${name} COMMAND ${name} ${T_ARGS})
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 120)
    endif()
    set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT})
    if(T_ENV)
        set_tests_properties(${name} PROPERTIES ENVIRONMENT "${T_ENV}")
    endif()
    if(WIN32 AND CMAKE_CROSSCOMPILING)
        # One display and one foreground window for all: Wine tests run one at a time.
        set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine RESOURCE_LOCK display)
    endif()
endfunction()

# brenk_wine_test(name COMMAND ...): a test that runs a script or program that
# itself drives Wine (for example brenk.exe with a robot); needs the fixture.
function(brenk_wine_test name)
    cmake_parse_arguments(T "" "TIMEOUT" "COMMAND;ENV" ${ARGN})
    add_test(NAME ${name} COMMAND ${T_COMMAND})
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 300)
    endif()
    set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT} FIXTURES_REQUIRED wine
                                            RESOURCE_LOCK display)
    if(T_ENV)
        set_tests_properties(${name} PROPERTIES ENVIRONMENT "${T_ENV}")
    endif()
endfunction()
