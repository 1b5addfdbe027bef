# The map window component and dynamic painting, on real maps written by the
# map writer.
vistrel_add_test(NAME mapview_window_tests GUI
    SOURCES
        ${CMAKE_CURRENT_LIST_DIR}/PatternMap.h ${CMAKE_CURRENT_LIST_DIR}/PatternMap.cpp
        ${CMAKE_CURRENT_LIST_DIR}/WindowTestMaps.h
        ${CMAKE_CURRENT_LIST_DIR}/WindowTestMaps.cpp
        ${CMAKE_CURRENT_LIST_DIR}/WindowTest.cpp
        ${CMAKE_CURRENT_LIST_DIR}/WindowPaintTest.cpp
        ${CMAKE_CURRENT_LIST_DIR}/WindowDynaTest.cpp
        ${CMAKE_CURRENT_LIST_DIR}/WindowPointTest.cpp
        ${CMAKE_CURRENT_LIST_DIR}/SparsePictureTest.cpp
    LIBS mapview maplib app Qt6::Widgets)

# The overlay library is looked for beside the program: this test and a small
# stand-in library live in a folder of their own, so that no other test
# program finds it.
add_library(mapview_test_overlay SHARED ${CMAKE_CURRENT_LIST_DIR}/WindowOverlayPlugin.cpp)
target_link_libraries(mapview_test_overlay PRIVATE velmar32)
set_target_properties(mapview_test_overlay PROPERTIES
    OUTPUT_NAME TLM_Overlay
    LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests/overlay)
vistrel_add_test(NAME mapview_overlay_tests GUI
    SOURCES
        ${CMAKE_CURRENT_LIST_DIR}/PatternMap.h ${CMAKE_CURRENT_LIST_DIR}/PatternMap.cpp
        ${CMAKE_CURRENT_LIST_DIR}/WindowTestMaps.h
        ${CMAKE_CURRENT_LIST_DIR}/WindowTestMaps.cpp
        ${CMAKE_CURRENT_LIST_DIR}/WindowOverlayTest.cpp
    LIBS mapview maplib Qt6::Widgets)
if(TARGET mapview_overlay_tests)
    set_target_properties(mapview_overlay_tests PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests/overlay)
    add_dependencies(mapview_overlay_tests mapview_test_overlay)
endif()
