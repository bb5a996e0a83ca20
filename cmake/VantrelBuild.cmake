# Shared build settings: warnings, sanitizers, ccache and the helpers every layer uses.

find_program(VANTREL_CCACHE ccache)
if(VANTREL_CCACHE AND NOT CMAKE_CXX_COMPILER_LAUNCHER)
    set(CMAKE_C_COMPILER_LAUNCHER ${VANTREL_CCACHE})
    set(CMAKE_CXX_COMPILER_LAUNCHER ${VANTREL_CCACHE})
endif()

if(NOT CMAKE_BUILD_TYPE AND NOT CMAKE_CONFIGURATION_TYPES)
    set(CMAKE_BUILD_TYPE Release CACHE STRING "Build type" FORCE)
endif()

add_library(vantrel_warnings INTERFACE)
target_compile_options(vantrel_warnings INTERFACE -Wall -Wextra -Wshadow -Wconversion -Wno-sign-conversion)

# Fuzz builds instrument every library, so the fuzzers see coverage inside the code they drive.
if(VANTREL_FUZZ)
    add_compile_options(-fsanitize=fuzzer-no-link)
endif()

if(VANTREL_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
endif()

# vantrel_library(name [QT] SOURCES ... DEPS ...)
# One static library per layer; QT marks the few libraries allowed to see Qt. Their public
# headers are Qt-free, so Qt links privately: a user of the library that wants Qt itself
# (a test sending toolkit events) links it on its own.
function(vantrel_library name)
    cmake_parse_arguments(ARG "QT" "" "SOURCES;DEPS" ${ARGN})
    add_library(${name} STATIC ${ARG_SOURCES})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${ARG_DEPS} PRIVATE vantrel_warnings)
    if(ARG_QT)
        target_link_libraries(${name} PRIVATE Qt6::Core Qt6::Gui Qt6::Widgets)
    endif()
endfunction()

# vantrel_test(name SOURCES ... DEPS ... [LABELS ...])
# A GoogleTest executable registered with CTest; GUI tests run on the offscreen platform
# (tests/support/TestMain.cpp), so they also run headless when started by hand.
function(vantrel_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;LABELS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES} ${PROJECT_SOURCE_DIR}/tests/support/TestMain.cpp)
    target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest vantrel_warnings)
    target_compile_definitions(${name} PRIVATE
        VANTREL_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
        VANTREL_BINARY_DIR="${PROJECT_BINARY_DIR}")
    # The test main() sets QT_QPA_PLATFORM=offscreen unless set.
    if(ARG_LABELS)
        gtest_discover_tests(${name} PROPERTIES LABELS "${ARG_LABELS}" DISCOVERY_TIMEOUT 60)
    else()
        gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60)
    endif()
endfunction()

set(VANTREL_FUZZ_SECONDS 15 CACHE STRING "Seconds each fuzz target runs under CTest")

# vantrel_fuzzer(name SOURCES ... DEPS ... CORPUS dir...)
# A libFuzzer target; CTest runs it for a bounded time over its committed corpus folders
# (its own, and test data worth starting from).
function(vantrel_fuzzer name)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPS;CORPUS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_DEPS})
    target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    if(VANTREL_TESTS)
        # New inputs go to the first folder, so the committed corpus stays untouched.
        set(work ${CMAKE_CURRENT_BINARY_DIR}/${name}-corpus)
        file(MAKE_DIRECTORY ${work})
        add_test(NAME fuzz.${name}
            COMMAND $<TARGET_FILE:${name}> -max_total_time=${VANTREL_FUZZ_SECONDS} -timeout=10
                    -rss_limit_mb=2048 ${work} ${ARG_CORPUS})
        set_tests_properties(fuzz.${name} PROPERTIES LABELS fuzz)
    endif()
endfunction()
