# The XML parser driving a state machine, and its output written back and
# read again.
vistrel_add_fuzzer(NAME xml
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/xml/XmlParserFuzzer.cpp
    LIBS overlay_xml
    SEEDS xml/seeds)
