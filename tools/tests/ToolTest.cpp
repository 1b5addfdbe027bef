// vistrel-tool as a user runs it: the HDB commands on the medium's scrambled
// databases and on plain files, the map commands on written maps, and what
// it says about bad option values, missing and damaged files.
#include "TlmWriter.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

struct Result {
    int status;
    std::string out;
    bool has(const std::string& text) const { return out.find(text) != std::string::npos; }
};

// Runs a shell command line; standard output and error together.
Result run(const std::string& command) {
    Result r{-1, {}};
    std::FILE* p = ::popen((command + " 2>&1").c_str(), "r");
    if (!p)
        return r;
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0)
        r.out.append(buf, n);
    const int status = ::pclose(p);
    r.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

// The tool of the same build: named by the test environment, else beside
// this test program's folder (build/<preset>/tests → build/<preset>/bin).
std::string tool() {
    if (const char* dir = std::getenv("VISTREL_BIN_DIR"))
        return std::string(dir) + "/vistrel-tool";
    std::error_code ec;
    const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    return (self.parent_path().parent_path() / "bin" / "vistrel-tool").string();
}

class Tool : public ::testing::Test {
protected:
    void SetUp() override {
        m_dir = std::filesystem::temp_directory_path() / ("vistrel-tool-" + std::to_string(::getpid()));
        std::filesystem::create_directories(m_dir);
        t = tool();
        ASSERT_TRUE(std::filesystem::exists(t)) << t;
    }
    void TearDown() override { std::filesystem::remove_all(m_dir); }

