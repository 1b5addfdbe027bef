# The map window module, the map sequence and the map events.
list(APPEND MAPVIEW_SOURCES
    ${CMAKE_CURRENT_SOURCE_DIR}/MapEvents.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/MapWindowModule.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/MainMapModule.h
    ${CMAKE_CURRENT_SOURCE_DIR}/MainMapModule.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/MapSequence.h
    ${CMAKE_CURRENT_SOURCE_DIR}/MapSequence.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/MapTabCard.h
    ${CMAKE_CURRENT_SOURCE_DIR}/MapTabCard.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/MapNavigation.h
    ${CMAKE_CURRENT_SOURCE_DIR}/MapNavigation.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/MapModuleStartup.cpp)
# The overview map beside the main map.
list(APPEND MAPVIEW_SOURCES
    ${CMAKE_CURRENT_SOURCE_DIR}/OverviewModule.h
    ${CMAKE_CURRENT_SOURCE_DIR}/OverviewModule.cpp
    ${CMAKE_CURRENT_SOURCE_DIR}/OverviewTabCard.h
    ${CMAKE_CURRENT_SOURCE_DIR}/OverviewTabCard.cpp)
