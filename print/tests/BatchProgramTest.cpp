// The program itself printing to PDF from the command line, on the
// offscreen platform: a written page with exit code 0, and every failure
// with a German message on stderr and a non-zero exit code.
#include "PrintTestSupport.h"
#include "SingleInstance.h"

#include <QFileInfo>
#include <QLocalServer>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

struct Result {
    int exitCode = -1;
    QString errors;
};

QProcessEnvironment viewerEnvironment(const QString& sysconf) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "offscreen");
    environment.insert("VISTREL_INSTANCE_KEY", QString("print-batch-%1").arg(getpid()));
    environment.insert("VISTREL_SYSCONFDIR", sysconf);
    environment.remove("VISTREL_DATA");
    return environment;
}

Result runViewer(const QStringList& arguments) {
    QTemporaryDir sysconf;
    QProcess viewer;
    viewer.setProcessEnvironment(viewerEnvironment(sysconf.path()));
    viewer.start(QStringLiteral(VISTREL_PROGRAM), arguments);
    Result result;
    if (!viewer.waitForFinished(120000)) {
        viewer.kill();
        viewer.waitForFinished();
        return result;
    }
    result.exitCode = viewer.exitStatus() == QProcess::NormalExit ? viewer.exitCode() : -2;
    result.errors = QString::fromUtf8(viewer.readAllStandardError());
    return result;
}

} // namespace

TEST(BatchPrint, PrintsTheViewAndEnds) {
    const QString medium = PrintTestSupport::demoMedium();
    ASSERT_FALSE(medium.isEmpty());
    double e = 0;
    double n = 0;
    ASSERT_TRUE(PrintTestSupport::demoCentre(e, n));
    const QString centre = QString("%1,%2").arg(e, 0, 'f', 0).arg(n, 0, 'f', 0);
    QTemporaryDir out;

    const QString portrait = out.filePath("portrait.pdf");
    const Result scale = runViewer({"--data", medium, "--print-pdf", portrait, "--scale", "25000", "--centre", centre,
                                    "--map", "3", "--dpi", "150"});
    EXPECT_EQ(scale.exitCode, 0) << scale.errors.toStdString();
    const QImage upright = PrintTestSupport::renderPdf(portrait, 30);
    ASSERT_FALSE(upright.isNull()) << "a PDF page was written";
    EXPECT_LT(upright.width(), upright.height());

    const QString landscape = out.filePath("landscape.pdf");
    const Result content =
        runViewer({"--data", medium, "--print-pdf=" + landscape, "--scale", "0", "--landscape", "--dpi", "150"});
    EXPECT_EQ(content.exitCode, 0) << content.errors.toStdString();
    const QImage lying = PrintTestSupport::renderPdf(landscape, 30);
    ASSERT_FALSE(lying.isNull());
    EXPECT_GT(lying.width(), lying.height());
}

TEST(BatchPrint, PrintsBesideAnOpenViewer) {
    const QString medium = PrintTestSupport::demoMedium();
    ASSERT_FALSE(medium.isEmpty());
    QTemporaryDir sysconf;
    QProcess open;
    open.setProcessEnvironment(viewerEnvironment(sysconf.path()));
    open.start(QStringLiteral(VISTREL_PROGRAM), {"--data", medium});
    ASSERT_TRUE(open.waitForStarted(10000));
    // Until the open viewer is up and answers as the one instance.
    EXPECT_FALSE(open.waitForFinished(3000)) << "the viewer keeps running";

    QTemporaryDir out;
    const Result result = runViewer({"--data", medium, "--print-pdf", out.filePath("beside.pdf"), "--dpi", "100"});
    EXPECT_EQ(result.exitCode, 0) << result.errors.toStdString();
    EXPECT_TRUE(QFileInfo::exists(out.filePath("beside.pdf"))) << "printed, not handed over";
    EXPECT_EQ(open.state(), QProcess::Running);
    open.kill();
    open.waitForFinished(10000);
    // A killed viewer leaves its socket file behind.
    qputenv("VISTREL_INSTANCE_KEY", QString("print-batch-%1").arg(getpid()).toUtf8());
    QLocalServer::removeServer(SingleInstance::serverName("vistrel (32-Bit-Version)"));
}

TEST(BatchPrint, FailuresSayWhyInGerman) {
    const QString medium = PrintTestSupport::demoMedium();
    ASSERT_FALSE(medium.isEmpty());
    QTemporaryDir out;
    const QString pdf = out.filePath("x.pdf");
    struct Case {
        QStringList arguments;
        const char* message;
        const char* legend;
    } const cases[] = {
        {{"--data", medium, "--print-pdf", pdf, "--scale", "abc"}, "Ungültiger Maßstab", "scale not a number"},
        {{"--data", medium, "--print-pdf", pdf, "--scale", "-5"}, "Ungültiger Maßstab", "negative scale"},
        {{"--data", medium, "--print-pdf"}, "--print-pdf", "no file name"},
        {{"--data", medium, "--print-pdf", pdf, "--centre", "12"}, "Ungültiger Mittelpunkt", "one value"},
        {{"--data", medium, "--print-pdf", pdf, "--centre", "3000000,5000000"},
         "liegt nicht auf der Karte",
         "centre off the map"},
        {{"--data", medium, "--print-pdf", pdf, "--map", "9"}, "Karte 9 gibt es nicht", "no such map"},
        {{"--data", medium, "--print-pdf", "/nonexistent-folder/x.pdf"},
         "konnte nicht geschrieben werden",
         "file not writable"},
        {{"--data", out.filePath("nothing-here"), "--print-pdf", pdf}, "nichts gedruckt", "no data medium"},
    };
    for (const Case& c : cases) {
        const Result result = runViewer(c.arguments);
        EXPECT_GT(result.exitCode, 0) << c.legend;
        EXPECT_TRUE(result.errors.contains(QString::fromUtf8(c.message)))
            << c.legend << ": " << result.errors.toStdString();
        EXPECT_FALSE(QFileInfo::exists(pdf)) << c.legend;
    }
}
