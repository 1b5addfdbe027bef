# GPS link: how soon a client sees a fix after its line ends at the port.
vistrel_add_benchmark(NAME gps_latency
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/gps/FixLatencyBench.cpp
    LIBS gpsproto zozi32)
if(TARGET bench_gps_latency)
    target_include_directories(bench_gps_latency PRIVATE ${CMAKE_SOURCE_DIR}/gpslink/tests)
    target_compile_definitions(bench_gps_latency PRIVATE GPS_TEST_BIN_DIR="${CMAKE_BINARY_DIR}/bin")
    add_dependencies(bench_gps_latency gpslink)
endif()
