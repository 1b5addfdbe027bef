# The place search on a table of a million places: typing a letter moves the
# grid to the first matching place and repaints it.
vistrel_add_benchmark(NAME places
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/places/PlacesBench.cpp
    LIBS places hdb Qt6::Widgets)
