// The overlay file module in the real start-up on the demo medium: its
// formats are registered in start-up order, the medium's autoload.qvo is
// loaded once the drawing page's frame is attached, files named on the
// command line go into the tree, and closing asks about unsaved changes.

#include "AppInitModule.h"
#include "DrawTreeItem.h"
#include "FileArguments.h"
#include "MainMapModule.h"
#include "MainWindow.h"
#include "ModulBasis.h"
#include "OverlayFiles.h"
#include "ScriptedDialogs.h"
#include "UserDrawFileTypes.h"
#include "ZeichnenAuswahlFrame.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>
#include <unistd.h>

using Platform::MsgResult;

TEST(OverlayFilesStartup, FormatsAutoloadCommandLineAndClosing) {
    qputenv("VISTREL_INSTANCE_KEY", QByteArray("overlay-files-test-") + QByteArray::number(getpid()));
    QTemporaryDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    QSettings::setPath(QSettings::NativeFormat, QSettings::SystemScope, settings.path());
    Platform::ScriptedDialogs dialogs;
    TAppInitModule::Options options;
    options.places = DataMedium::SearchPlaces{};
    options.places->commandLine = QStringLiteral(VISTREL_TEST_MEDIUM_DIR);
    TAppInitModule init(options);
    struct Cleanup {
        ~Cleanup() {
            UserDraw::resetFrameLink();
            delete MainMapModule::instance();
        }
    } cleanup;
    ASSERT_TRUE(init.initApp());
    TMainWindow* window = init.basis()->mainWindow();
    window->show();

    namespace FileTypes = UserDraw::FileTypes;
    ASSERT_EQ(FileTypes::loaders().size(), 2u);
    ASSERT_EQ(FileTypes::savers().size(), 2u);
    EXPECT_EQ(FileTypes::loaders()[0]->extension(), QStringLiteral("gpx")) << "GPX first, in both lists";
    EXPECT_EQ(FileTypes::savers()[0]->extension(), QStringLiteral("gpx"));

    // Without the drawing page's frame a drawing on the command line is reported.
    QTemporaryDir dir;
    const QString gpx = dir.path() + QStringLiteral("/tour.gpx");
    {
        QFile f(gpx);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("<?xml version=\"1.0\" encoding=\"UTF-8\"?><gpx version=\"1.1\"><wpt lat=\"48.5\" lon=\"8.5\">"
                "<name>Gipfelkreuz</name></wpt></gpx>");
    }
    EXPECT_EQ(FileArguments::open({gpx}, window), 0);
    ASSERT_EQ(dialogs.messages.size(), 1);
    EXPECT_TRUE(dialogs.messages[0].text.contains(QStringLiteral("tour.gpx")));

    // The frame, as the drawing page makes it: attaching it runs the autoload.
    auto* frame = new TZeichnenAuswahlFrame(window);
    UserDraw::setFrameProvider([frame] { return frame; });
    UserDraw::attachFrame(frame);
    QStringList folders;
    for (int i = 0; i < frame->root()->childCount(); ++i)
        folders << frame->root()->child(i)->text(0);
    EXPECT_EQ(folders, QStringList({"Orte", "Gewässer", "Sehenswertes"})) << "the demo medium's autoload.qvo";
    int elements = 0;
    for (int i = 0; i < frame->root()->childCount(); ++i)
        elements += frame->root()->child(i)->childCount();
    EXPECT_GE(elements, 5);
    EXPECT_EQ(frame->changeCount(), 0);

    EXPECT_EQ(FileArguments::open({gpx}, window), 1) << "an unchanged tree is replaced without asking";
    EXPECT_EQ(dialogs.messages.size(), 1);
    ASSERT_EQ(frame->root()->childCount(), 1);
    EXPECT_EQ(frame->root()->child(0)->text(0), QStringLiteral("Gipfelkreuz"));

    // Unsaved changes: closing asks; Cancel keeps the program open, No closes it.
    frame->countNewElement();
    dialogs.messageAnswers = {MsgResult::Cancel};
    EXPECT_FALSE(window->close());
    ASSERT_EQ(dialogs.messages.size(), 2);
    EXPECT_TRUE(dialogs.messages[1].text.startsWith(QStringLiteral("Es sind noch ungespeicherte Änderungen")));
    dialogs.messageAnswers = {MsgResult::No};
    EXPECT_TRUE(window->close());
    EXPECT_EQ(dialogs.messages.size(), 3) << "no second question about closing the program";
}
