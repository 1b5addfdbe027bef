# Map coordinate conversions of the map library, side by side with PROJ's
# proj_trans on the same points.
find_package(PROJ CONFIG QUIET)
if(TARGET maplib_coords AND PROJ_FOUND)
    vistrel_add_benchmark(NAME coords
        SOURCES ${CMAKE_CURRENT_LIST_DIR}/coords/CoordsBench.cpp
        LIBS maplib_coords PROJ::proj)
endif()
