# Printing the map window: one A4 page of the demo medium at 1:25000 to PDF,
# at 600 dpi beside 300 dpi and beside the fitted window content, with the
# time per page and the peak memory of the process.
vistrel_add_benchmark(NAME print
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/print/PrintBench.cpp ${CMAKE_CURRENT_LIST_DIR}/support/BenchMap.cpp $<TARGET_OBJECTS:print> $<TARGET_OBJECTS:mapview>
    LIBS print mapview maplib app Qt6::Widgets Qt6::PrintSupport)
if(TARGET bench_print)
    add_dependencies(bench_print vistrel-tool)
    target_compile_definitions(bench_print PRIVATE VISTREL_TOOL="$<TARGET_FILE:vistrel-tool>")
endif()
