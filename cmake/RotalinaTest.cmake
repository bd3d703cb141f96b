include(GoogleTest)
find_package(GTest REQUIRED)
find_package(Qt6 REQUIRED COMPONENTS Test)

# rotalina_add_test(<name> SOURCES ... LIBS ... [GUI] [UNIT] [DEVICE] [RESOURCE_LOCK <name>])
#   GUI  - the test shows windows: it gets a QApplication on the offscreen platform.
#   UNIT - a fast test without archive or windows (label "unit").
#   DEVICE - the test drives a make-believe device through a system library that may hang on its
#            own (label "device": the test command runs these apart, with a short limit and a
#            second try).
#   RESOURCE_LOCK - tests that must not run beside one another when ctest runs tests in parallel.
# Tests that open an archive carry the label "archive"; the others "gui", "unit" or "device".
function(rotalina_add_test name)
    cmake_parse_arguments(T "GUI;UNIT;DEVICE" "RESOURCE_LOCK" "SOURCES;LIBS" ${ARGN})
    if(T_GUI AND NOT ROTALINA_BUILD_GUI_TESTS)
        return()
    endif()
    add_executable(${name} ${T_SOURCES})
    if(T_GUI)
        target_link_libraries(${name} PRIVATE rotalina_testmain_gui)
        set(label gui)
    else()
        target_link_libraries(${name} PRIVATE rotalina_testmain)
        if(T_UNIT)
            set(label unit)
        else()
            set(label archive)
        endif()
    endif()
    if(T_DEVICE)
        set(label device)
    endif()
    target_link_libraries(${name} PRIVATE GTest::gtest ${T_LIBS})
    target_compile_definitions(${name} PRIVATE ROTALINA_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
                                               ROTALINA_RUNTIME_DIR="${ROTALINA_RUNTIME_DIR}")
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    rotalina_configure_target(${name})
    target_compile_options(${name} PRIVATE -include ${PROJECT_SOURCE_DIR}/tests/support/qtprinters.h)
    set(lock)
    if(T_RESOURCE_LOCK)
        set(lock RESOURCE_LOCK ${T_RESOURCE_LOCK})
    endif()
    gtest_discover_tests(${name}
        DISCOVERY_MODE PRE_TEST
        DISCOVERY_TIMEOUT 60
        PROPERTIES LABELS ${label} ENVIRONMENT "QT_QPA_PLATFORM=offscreen" ${lock})
endfunction()
