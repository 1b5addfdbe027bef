// vistrel-tool tlm-coord on .TLM, sheet mosaic and bitmap files written by
// the map library's own writers.
#include "GaussKrueger.h"
#include "MapCoordCodes.h"
#include "RasterWriters.h"
#include "TlmWriter.h"
#include "ToolCommand.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

// The command registry lives in the tool's main; the test brings its own.
namespace ToolCommand {
std::vector<Command>& commands() {
    static std::vector<Command> list;
    return list;
}
int usage(const std::string&) {
    return 2;
}
} // namespace ToolCommand

namespace {

using namespace MapCoords;

struct ToolRun {
    int code;
    std::string out;
};

ToolRun tlmCoord(const std::vector<std::string>& args) {
    for (const ToolCommand::Command& c : ToolCommand::commands()) {
        if (c.name == "tlm-coord") {
            std::fflush(stdout);
            ::testing::internal::CaptureStdout();
            const int code = c.run(args);
            std::fflush(stdout);
            return {code, ::testing::internal::GetCapturedStdout()};
        }
    }
    ADD_FAILURE() << "tlm-coord is not registered";
    return {-1, {}};
}

std::vector<double> numbers(const std::string& line) {
    std::istringstream in(line);
    std::vector<double> v;
    std::string field;
    while (in >> field)
        v.push_back(std::strtod(field.c_str(), nullptr));
    return v;
}

class TlmCoordCommand : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = std::filesystem::temp_directory_path() / ("tlm-coord-" + std::to_string(::getpid()));
        std::filesystem::create_directories(m_dir);
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }
    std::string path(const std::string& name) const { return (m_dir / name).string(); }

    // A 200 × 100 map of 10 m pixels with pixel (0, 0) at (3500000, 5510000).
    std::string writeSimilarityMap() {
        TlmWriter::Options o;
        o.variant = TlmWriter::Variant::C;
        o.tileWidth = 64;
        o.tileHeight = 64;
        for (int i = 0; i < 256; ++i)
            o.palette.push_back({uint8_t(i), uint8_t(i), uint8_t(i), 0});
        o.georef.kind = 255;
        o.georef.zone = 3;
        o.georef.r[0] = -350000;
        o.georef.r[1] = 551000;
        o.georef.r[2] = 0;
        o.georef.r[3] = -0.1;
        const std::vector<uint8_t> pixels(200 * 100, 7);
        const std::string file = path("map.tlm");
        std::string error;
        EXPECT_TRUE(TlmWriter::write(file, 200, 100, pixels.data(), 200, o, &error)) << error;
        return file;
    }

    std::filesystem::path m_dir;
};

TEST_F(TlmCoordCommand, ConvertsPixelsOfAMapBothWays) {
    const std::string map = writeSimilarityMap();

    ToolRun r = tlmCoord({map, "0x8000", "1:3", "10", "20", "199", "0"});
    ASSERT_EQ(r.code, 0);
    std::istringstream lines(r.out);
    std::string first, second;
    std::getline(lines, first);
    std::getline(lines, second);
    std::vector<double> v = numbers(first);
    ASSERT_EQ(v.size(), 5u); // northing, easting, status, "zone 3"
    EXPECT_NE(first.find("zone 3"), std::string::npos) << first;
    EXPECT_NEAR(v[0], 5510000 - 200, 1e-3);
    EXPECT_NEAR(v[1], 3500000 + 100, 1e-3);
    EXPECT_NE(first.find("0x00000000"), std::string::npos) << first;
    EXPECT_NEAR(numbers(second)[1], 3500000 + 1990, 1e-3);

    // Geographic DHDN into a pixel; the point lies on the map.
    const GaussKrueger::Geographic g = GaussKrueger::inverse(5510000 - 507, 3500000 + 1003, 3);
    char lon[40], lat[40];
    std::snprintf(lon, sizeof lon, "%.10f", g.longitude);
    std::snprintf(lat, sizeof lat, "%.10f", g.latitude);
    r = tlmCoord({map, "2", "0x8000", lon, lat});
    ASSERT_EQ(r.code, 0);
    v = numbers(r.out);
    EXPECT_EQ(v[0], 100.0); // 100.3 rounded to a whole pixel
    EXPECT_EQ(v[1], 51.0);

    // Beyond the right edge: converted, status 0x00040001.
    r = tlmCoord({map, "1", "0x8010", "5509000", "3502500"});
    EXPECT_EQ(r.code, 0);
    EXPECT_NE(r.out.find("250.0000 100.0000 0x00040001"), std::string::npos) << r.out;

    // Into strip 2 through geographic coordinates.
    r = tlmCoord({map, "0x8000", "1:2", "0", "0"});
    ASSERT_EQ(r.code, 0);
    EXPECT_EQ(std::floor(numbers(r.out)[1] * 1e-6), 2.0);
}

TEST_F(TlmCoordCommand, ReadsPairsFromStandardInput) {
    const std::string map = writeSimilarityMap();
    const std::string input = path("pairs.txt");
    {
        std::FILE* f = std::fopen(input.c_str(), "w");
        ASSERT_NE(f, nullptr);
        std::fputs("10 20\n\n  199\t0  \nnorth east\n1 2 3\n", f);
        std::fclose(f);
    }
    ASSERT_NE(std::freopen(input.c_str(), "r", stdin), nullptr);
    std::cin.clear();
    const ToolRun r = tlmCoord({map, "0x8000", "1:3"});
    ASSERT_NE(std::freopen("/dev/null", "r", stdin), nullptr);
    std::cin.clear();

    EXPECT_EQ(r.code, 1); // two lines were not pairs of numbers
    std::istringstream lines(r.out);
    std::string first, second, third;
    std::getline(lines, first);
    std::getline(lines, second);
    EXPECT_FALSE(std::getline(lines, third));
    EXPECT_NEAR(numbers(first)[1], 3500000 + 100, 1e-3);
    EXPECT_NEAR(numbers(second)[1], 3500000 + 1990, 1e-3);
}

TEST_F(TlmCoordCommand, ReportsFailuresAndBadArguments) {
    const std::string map = writeSimilarityMap();

    // A bitmap has no georeference: the status says so and the run fails.
    const std::vector<uint8_t> rows(16 * 16, 1);
    std::vector<RgbQuad> grey(256);
    const std::string bmp = path("picture.bmp");
    ASSERT_TRUE(RasterWriters::writeBmp(bmp, 16, 16, 8, grey, rows.data(), 16));
    ToolRun r = tlmCoord({bmp, "0x8000", "1", "1", "1"});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.out.find("0x80040001"), std::string::npos) << r.out;

    // UTM is never a source.
    r = tlmCoord({map, "4:32", "0x8000", "5500000", "500000"});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.out.find("0x80070057"), std::string::npos) << r.out;

    EXPECT_EQ(tlmCoord({path("missing.tlm"), "0x8000", "1", "1", "1"}).code, 1);
    EXPECT_EQ(tlmCoord({map, "0xZZ", "1", "1", "1"}).code, 2);
    EXPECT_EQ(tlmCoord({map, "1:x", "2", "1", "1"}).code, 2);
    EXPECT_EQ(tlmCoord({map, "0x8000", "1", "1"}).code, 2);
    EXPECT_EQ(tlmCoord({map, "0x8000", "1", "1", "north"}).code, 2);
    EXPECT_EQ(tlmCoord({map, "0x8000"}).code, 2);
}

} // namespace
