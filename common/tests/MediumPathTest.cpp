#include "MediumPath.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {
void touch(const QString& path) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
}
} // namespace

TEST(MediumPath, ResolvesEveryComponentIgnoringCase) {
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    const QString root = tmp.path();
    ASSERT_TRUE(QDir(root).mkpath("KARTEN/Sub"));
    touch(root + "/KARTEN/CD.TXT");
    touch(root + "/KARTEN/Sub/Blatt1.TLM");

    EXPECT_EQ(MediumPath::resolve(root, "KARTEN/CD.TXT"), root + "/KARTEN/CD.TXT");
    EXPECT_EQ(MediumPath::resolve(root, "karten/cd.txt"), root + "/KARTEN/CD.TXT");
    EXPECT_EQ(MediumPath::resolve(root, "Karten/SUB/blatt1.tlm"), root + "/KARTEN/Sub/Blatt1.TLM");
    EXPECT_EQ(MediumPath::resolve(root, "karten//./cd.txt"), root + "/KARTEN/CD.TXT");
    EXPECT_EQ(MediumPath::resolve(root, "karten/missing.txt"), QString());
    EXPECT_EQ(MediumPath::resolve(root, "nothere/cd.txt"), QString());
    EXPECT_EQ(MediumPath::resolve(root + "/karten/sub/BLATT1.tlm"), root + "/KARTEN/Sub/Blatt1.TLM");
    EXPECT_EQ(MediumPath::resolve(root + "/nope", "cd.txt"), QString());
    EXPECT_EQ(MediumPath::resolve(std::string((root + "/karten/cd.TXT").toStdString())),
              (root + "/KARTEN/CD.TXT").toStdString());
}

TEST(MediumPath, ExactMatchWinsOverCaseFoldedOne) {
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    touch(tmp.path() + "/map.tlm");
    touch(tmp.path() + "/MAP.TLM");
    EXPECT_EQ(MediumPath::resolve(tmp.path(), "MAP.TLM"), tmp.path() + "/MAP.TLM");
    EXPECT_EQ(MediumPath::resolve(tmp.path(), "map.tlm"), tmp.path() + "/map.tlm");
}
