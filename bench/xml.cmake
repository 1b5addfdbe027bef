# Parsing and writing a large GPX-like document, beside libxml2's streaming
# reader and text writer on the same bytes and the same event stream.
# libxml2 is used here only, never by the program.
find_package(LibXml2 REQUIRED)
vistrel_add_benchmark(NAME xml
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/xml/XmlBench.cpp
    LIBS overlay_xml LibXml2::LibXml2)
