# Import of a large GPX track into the element tree, beside two other GPX
# readers on the same file (gpsbabel reading and writing to /dev/null, and
# gpxpy's parser). The other readers are bench-only and optional. Not a
# Google Benchmark program: it times external processes and prints medians.
if(VISTREL_BUILD_BENCH)
    add_executable(bench_overlay_gpx_import ${CMAKE_CURRENT_LIST_DIR}/overlay_files/GpxImportBench.cpp)
    target_link_libraries(bench_overlay_gpx_import PRIVATE overlay_files)
    set_target_properties(bench_overlay_gpx_import PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bench)
endif()
