# Map drawing: warm and cold repaints at several zooms, and panning over a map
# larger than the tile cache, beside their comparisons (a colour table
# conversion of one screen, the decoding of the same tiles).
vistrel_add_benchmark(NAME mapdraw
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/mapdraw/MapDrawBench.cpp
    LIBS maplib_draw)
