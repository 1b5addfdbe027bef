# The elevation profile while a vertex is dragged: recomputing and drawing a
# 50-point profile beside one full repaint of a 1920 x 1080 map window.
vistrel_add_benchmark(NAME profile
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/profile/ProfileBench.cpp ${CMAKE_CURRENT_LIST_DIR}/support/BenchMap.cpp
    LIBS dhm mapview maplib Qt6::Widgets)
