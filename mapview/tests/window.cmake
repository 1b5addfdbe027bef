# The map window component and dynamic painting, on real maps written by the
# map writer.
vistrel_add_test(NAME mapview_window_tests GUI
    SOURCES
        ${CMAKE_CURRENT_LIST_DIR}/WindowTestMaps.h
        ${CMAKE_CURRENT_LIST_DIR}/WindowTestMaps.cpp
        ${CMAKE_CURRENT_LIST_DIR}/WindowTest.cpp
        ${CMAKE_CURRENT_LIST_DIR}/WindowPaintTest.cpp
        ${CMAKE_CURRENT_LIST_DIR}/WindowDynaTest.cpp
        ${CMAKE_CURRENT_LIST_DIR}/WindowPointTest.cpp
    LIBS mapview maplib app Qt6::Widgets)
