# HDB reader against SQLite with an index on the key, on a million place-like
# records. SQLite is a dependency of this benchmark only.
find_package(SQLite3 REQUIRED)
vistrel_add_benchmark(NAME hdb
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/hdb/HdbBench.cpp
    LIBS hdb SQLite::SQLite3)
