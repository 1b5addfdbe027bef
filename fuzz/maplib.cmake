# Fuzz targets of the map library's readers. Their seed corpora are written by
# the project's own writers (fuzz_maplib_seeds), never committed.
add_executable(fuzz_maplib_seeds ${CMAKE_CURRENT_LIST_DIR}/maplib/SeedGenerator.cpp)
target_link_libraries(fuzz_maplib_seeds PRIVATE maplib)
set_target_properties(fuzz_maplib_seeds PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz)

foreach(kind tlm kmo bmp pcx)
    vistrel_add_fuzzer(NAME maplib_${kind}
        SOURCES ${CMAKE_CURRENT_LIST_DIR}/maplib/Fuzz_${kind}.cpp ${CMAKE_CURRENT_LIST_DIR}/maplib/FuzzSupport.cpp
        LIBS maplib
        SEED_GENERATOR fuzz_maplib_seeds SEED_ARGS ${kind})
endforeach()
