# The overview beside the main map, in the whole start-up sequence. The
# start-up steps register from static objects, so the library is linked whole.
find_package(Qt6 REQUIRED COMPONENTS Test)
vistrel_add_test(NAME mapview_overview_tests GUI
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/PatternMap.h ${CMAKE_CURRENT_LIST_DIR}/PatternMap.cpp
            ${CMAKE_CURRENT_LIST_DIR}/ModuleTestSupport.h
            ${CMAKE_CURRENT_LIST_DIR}/ModuleTestSupport.cpp
            ${CMAKE_CURRENT_LIST_DIR}/OverviewTest.cpp
    LIBS "$<LINK_LIBRARY:WHOLE_ARCHIVE,mapview>" maplib app Qt6::Test)
