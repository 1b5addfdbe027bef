# The overlay layer over a 1920 x 1080 map window: a 100 000-point line and
# 10 000 symbols at zoom 1 and 0.125, beside a full repaint of the map.
vistrel_add_benchmark(NAME overlay
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/overlay/OverlayBench.cpp ${CMAKE_CURRENT_LIST_DIR}/support/BenchMap.cpp
    LIBS overlay_draw overlay_model mapview maplib Qt6::Widgets)
