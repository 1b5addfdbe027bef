# Coordinate conversion throughput of the geodetic library, side by side with
# an equivalent PROJ pipeline (PROJ is a benchmark-only dependency here).
if(VISTREL_BUILD_BENCH)
    find_package(PROJ CONFIG REQUIRED)
    vistrel_add_benchmark(NAME transid
        SOURCES ${CMAKE_CURRENT_LIST_DIR}/transid/ConvertBench.cpp
        LIBS transid PROJ::proj)
endif()
