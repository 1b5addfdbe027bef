# The map functions (centre, rectangle zoom, object identification), the
# rubber-band base of the point-or-rectangle functions, the drawing
# transformers and the listener iterators.
list(APPEND MAPVIEW_SOURCES
    ${CMAKE_CURRENT_SOURCE_DIR}/DrawCoordTransformer.h
    ${CMAKE_CURRENT_SOURCE_DIR}/DrawCoordTransformer.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/ListenerIterator.h
    ${CMAKE_CURRENT_SOURCE_DIR}/ListenerIterator.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/PointRectFunction.h
    ${CMAKE_CURRENT_SOURCE_DIR}/PointRectFunction.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/ZoomFunction.h
    ${CMAKE_CURRENT_SOURCE_DIR}/ZoomFunction.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/CenterFunction.h
    ${CMAKE_CURRENT_SOURCE_DIR}/CenterFunction.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/ObjectClickFunction.h
    ${CMAKE_CURRENT_SOURCE_DIR}/ObjectClickFunction.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/MapFunctionsModule.cpp
)
