# GPS link: the receiver's line handler and the socket's request decoder.
vistrel_add_fuzzer(NAME gps_lines
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/gps/LineFuzzer.cpp
    LIBS gpslink_core
    SEEDS gps/line_seeds)

add_executable(fuzz_gps_request_seeds ${CMAKE_CURRENT_LIST_DIR}/gps/RequestSeeds.cpp)
target_link_libraries(fuzz_gps_request_seeds PRIVATE gpsproto)
vistrel_add_fuzzer(NAME gps_requests
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/gps/RequestFuzzer.cpp
    LIBS gpslink_core
    SEED_GENERATOR fuzz_gps_request_seeds)
