// The command-line subcommands hdb-build, hdb-info, hdb-dump and hdb-find,
// run as a user runs them, and the text forms they share.
#include "HdbTestUtil.h"

#include <HDBFormat.h>
#include <HDBTsv.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <sys/wait.h>

using namespace HdbTestUtil;

namespace {

struct Result {
    int status;
    std::string out;
};

Result run(const std::string& command) {
    Result r{-1, {}};
    std::FILE* p = ::popen(command.c_str(), "r");
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
    const auto candidate = self.parent_path().parent_path() / "bin" / "vistrel-tool";
    return !ec && std::filesystem::exists(candidate) ? candidate.string() : std::string();
}

} // namespace

TEST(HDBTsv, ParsesFieldSpecs) {
    std::vector<HDBFieldDef> f;
    std::string error;
    ASSERT_TRUE(HDBTsv::parseFieldSpec("ORT:C30,RELATION:n6,R_WERT:N12.2,KAT:B", f, error)) << error;
    ASSERT_EQ(f.size(), 4u);
    EXPECT_EQ(f[0].type, HDBFormat::TypeText);
    EXPECT_EQ(f[0].length, 30);
    EXPECT_EQ(f[1].type, HDBFormat::TypeNumber);
    EXPECT_EQ(f[2].decimals, 2);
    EXPECT_EQ(f[3].type, HDBFormat::TypeByte);
    EXPECT_EQ(HDBTsv::fieldSpec(f[2]), "R_WERT:N12.2");
    for (const char* bad : {"", "ORT", "ORT:", ":C3", "ORT:C0", "ORT:C256", "ORT:X3", "ORT:N3.x", "A:C3,,B:C3"})
        EXPECT_FALSE(HDBTsv::parseFieldSpec(bad, f, error)) << bad;
    EXPECT_EQ(HDBTsv::unescape(HDBTsv::escape("a\tb\\n\nc\r")), "a\tb\\n\nc\r");
    EXPECT_EQ(HDBTsv::splitLine("a\t\tb").size(), 3u);
}

TEST(HDBTool, BuildsInspectsDumpsAndFinds) {
    const std::string t = tool();
    if (t.empty())
        GTEST_SKIP() << "vistrel-tool not built";
    TempDir dir;
    const std::string tsv = dir.file("in.tsv");
    {
        std::FILE* f = std::fopen(tsv.c_str(), "w");
        std::fputs("MAINZ\t12\t3441234.5\nMÜNSTER\t7\t3400000\nKASSEL\t3\t3500000.25\nMAINTAL\t99\t1\n"
                   "MAIN\\tTAB\t5\t2\n",
                   f);
        std::fclose(f);
    }
    const std::string out = dir.file("W.HDB");
    const std::string spec = " --fields ORT:C30,RELATION:N6,R_WERT:N10.2 --codeword Kennmark";
    Result r = run(t + " hdb-build " + out + spec + " < " + tsv + " 2>&1");
    ASSERT_EQ(r.status, 0) << r.out;

    r = run(t + " hdb-info " + out + " --codeword Kennmark");
    ASSERT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("records: 5\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("record size: 44 bytes"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("tree depth: 1"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("IntegerField           30     4  RELATION:N6"), std::string::npos) << r.out;
    EXPECT_EQ(run(t + " hdb-info " + out + " --codeword '' 2>/dev/null").status, 1); // read as a plain file

    r = run(t + " hdb-find " + out + " MAI --prefix --codeword Kennmark");
    ASSERT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "RecNo\tORT\tRELATION\tR_WERT\n2\tMAIN\\tTAB\t5\t2\n3\tMAINTAL\t99\t1\n4\tMAINZ\t12\t3441234.5\n");
    r = run(t + " hdb-find " + out + " MB --codeword Kennmark");
    EXPECT_EQ(r.out, "RecNo\tORT\tRELATION\tR_WERT\n5\tMÜNSTER\t7\t3400000\n");
    EXPECT_EQ(run(t + " hdb-find " + out + " ZZ --codeword Kennmark 2>/dev/null").status, 1);

    // A dump builds the same file again.
    const std::string dump = dir.file("dump.tsv");
    ASSERT_EQ(run(t + " hdb-dump " + out + " --codeword Kennmark > " + dump).status, 0);
    const std::string copy = dir.file("X.HDB");
    ASSERT_EQ(run(t + " hdb-build " + copy + spec + " < " + dump + " 2>&1").status, 0);
    const Result a = run(t + " hdb-dump " + out + " --codeword Kennmark --from 2 --count 2");
    const Result b = run(t + " hdb-dump " + copy + " --codeword Kennmark --from 2 --count 2");
    EXPECT_EQ(a.out, "ORT\tRELATION\tR_WERT\nMAIN\\tTAB\t5\t2\nMAINTAL\t99\t1\n");
    EXPECT_EQ(a.out, b.out);

    // Wrong usage and values that do not fit leave no file behind.
    EXPECT_EQ(run(t + " hdb-build " + dir.file("Y.HDB") + " --fields ORT:Q3 < " + tsv + " 2>/dev/null").status, 2);
    EXPECT_EQ(
        run(t + " hdb-build " + dir.file("Y.HDB") + " --fields ORT:C3,A:N2,B:N2 < " + tsv + " 2>/dev/null").status, 1);
    EXPECT_FALSE(std::filesystem::exists(dir.file("Y.HDB")));
}