    std::string path(const std::string& name) const { return (m_dir / name).string(); }
    void write(const std::string& name, const std::string& bytes) const {
        std::ofstream(path(name), std::ios::binary) << bytes;
    }
    std::string read(const std::string& name) const {
        std::ifstream in(path(name), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    // A place table as the medium has it, from tab-separated lines.
    std::string places(const std::string& name, const std::string& extra = {}) {
        write("places.tsv", "GROßAU\t1\nGROSSENBACH\t2\nMÜNSTER\t3\nMAINZ\t4\nKASSEL\t5\n");
        const Result r =
            run(t + " hdb-build " + path(name) + " --fields ORT:C30,RELATION:N6" + extra + " < " + path("places.tsv"));
        EXPECT_EQ(r.status, 0) << r.out;
        return path(name);
    }
    // A map of 25 m pixels in strip 3: 200 × 100 pixels from easting
    // 3 400 000 and northing 5 600 000 at the top left.
    std::string map() const {
        TlmWriter::Options o;
        o.variant = TlmWriter::Variant::C;
        o.tileWidth = 64;
        o.tileHeight = 64;
        for (int i = 0; i < 256; ++i)
            o.palette.push_back(RgbQuad{uint8_t(i), uint8_t(i), uint8_t(255 - i), 0});
        o.georef.kind = 1;
        o.georef.zone = 3;
        o.georef.r[0] = 3400000;
        o.georef.r[1] = 3405000;
        o.georef.r[2] = 5600000;
        o.georef.r[3] = 5597500;
        std::vector<uint8_t> pixels(200 * 100);
        for (std::size_t i = 0; i < pixels.size(); ++i)
            pixels[i] = uint8_t(i % 251);
        const std::string file = path("map.tlm");
        std::string error;
        EXPECT_TRUE(TlmWriter::write(file, 200, 100, pixels.data(), 200, o, &error)) << error;
        return file;
    }

    std::string t;
    std::filesystem::path m_dir;
};

TEST_F(Tool, HdbCommandsUseTheMediumCodeWordByDefault) {
    const std::string scrambled = places("WOPLA1.HDB");
    // Read without naming a code word, as the medium's files are.
    Result r = run(t + " hdb-info " + scrambled);
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_TRUE(r.has("records: 5")) << r.out;
    EXPECT_EQ(run(t + " hdb-dump " + scrambled + " --codeword Kennmark").status, 0);
    // The default is the medium's word: the file is not plain.
    r = run(t + " hdb-dump " + scrambled + " --codeword ''");
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.has("another code word")) << r.out;

    // '' writes and reads plain files; their blocks are readable text.
    const std::string plain = places("PLAIN.HDB", " --codeword ''");
    EXPECT_NE(read("PLAIN.HDB").find("RELATION"), std::string::npos);
    EXPECT_EQ(read("WOPLA1.HDB").find("RELATION"), std::string::npos);
    r = run(t + " hdb-dump " + plain + " --codeword ''");
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_TRUE(r.has("MAINZ\t4")) << r.out;

    // The help names the word and the way to plain files.
    r = run(t + " help");
    EXPECT_TRUE(r.has("\"Kennmark\"")) << r.out;
    EXPECT_TRUE(r.has("--codeword ''")) << r.out;
}

TEST_F(Tool, PrefixSearchComparesInCapitalsAsThePlaceSearch) {
    const std::string file = places("WOPLA1.HDB");
    Result r = run(t + " hdb-find " + file + " groß --prefix");
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_TRUE(r.has("GROßAU\t1")) << r.out;
    EXPECT_FALSE(r.has("GROSSENBACH")) << r.out; // ß is not "SS"
    r = run(t + " hdb-find " + file + " mü --prefix");
    EXPECT_TRUE(r.has("MÜNSTER\t3")) << r.out;
    r = run(t + " hdb-find " + file + " Mai --prefix");
    EXPECT_TRUE(r.has("MAINZ\t4")) << r.out;
}

TEST_F(Tool, MissingDamagedAndForeignFilesAreToldApart) {
    const std::string file = places("WOPLA1.HDB");
    const std::string whole = read("WOPLA1.HDB");
    write("CUT.HDB", whole.substr(0, 200)); // header and fields, no page
    write("TEXT.HDB", "ORT;RELATION\nMAINZ;4\n");
    Result missing = run(t + " hdb-dump " + path("NONE.HDB"));
    Result damaged = run(t + " hdb-dump " + path("CUT.HDB"));
    Result foreign = run(t + " hdb-find " + path("TEXT.HDB") + " MA");
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(damaged.status, 1);
    EXPECT_EQ(foreign.status, 1);
    EXPECT_TRUE(missing.has("no such file")) << missing.out;
    EXPECT_TRUE(damaged.has("damaged")) << damaged.out;
    EXPECT_TRUE(foreign.has("not an HDB file")) << foreign.out;
    EXPECT_TRUE(run(t + " hdb-info " + m_dir.string()).has("is a directory"));

    const std::string tlm = map();
    const std::string bytes = read("map.tlm");
    write("cut.tlm", bytes.substr(0, bytes.size() - 10));
    for (const char* command : {" tlm-info ", " tlm-coord "}) {
        const std::string args = std::string(command) == " tlm-coord " ? " 0x8000 1 1 1" : "";
        missing = run(t + command + path("none.tlm") + args);
        damaged = run(t + command + path("cut.tlm") + args);
        EXPECT_EQ(missing.status, 1) << command;
        EXPECT_EQ(damaged.status, 1) << command;
        EXPECT_TRUE(missing.has("no such file")) << missing.out;
        EXPECT_TRUE(damaged.has("damaged")) << damaged.out;
    }
    EXPECT_TRUE(run(t + " tlm-render " + path("none.tlm") + " -o " + path("x.png")).has("no such file"));
}

TEST_F(Tool, BadOptionValuesNameTheOptionAndWhy) {
    const std::string tlm = map();
    const std::string render = t + " tlm-render " + tlm + " -o " + path("out.png");
    struct Case {
        std::string args, expect;
    };
    const std::vector<Case> cases = {
        {" --zoom abc", "--zoom abc: must be a number above 0"},
        {" --zoom 0", "--zoom 0: must be a number above 0"},
        {" --size 0x0", "--size 0x0: width and height must lie between 1 and 16384"},
        {" --size 100000x100000", "--size 100000x100000: width and height must lie between 1 and 16384"},
        {" --size big", "--size big: must be WxH"},
        {" --dimmer 256", "--dimmer 256: must be a whole number 0..255"},
        {" --origin 1", "--origin 1: must be X,Y"},
        {" --layers -1", "--layers -1: must be a layer mask"},
        {" --dimmer", "--dimmer needs a value"},
    };
    for (const Case& c : cases) {
        const Result r = run(render + c.args);
        EXPECT_EQ(r.status, 2) << c.args;
        EXPECT_TRUE(r.has(c.expect)) << c.args << ": " << r.out;
        EXPECT_FALSE(r.has("give --size")) << c.args << ": " << r.out;
    }
    EXPECT_FALSE(std::filesystem::exists(path("out.png")));
    const std::string file = places("WOPLA1.HDB");
    Result r = run(t + " hdb-dump " + file + " --count -1");
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.has("--count -1: must be a whole number of records, 0 or more")) << r.out;
    r = run(t + " hdb-dump " + file + " --from 0");
    EXPECT_TRUE(r.has("--from 0: must be a record number, 1 or more")) << r.out;
    // A seed that is not a number used to end the tool with an uncaught
    // exception.
    r = run(t + " make-medium " + path("medium") + " --seed abc");
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.has("--seed abc: must be a whole number")) << r.out;
    r = run(t + " make-medium " + path("medium") + " --size huge");
    EXPECT_TRUE(r.has("--size huge: must be small, medium or large")) << r.out;
    EXPECT_FALSE(std::filesystem::exists(path("medium")));
    r = run(t + " tlm-write " + path("in.png") + " " + path("out.tlm") + " --tile 0x64");
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.has("--tile 0x64: must be WxH with width and height 1..32767")) << r.out;
    // The help documents the ranges.
    r = run(t + " help");
    EXPECT_TRUE(r.has("D 0..255 (255 full brightness, 0 black)")) << r.out;
}

