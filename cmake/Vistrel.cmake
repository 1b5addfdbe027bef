# Project-wide helpers for tests, fuzz targets, benchmarks and the command-line tool.

# vistrel_add_test(NAME <name> SOURCES <src...> LIBS <lib...> [GUI] [TIMEOUT <s>])
# One GoogleTest program, its cases registered with ctest one by one. GUI tests
# get the shared main that creates a QApplication on the offscreen platform.
function(vistrel_add_test)
    cmake_parse_arguments(T "GUI" "NAME;TIMEOUT" "SOURCES;LIBS" ${ARGN})
    if(NOT VISTREL_BUILD_TESTS)
        return()
    endif()
    if(NOT T_TIMEOUT)
        set(T_TIMEOUT 300)
    endif()
    add_executable(${T_NAME} ${T_SOURCES})
    if(T_GUI)
        target_link_libraries(${T_NAME} PRIVATE vistrel_gui_test_main)
    else()
        target_link_libraries(${T_NAME} PRIVATE GTest::gtest_main)
    endif()
    target_link_libraries(${T_NAME} PRIVATE GTest::gtest GTest::gmock ${T_LIBS})
    set_target_properties(${T_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
    gtest_discover_tests(${T_NAME}
        DISCOVERY_MODE PRE_TEST
        DISCOVERY_TIMEOUT 60
        PROPERTIES TIMEOUT ${T_TIMEOUT}
                   ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
                   ENVIRONMENT_MODIFICATION "VISTREL_BIN_DIR=set:${CMAKE_BINARY_DIR}/bin")
endfunction()

# vistrel_add_fuzzer(NAME <name> SOURCES <src...> LIBS <lib...>
#                    [SEEDS <dir...>] [SEED_GENERATOR <target> [SEED_ARGS <args...>]])
# A libFuzzer target (LLVMFuzzerTestOneInput). With VISTREL_FUZZ it links the
# libFuzzer runtime; otherwise it links a small replay main, and ctest replays
# the seed corpus: committed text seeds in SEEDS and/or binary seeds that the
# SEED_GENERATOR program writes (it gets the output folder as first argument)
# with the project's own writers, so no binary seed is ever committed.
# Every fuzz target and seed generator is also a dependency of the target
# fuzz_all (see vistrel_finish_fuzzers), which the fuzz preset builds.
function(vistrel_add_fuzzer)
    cmake_parse_arguments(F "" "NAME;SEED_GENERATOR" "SOURCES;LIBS;SEEDS;SEED_ARGS" ${ARGN})
    set(target fuzz_${F_NAME})
    add_executable(${target} ${F_SOURCES})
    target_link_libraries(${target} PRIVATE ${F_LIBS})
    set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz)
    if(VISTREL_FUZZ)
        target_link_options(${target} PRIVATE -fsanitize=fuzzer)
    else()
        target_link_libraries(${target} PRIVATE vistrel_fuzz_replay_main)
    endif()

    set(corpus_dirs)
    foreach(seed_dir IN LISTS F_SEEDS)
        list(APPEND corpus_dirs ${CMAKE_CURRENT_SOURCE_DIR}/${seed_dir})
    endforeach()
    set(generated ${CMAKE_BINARY_DIR}/fuzz/corpus/${F_NAME})
    # One manifest line per target for scripts/fuzz-smoke, fields separated
    # by "|": name, program, seed generator, its further arguments, committed
    # seed folders (the lists separated by blanks).
    set(generator "")
    if(F_SEED_GENERATOR)
        set(generator "$<TARGET_FILE:${F_SEED_GENERATOR}>")
    endif()
    string(JOIN " " generator_args ${F_SEED_ARGS})
    string(JOIN " " seed_dirs ${corpus_dirs})
    set_property(GLOBAL APPEND PROPERTY VISTREL_FUZZ_MANIFEST
                 "${F_NAME}|$<TARGET_FILE:${target}>|${generator}|${generator_args}|${seed_dirs}")
    set_property(GLOBAL APPEND PROPERTY VISTREL_FUZZ_TARGETS ${target} ${F_SEED_GENERATOR})
    if(F_SEED_GENERATOR)
        list(APPEND corpus_dirs ${generated})
        if(VISTREL_BUILD_TESTS)
            add_test(NAME fuzz_seeds_${F_NAME}
                     COMMAND $<TARGET_FILE:${F_SEED_GENERATOR}> ${generated} ${F_SEED_ARGS})
            set_tests_properties(fuzz_seeds_${F_NAME} PROPERTIES FIXTURES_SETUP fuzzseeds_${F_NAME})
        endif()
    endif()
    if(VISTREL_BUILD_TESTS AND NOT VISTREL_FUZZ)
        add_test(NAME fuzz_replay_${F_NAME} COMMAND ${target} ${corpus_dirs})
        set_tests_properties(fuzz_replay_${F_NAME} PROPERTIES TIMEOUT 300)
        if(F_SEED_GENERATOR)
            set_tests_properties(fuzz_replay_${F_NAME} PROPERTIES FIXTURES_REQUIRED fuzzseeds_${F_NAME})
        endif()
    endif()
endfunction()

# vistrel_finish_fuzzers(): after the last vistrel_add_fuzzer(), the target
# fuzz_all (every fuzz target and seed generator, nothing else) and the
# manifest <build>/fuzz/fuzzers.txt that scripts/fuzz-smoke reads.
function(vistrel_finish_fuzzers)
    get_property(targets GLOBAL PROPERTY VISTREL_FUZZ_TARGETS)
    get_property(manifest GLOBAL PROPERTY VISTREL_FUZZ_MANIFEST)
    list(REMOVE_DUPLICATES targets)
    add_custom_target(fuzz_all)
    if(targets)
        add_dependencies(fuzz_all ${targets})
    endif()
    list(JOIN manifest "\n" lines)
    file(GENERATE OUTPUT ${CMAKE_BINARY_DIR}/fuzz/fuzzers.txt CONTENT "${lines}\n")
endfunction()

# vistrel_add_benchmark(NAME <name> SOURCES <src...> LIBS <lib...>)
# A Google Benchmark program in build/<preset>/bench; never run by ctest.
function(vistrel_add_benchmark)
    cmake_parse_arguments(B "" "NAME" "SOURCES;LIBS" ${ARGN})
    if(NOT VISTREL_BUILD_BENCH)
        return()
    endif()
    set(target bench_${B_NAME})
    add_executable(${target} ${B_SOURCES})
    target_link_libraries(${target} PRIVATE benchmark::benchmark benchmark::benchmark_main ${B_LIBS})
    set_target_properties(${target} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
endfunction()

# vistrel_tool_link(<lib...>): libraries the command-line tool's subcommands need.
function(vistrel_tool_link)
    set_property(GLOBAL APPEND PROPERTY VISTREL_TOOL_LIBS ${ARGN})
endfunction()
