# Sources of this area: list(APPEND MAPVIEW_SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/<file>)
