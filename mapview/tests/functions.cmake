# The map functions on a real map window driven by synthetic mouse input. The
# start-up steps register from static objects, so the library is linked whole.
find_package(Qt6 REQUIRED COMPONENTS Test)
set(FUNCTION_TESTS ${CMAKE_CURRENT_LIST_DIR})
vistrel_add_test(NAME mapview_function_tests GUI
    SOURCES ${FUNCTION_TESTS}/PatternMap.h ${FUNCTION_TESTS}/PatternMap.cpp
            ${FUNCTION_TESTS}/FunctionTestSupport.h ${FUNCTION_TESTS}/FunctionTestSupport.cpp
            ${FUNCTION_TESTS}/FunctionGestureTest.cpp ${FUNCTION_TESTS}/FunctionCentreObjectTest.cpp
            ${FUNCTION_TESTS}/FunctionTransformerTest.cpp ${FUNCTION_TESTS}/FunctionRegistrationTest.cpp
    LIBS "$<LINK_LIBRARY:WHOLE_ARCHIVE,mapview>" maplib Qt6::Widgets Qt6::Test)
