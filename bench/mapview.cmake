# The main map window: a scroll step against a full repaint, and a moving
# marker drawn by the dynamic painting against a full repaint of the map.
vistrel_add_benchmark(NAME mapview_window
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/mapview/WindowBench.cpp ${CMAKE_CURRENT_LIST_DIR}/support/BenchMap.cpp
    LIBS mapview maplib Qt6::Widgets)
