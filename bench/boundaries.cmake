# The boundary lines of the demo medium over a 1920 x 1080 map window beside a
# full repaint of the map. Needs a medium: VISTREL_BENCH_MEDIUM=DIR, made with
# "vistrel-tool make-medium DIR --size medium".
vistrel_add_benchmark(NAME boundaries
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/boundaries/BoundaryBench.cpp ${CMAKE_CURRENT_LIST_DIR}/support/BenchMap.cpp
    LIBS boundaries mapview maplib Qt6::Widgets)
