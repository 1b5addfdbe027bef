# HDB database files: the whole reader, fed whole files.
add_executable(hdb_fuzz_seeds ${CMAKE_CURRENT_LIST_DIR}/hdb/HdbSeeds.cpp)
target_link_libraries(hdb_fuzz_seeds PRIVATE hdb)
vistrel_add_fuzzer(NAME hdb
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/hdb/HdbFuzz.cpp
    LIBS hdb
    SEED_GENERATOR hdb_fuzz_seeds)
