# The map window component and the dynamic painting of the main map.
list(APPEND MAPVIEW_SOURCES
    ${CMAKE_CURRENT_SOURCE_DIR}/TolmWindow.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/DynaPaint.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/PointPainter.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/SparsePicture.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/KeptPicture.cpp)
