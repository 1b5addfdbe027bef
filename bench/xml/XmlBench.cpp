// Throughput of the XML layer on a 50 MB GPX-like document: many small
// elements with attributes (track points with lat/lon, elevation and time),
// waypoints with German names, a line break after every point.
//
// Parsing: XML_ToStreamParser into a counting target, from memory in the
// loaders' 32768-byte chunks and from a file through FromFILE, beside
// libxml2's streaming reader (xmlTextReader) on the same bytes, reading every
// name, attribute value and text.
// Writing: the same event stream through XML_StreamWriter and through
// libxml2's xmlTextWriter, both to /dev/null, numbers formatted by each.
#include "CharBufferReader.h"
#include "Cp1252.h"
#include "XML_StreamWriter.h"
#include "XML_ToStreamParser.h"

#include <benchmark/benchmark.h>
#include <libxml/xmlreader.h>
#include <libxml/xmlwriter.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr std::size_t DocumentBytes = 50u * 1000u * 1000u;
constexpr int PointsPerSegment = 1000;
constexpr int PointsPerWaypoint = 200;

// Texts of the generated document, in both encodings: Windows-1252 bytes for
// our writer, UTF-8 for libxml2's.
struct Texts {
    std::vector<std::string> names, namesUtf8;
    std::vector<std::string> times;
    Texts() {
        const char* utf8[] = {"Mühle am Bach",        "Straße & Brücke",   "Schloß \"Hohenfels\"",
                              "Jugendherberge <Süd>", "Gasthof Zur Linde", "Aussichtsturm Käpfle"};
        for (const char* n : utf8) {
            namesUtf8.emplace_back(n);
            names.push_back(Cp1252::encode(QString::fromUtf8(n)));
        }
        char buffer[32];
        for (int s = 0; s < 3600; s += 7) {
            std::snprintf(buffer, sizeof buffer, "2026-05-01T%02d:%02d:%02dZ", 8 + s / 3600, (s / 60) % 60, s % 60);
            times.emplace_back(buffer);
        }
    }
};

const Texts& texts() {
    static const Texts t;
    return t;
}

// The one event stream both writers get.
template <class Sink> void emitDocument(Sink& sink, int points) {
    const Texts& t = texts();
    sink.begin("gpx");
    sink.attr("version", "1.0", "1.0");
    sink.attr("creator", "vistrel", "vistrel");
    sink.text("\n");
    sink.begin("trk");
    sink.begin("name");
    sink.text("Tour");
    sink.end();
    for (int i = 0; i < points; ++i) {
        if (i % PointsPerSegment == 0) {
            if (i)
                sink.end();
            sink.begin("trkseg");
        }
        if (i % PointsPerWaypoint == 0) {
            const std::size_t n = (i / PointsPerWaypoint) % t.names.size();
            sink.begin("wpt");
            sink.attrNumber("lat", 47.0 + i * 1e-6);
            sink.attrNumber("lon", 8.0 + i * 2e-6);
            sink.begin("name");
            sink.textBoth(t.names[n], t.namesUtf8[n]);
            sink.end();
            sink.end();
        }
        sink.begin("trkpt");
        sink.attrNumber("lat", 47.0 + i * 1e-6);
        sink.attrNumber("lon", 8.0 + i * 2e-6);
        sink.begin("ele");
        sink.number(480.0 + (i % 1000) * 0.1);
        sink.end();
        sink.begin("time");
        sink.text(t.times[i % t.times.size()]);
        sink.end();
        sink.end();
        sink.text("\n");
    }
    if (points)
        sink.end();
    sink.end();
    sink.end();
}

class OurSink {
public:
    explicit OurSink(XML_StreamWriter& w) : m_w(w) {}
    void begin(const char* name) { m_w.beginElement(name); }
    void end() { m_w.endElement(); }
    void attr(const char* name, const char* value, const char*) { m_w.writeAttribute(name, value); }
    void attrNumber(const char* name, double v) { m_w.writeAttribute(name, v); }
    void text(const std::string& s) { m_w.text(s); }
    void textBoth(const std::string& cp1252, const std::string&) { m_w.text(cp1252); }
    void number(double v) {
        // Element text of a number: printf "%f", as libxml2 formats it below.
        char buffer[64];
        const int n = std::snprintf(buffer, sizeof buffer, "%f", v);
        m_w.text(std::string_view(buffer, n));
    }

private:
    XML_StreamWriter& m_w;
};

