# Tile decode throughput of the map library, beside memcpy and libbz2 itself.
find_package(BZip2 REQUIRED)
vistrel_add_benchmark(NAME maplib_decode
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/maplib/TileDecodeBench.cpp
    LIBS maplib BZip2::BZip2)
