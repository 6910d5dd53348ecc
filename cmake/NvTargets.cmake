# Helpers shared by the subsystems' build files.

# nv_pure_library(name SOURCES ... [LIBS ...])
# A library without QtGui or QtWidgets; QtCore only where it is listed in LIBS.
function(nv_pure_library name)
    cmake_parse_arguments(A "" "" "SOURCES;LIBS" ${ARGN})
    add_library(${name} STATIC ${A_SOURCES})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${A_LIBS})
endfunction()

# nv_widgets_library(name SOURCES ... [LIBS ...])
# A library of windows; moc runs on its headers. Not built for fuzzing.
function(nv_widgets_library name)
    cmake_parse_arguments(A "" "" "SOURCES;LIBS" ${ARGN})
    if(NV_FUZZ)
        return()
    endif()
    add_library(${name} STATIC ${A_SOURCES})
    set_target_properties(${name} PROPERTIES AUTOMOC ON AUTORCC ON)
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${A_LIBS} Qt6::Widgets)
endfunction()

# nv_test(name SOURCES ... [LIBS ...] [WIDGETS])
# A GoogleTest executable; every case is registered with CTest. WIDGETS tests run with a
# QApplication on the offscreen platform (tests/testlib/widgets_main.cpp provides main()).
function(nv_test name)
    cmake_parse_arguments(A "WIDGETS" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${A_SOURCES})
    if(A_WIDGETS)
        set_target_properties(${name} PROPERTIES AUTOMOC ON)
        target_link_libraries(${name} PRIVATE nv_testlib_widgets Qt6::Test)
    else()
        target_link_libraries(${name} PRIVATE nv_testlib GTest::gtest_main)
    endif()
    target_link_libraries(${name} PRIVATE ${A_LIBS} GTest::gmock)
    target_compile_definitions(${name} PRIVATE
        NV_SOURCE_DIR="${PROJECT_SOURCE_DIR}" NV_BINARY_DIR="${PROJECT_BINARY_DIR}")
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
        PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8")
endfunction()

# nv_benchmark(name SOURCES ... [LIBS ...])
function(nv_benchmark name)
    cmake_parse_arguments(A "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${A_SOURCES})
    target_link_libraries(${name} PRIVATE ${A_LIBS} benchmark::benchmark)
    target_compile_definitions(${name} PRIVATE NV_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
endfunction()

# nv_fuzzer(name SOURCES ... [LIBS ...]): a libFuzzer target (clang only).
function(nv_fuzzer name)
    cmake_parse_arguments(A "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${A_SOURCES})
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    target_link_libraries(${name} PRIVATE ${A_LIBS})
endfunction()