TEST_F(Tool, RenderWritesTheFormatOfTheFileEnding) {
    const std::string tlm = map();
    Result r = run(t + " tlm-render " + tlm + " -o " + path("x.jpg") + " --size 64x32");
    ASSERT_EQ(r.status, 0) << r.out;
    const std::string jpeg = read("x.jpg");
    ASSERT_GE(jpeg.size(), 3u);
    EXPECT_EQ(jpeg.substr(0, 3), std::string("\xFF\xD8\xFF"));
    r = run(t + " tlm-render " + tlm + " -o " + path("x.PNG") + " --size 64x32");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(read("x.PNG").substr(1, 3), "PNG");
    r = run(t + " tlm-render " + tlm + " -o " + path("x.gif") + " --size 64x32");
    EXPECT_EQ(r.status, 2);
    EXPECT_TRUE(r.has("writes .png, .jpg, .bmp or .ppm pictures only")) << r.out;
    EXPECT_FALSE(std::filesystem::exists(path("x.gif")));
}

TEST_F(Tool, CoordPrintsZonesRejectsUnknownTypesAndMarksOutsidePoints) {
    const std::string tlm = map();
    // Pixel (100, 50): 2500 m east and 1250 m south of the top left corner.
    Result r = run(t + " tlm-coord " + tlm + " 0x8000 1 100 50");
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_TRUE(r.has("5598750.0000 3402500.0000 0x00000000 zone 3\n")) << r.out;
    // UTM: the easting does not carry the zone, the line does.
    r = run(t + " tlm-coord " + tlm + " 0x8000 4 100 50");
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_TRUE(r.has(" zone 32\n")) << r.out;
    // Geographic results have no zone.
    r = run(t + " tlm-coord " + tlm + " 0x8000 2 100 50");
    EXPECT_FALSE(r.has("zone")) << r.out;

    for (const char* bad : {"7", "0", "0xC000", "0x8001", "0xDFF6"}) {
        r = run(t + " tlm-coord " + tlm + " " + bad + " 1 1 1");
        EXPECT_EQ(r.status, 2) << bad;
        EXPECT_TRUE(r.has("unknown type code " + std::string(bad))) << r.out;
        EXPECT_EQ(run(t + " tlm-coord " + tlm + " 1 " + bad + " 5598750 3402500").status, 2) << bad;
    }
    // Beyond the map: a Gauss-Krüger point east of it, and a pixel beyond
    // the right edge, which is taken at the edge.
    r = run(t + " tlm-coord " + tlm + " 1 0x8000 5598750 3410000");
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(r.has("0x00040001 outside the map")) << r.out;
    r = run(t + " tlm-coord " + tlm + " 0x8000 1 500 50 100 50");
    EXPECT_TRUE(r.has("3405000.0000 0x00000000 zone 3 outside the map (taken at its edge)\n")) << r.out;
    EXPECT_TRUE(r.has("3402500.0000 0x00000000 zone 3\n")) << r.out;
}

} // namespace