class LibxmlSink {
public:
    explicit LibxmlSink(xmlTextWriterPtr w) : m_w(w) {}
    void begin(const char* name) { xmlTextWriterStartElement(m_w, BAD_CAST name); }
    void end() { xmlTextWriterEndElement(m_w); }
    void attr(const char* name, const char*, const char* utf8) {
        xmlTextWriterWriteAttribute(m_w, BAD_CAST name, BAD_CAST utf8);
    }
    void attrNumber(const char* name, double v) { xmlTextWriterWriteFormatAttribute(m_w, BAD_CAST name, "%f", v); }
    void text(const std::string& s) { xmlTextWriterWriteString(m_w, BAD_CAST s.c_str()); }
    void textBoth(const std::string&, const std::string& utf8) { xmlTextWriterWriteString(m_w, BAD_CAST utf8.c_str()); }
    void number(double v) { xmlTextWriterWriteFormatString(m_w, "%f", v); }

private:
    xmlTextWriterPtr m_w;
};

std::string writeToMemory(int points) {
    char* buffer = nullptr;
    std::size_t size = 0;
    {
        XML_StreamWriter writer(open_memstream(&buffer, &size));
        OurSink sink(writer);
        emitDocument(sink, points);
        writer.close(true);
    }
    std::string out(buffer, size);
    std::free(buffer);
    return out;
}

int pointsForDocument() {
    static const int points = [] {
        constexpr int Probe = 20000;
        const double perPoint = double(writeToMemory(Probe).size()) / Probe;
        return int(DocumentBytes / perPoint) + 1;
    }();
    return points;
}

const std::string& document() {
    static const std::string doc = writeToMemory(pointsForDocument());
    return doc;
}

const std::string& documentFile() {
    static const std::string path = [] {
        char name[] = "/tmp/xml-bench-XXXXXX";
        const int fd = mkstemp(name);
        std::FILE* f = fdopen(fd, "wb");
        std::fwrite(document().data(), 1, document().size(), f);
        std::fclose(f);
        std::atexit([] { std::remove(documentFile().c_str()); });
        return std::string(name);
    }();
    return path;
}

struct Counts {
    std::size_t elements = 0, attributes = 0, valueBytes = 0, textBytes = 0;
};

class CountingTarget : public XML_StreamTarget {
public:
    Counts c;
    void beginElement(std::string_view name) override {
        ++c.elements;
        c.valueBytes += name.size();
    }
    void attribute(std::string_view name) override {
        ++c.attributes;
        c.valueBytes += name.size() + valueAsString().size();
    }
    void text(std::string_view chars) override { c.textBytes += chars.size(); }
};

void report(benchmark::State& state, const Counts& c, std::size_t bytes) {
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(bytes));
    state.counters["elements"] = double(c.elements);
    state.counters["attributes"] = double(c.attributes);
    state.counters["textBytes"] = double(c.textBytes);
}

void BM_Parse_XML_ToStreamParser(benchmark::State& state) {
    const std::string& doc = document();
    Counts last;
    for (auto _ : state) {
        XML_ToStreamParser parser(std::make_unique<CharBufferReader::FromMemory>(doc.data(), doc.size(), 32768));
        CountingTarget target;
        if (!parser.parse(target))
            state.SkipWithError("document not balanced");
        last = target.c;
        benchmark::DoNotOptimize(last);
    }
    report(state, last, doc.size());
}

void BM_Parse_XML_ToStreamParser_FromFILE(benchmark::State& state) {
    const std::string& path = documentFile();
    Counts last;
    for (auto _ : state) {
        std::FILE* f = std::fopen(path.c_str(), "rb");
        XML_ToStreamParser parser(std::make_unique<CharBufferReader::FromFILE>(f, 32768, true));
        CountingTarget target;
        if (!parser.parse(target))
            state.SkipWithError("document not balanced");
        last = target.c;
        benchmark::DoNotOptimize(last);
    }
    report(state, last, document().size());
}

