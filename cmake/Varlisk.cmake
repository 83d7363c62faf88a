# Shared build settings and helpers for every target of the project.

set(CMAKE_AUTOMOC ON)
set(CMAKE_AUTORCC ON)

add_compile_options(-Wall -Wextra -Wno-unused-parameter)

if(VARLISK_SANITIZE)
    # vptr checks are off: the settings interface crosses a library boundary with
    # hidden visibility, where the typeinfo of the two sides differs by design.
    set(_varlisk_san -fsanitize=address,undefined -fno-sanitize=vptr -fno-omit-frame-pointer)
    add_compile_options(${_varlisk_san} -O1)
    add_link_options(${_varlisk_san})
endif()

# varlisk_add_library(<name> SOURCES ... [LIBS ...])
# A static library of one subsystem folder.
function(varlisk_add_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS" ${ARGN})
    add_library(${name} STATIC ${ARG_SOURCES})
    target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${ARG_LIBS})
endfunction()

# varlisk_add_test(<name> SOURCES ... [LIBS ...] [LABELS ...] [TIMEOUT s])
# One test program, run by CTest on the offscreen platform. Every test depends on
# the settings library being built, since code under test may load it at run time.
function(varlisk_add_test name)
    cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE Qt6::Test varlisk_testthreads ${ARG_LIBS})
    add_dependencies(${name} Ostrel)
    add_test(NAME ${name} COMMAND ${name})
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT 180)
    endif()
    set_tests_properties(${name} PROPERTIES
        ENVIRONMENT "QT_QPA_PLATFORM=offscreen;ASAN_OPTIONS=detect_leaks=1:abort_on_error=0;LSAN_OPTIONS=suppressions=${PROJECT_SOURCE_DIR}/tests/lsan.supp;UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1"
        TIMEOUT ${ARG_TIMEOUT})
    if(ARG_LABELS)
        set_tests_properties(${name} PROPERTIES LABELS "${ARG_LABELS}")
    endif()
endfunction()
