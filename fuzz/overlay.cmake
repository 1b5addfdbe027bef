# Overlay files: the QVO reader and the GPX import, each fed whole files and
# checked against our own writer. Seeds: files our writers make (generated)
# and GPX files written by another program (committed text).
add_executable(overlay_fuzz_seeds ${CMAKE_CURRENT_LIST_DIR}/overlay/OverlaySeeds.cpp)
target_link_libraries(overlay_fuzz_seeds PRIVATE overlay_files)
vistrel_add_fuzzer(NAME overlay_qvo
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/overlay/QvoReaderFuzz.cpp
    LIBS overlay_files
    SEEDS overlay/seeds-qvo
    SEED_GENERATOR overlay_fuzz_seeds
    SEED_ARGS qvo)
vistrel_add_fuzzer(NAME overlay_gpx
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/overlay/GpxImportFuzz.cpp
    LIBS overlay_files
    SEEDS overlay/seeds-gpx
    SEED_GENERATOR overlay_fuzz_seeds
    SEED_ARGS gpx)
