#include "ProfileFile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

struct TempDir {
    TempDir() {
        char name[] = "/tmp/profiletestXXXXXX";
        path = mkdtemp(name);
    }
    ~TempDir() { std::filesystem::remove_all(path); }
    std::string path;
};

std::string contents(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

} // namespace

// Keys are found case-insensitively in their own section only; a value with
// commas stays one string; other sections and keys survive a write.
TEST(ProfileFile, ReadsAndRewritesKeysInPlace) {
    TempDir dir;
    const std::string ini = dir.path + "/TOLM.INI";
    {
        std::ofstream out(ini);
        out << "[Ports]\nCOM1 = "
               "/dev/pts/7\nPort=elsewhere\n\n[nmea]\r\nport=COM1:4800,n,8,1\r\nFlags=2\n[Other]\nX=1\n";
    }
    EXPECT_EQ(ProfileFile::read(ini, "Ports", "com1"), "/dev/pts/7");
    EXPECT_EQ(ProfileFile::read(ini, "NMEA", "Port"), "COM1:4800,n,8,1");
    EXPECT_EQ(ProfileFile::read(ini, "NMEA", "Missing", "3"), "3");
    EXPECT_EQ(ProfileFile::read(dir.path + "/none.ini", "NMEA", "Port", "d"), "d");

    ASSERT_TRUE(ProfileFile::write(ini, "NMEA", "Port", "COM2:9600,e,8,1"));
    ASSERT_TRUE(ProfileFile::write(ini, "NMEA", "Application", "/usr/bin/gpslink"));
    ASSERT_TRUE(ProfileFile::write(ini, "New", "Key", ""));
    EXPECT_EQ(ProfileFile::read(ini, "NMEA", "Port"), "COM2:9600,e,8,1");
    EXPECT_EQ(ProfileFile::read(ini, "NMEA", "Flags"), "2");
    EXPECT_EQ(ProfileFile::read(ini, "NMEA", "Application"), "/usr/bin/gpslink");
    EXPECT_EQ(ProfileFile::read(ini, "Ports", "Port"), "elsewhere");
    EXPECT_EQ(ProfileFile::read(ini, "Other", "X"), "1");
    const std::string text = contents(ini);
    // The new key went into its own section, before the next one.
    EXPECT_LT(text.find("Application="), text.find("[Other]"));
    EXPECT_NE(text.find("[New]\r\nKey=\r\n"), std::string::npos);
    // No temporary file is left behind.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path), std::filesystem::directory_iterator()), 1);
}