void BM_Parse_libxml2_xmlTextReader(benchmark::State& state) {
    const std::string& doc = document();
    Counts last;
    for (auto _ : state) {
        Counts c;
        xmlTextReaderPtr reader = xmlReaderForMemory(doc.data(), int(doc.size()), "bench.gpx", nullptr, 0);
        int ret;
        while ((ret = xmlTextReaderRead(reader)) == 1) {
            switch (xmlTextReaderNodeType(reader)) {
            case XML_READER_TYPE_ELEMENT:
                ++c.elements;
                c.valueBytes += xmlStrlen(xmlTextReaderConstName(reader));
                while (xmlTextReaderMoveToNextAttribute(reader) == 1) {
                    ++c.attributes;
                    c.valueBytes +=
                        xmlStrlen(xmlTextReaderConstName(reader)) + xmlStrlen(xmlTextReaderConstValue(reader));
                }
                break;
            case XML_READER_TYPE_TEXT:
            case XML_READER_TYPE_SIGNIFICANT_WHITESPACE:
            case XML_READER_TYPE_WHITESPACE:
                c.textBytes += xmlStrlen(xmlTextReaderConstValue(reader));
                break;
            default:
                break;
            }
        }
        xmlFreeTextReader(reader);
        if (ret != 0)
            state.SkipWithError("libxml2 reported an error");
        last = c;
        benchmark::DoNotOptimize(last);
    }
    report(state, last, doc.size());
}

void BM_Write_XML_StreamWriter(benchmark::State& state) {
    const int points = pointsForDocument();
    for (auto _ : state) {
        XML_StreamWriter writer(std::fopen("/dev/null", "w"));
        OurSink sink(writer);
        emitDocument(sink, points);
        if (!writer.close(true))
            state.SkipWithError("write failed");
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(document().size()));
}

void BM_Write_libxml2_xmlTextWriter(benchmark::State& state) {
    const int points = pointsForDocument();
    for (auto _ : state) {
        xmlTextWriterPtr writer = xmlNewTextWriterFilename("/dev/null", 0);
        xmlTextWriterStartDocument(writer, "1.0", "ISO-8859-1", nullptr);
        LibxmlSink sink(writer);
        emitDocument(sink, points);
        xmlTextWriterEndDocument(writer);
        xmlFreeTextWriter(writer);
    }
    // Measured against the same document size, so the rates compare.
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(document().size()));
}

// Generating the event stream alone, to be subtracted from both write rates.
void BM_Write_EventGenerationOnly(benchmark::State& state) {
    struct NullSink {
        std::size_t n = 0;
        void begin(const char*) { ++n; }
        void end() { ++n; }
        void attr(const char*, const char*, const char*) { ++n; }
        void attrNumber(const char*, double v) { n += v > 0; }
        void text(const std::string& s) { n += s.size(); }
        void textBoth(const std::string& s, const std::string&) { n += s.size(); }
        void number(double v) { n += v > 0; }
    };
    const int points = pointsForDocument();
    for (auto _ : state) {
        NullSink sink;
        emitDocument(sink, points);
        benchmark::DoNotOptimize(sink.n);
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(document().size()));
}

} // namespace

BENCHMARK(BM_Parse_XML_ToStreamParser)->Unit(benchmark::kMillisecond)->MinTime(3.0);
BENCHMARK(BM_Parse_XML_ToStreamParser_FromFILE)->Unit(benchmark::kMillisecond)->MinTime(3.0);
BENCHMARK(BM_Parse_libxml2_xmlTextReader)->Unit(benchmark::kMillisecond)->MinTime(3.0);
BENCHMARK(BM_Write_XML_StreamWriter)->Unit(benchmark::kMillisecond)->MinTime(3.0);
BENCHMARK(BM_Write_libxml2_xmlTextWriter)->Unit(benchmark::kMillisecond)->MinTime(3.0);
BENCHMARK(BM_Write_EventGenerationOnly)->Unit(benchmark::kMillisecond)->MinTime(3.0);
