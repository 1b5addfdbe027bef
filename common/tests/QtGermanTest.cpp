#include "QtGerman.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

// The standard dialogs take their button texts from Qt's catalogue; with the
// German one loaded, "Cancel" of a dialog button box reads "Abbrechen".
TEST(QtGerman, StandardDialogTextsAreGerman) {
    int argc = 1;
    char name[] = "common_tests";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Cancel"));
    ASSERT_TRUE(QtGerman::install(app));
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Abbrechen"));
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "File &name:"), QStringLiteral("Datei&name:"));
}
