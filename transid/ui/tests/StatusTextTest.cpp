// The status text of the coordinate display and the dialog that chooses its
// systems.
#include "Registry.h"
#include "ShowCoord.h"
#include "TCoordSelectDialog.h"

#include <QGroupBox>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <string>

using Modul::ShowCoord;

namespace {

// A map library Gauss-Krüger position: a = northing, b = easting.
Coord gk(double easting, double northing) {
    Coord c{};
    c.type = 1;
    c.zone = 3;
    c.x = northing;
    c.y = easting;
    return c;
}

ShowCoord::Settings choice(int projected, int geographic) {
    ShowCoord::Settings s;
    s.projected = projected;
    s.geographic = geographic;
    return s;
}

class StatusText : public ::testing::Test {
protected:
    void SetUp() override { Transid::BuildRegistry(); }
};

} // namespace

TEST(DegMinSec, RoundingSignsAndLetters) {
    struct Case {
        double value;
        const char* letters;
        const char* expected;
        const char* legend;
    } cases[] = {
        {49.5, "NS", "49° 30' 00,0\" N", "half a degree is 30 minutes"},
        {-0.5, "OW", "0° 30' 00,0\" W", "west of Greenwich"},
        {7.999999, "OW", "8° 00' 00,0\" O", "rounds up into the next degree"},
        {0.0, "NS", "0° 00' 00,0\" N", "zero takes the first letter"},
        {8.0 + 1.0 / 3600 * 5.25, "OW", "8° 00' 05,3\" O", "tenths of a second rounded half up"},
        {50.0 + 59.0 / 60 + 59.96 / 3600, "NS", "51° 00' 00,0\" N", "59.96 seconds carry into the minute"},
        {-33.0 - 0.04 / 3600, "NS", "33° 00' 00,0\" S", ""},
        {-0.5 / 36000, "NS", "0° 00' 00,0\" N", "half a tenth south rounds up to zero, which is north"},
        {-33.0 - 0.06 / 3600, "NS", "33° 00' 00,1\" S", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ShowCoord::degMinSec(c.value, c.letters).toStdString(), std::string(c.expected)) << c.legend;
}

TEST_F(StatusText, EveryChoiceOfSystems) {
    // On the central meridian of strip 3: 9° E exactly.
    const Coord p = gk(3500000.0, 5600000.0);
    const QString geoDhdn = ShowCoord::statusText(p, choice(0, 1));

    EXPECT_EQ(ShowCoord::statusText(p, choice(0, 0)), QString()) << "nothing chosen, nothing shown";
    EXPECT_EQ(ShowCoord::statusText(p, choice(1, 0)),
              QStringLiteral("DHDN Gauß-Krüger Rechts:3500000.00 Hoch:5600000.00    "));

    const QRegularExpression dhdn(QStringLiteral("^Geographisch DHDN:50° 3\\d' \\d\\d,\\d\" N 9° 00' 00,0\" O$"));
    EXPECT_TRUE(dhdn.match(geoDhdn).hasMatch()) << geoDhdn.toStdString();

    const QString full = ShowCoord::statusText(p, choice(1, 1));
    EXPECT_EQ(full, QStringLiteral("DHDN Gauß-Krüger Rechts:3500000.00 Hoch:5600000.00    ") + geoDhdn);

    // UTM strip 32 has the same central meridian; the eastings carry the
    // strip in their millions, the datums differ by some tens of metres to
    // a couple of hundred.
    const QRegularExpression utm(
        QStringLiteral("^(ED50|ETRS89) UTM  E:(\\d+\\.\\d\\d) N:(\\d+\\.\\d\\d)    Geographisch (ED50|ETRS89):"));
    for (int projected : {2, 3}) {
        const QString text = ShowCoord::statusText(p, choice(projected, projected));
        const auto match = utm.match(text);
        ASSERT_TRUE(match.hasMatch()) << text.toStdString();
        const char* name = projected == 2 ? "ED50" : "ETRS89";
        EXPECT_EQ(match.captured(1), name);
        EXPECT_EQ(match.captured(4), name);
        EXPECT_NEAR(match.captured(2).toDouble(), 32500000.0, 200.0) << name;
        EXPECT_NEAR(match.captured(3).toDouble(), 5600000.0 - 5000.0, 5000.0) << name;
    }
    const QString ed50 = ShowCoord::statusText(p, choice(2, 0));
    const QString etrs = ShowCoord::statusText(p, choice(3, 0));
    EXPECT_NE(ed50.mid(ed50.indexOf(':')), etrs.mid(etrs.indexOf(':'))) << "two datums, two positions";

    // The geographic systems differ by their datum shift, a few seconds.
    const QString geoEd50 = ShowCoord::statusText(p, choice(0, 2));
    const QString geoEtrs = ShowCoord::statusText(p, choice(0, 3));
    EXPECT_TRUE(geoEd50.startsWith(QStringLiteral("Geographisch ED50:50° ")));
    EXPECT_NE(geoEd50.mid(geoEd50.indexOf(':')), geoEtrs.mid(geoEtrs.indexOf(':')));
    EXPECT_TRUE(ShowCoord::statusText(p, choice(0, 3)).startsWith(QStringLiteral("Geographisch ETRS89:50° ")));
}

TEST(TCoordSelectDialog, ControlsAndOkCancel) {
    ShowCoord::Settings settings = choice(2, 0);
    {
        TCoordSelectDialog dialog(settings);
        EXPECT_EQ(dialog.windowTitle(), "Koordinatenwahl");
        EXPECT_EQ(dialog.RadioGroup1->title(), "verebnete Koordinate");
        EXPECT_EQ(dialog.RadioGroup2->title(), "geographische Koordinate");
        EXPECT_EQ(dialog.rbGK->text(), "Gauß-Krüger");
        EXPECT_EQ(dialog.rbUTM_ED50->text(), "UTM-ED50");
        EXPECT_EQ(dialog.rbUTM_ETRS89->text(), "UTM-ETRS89");
        EXPECT_EQ(dialog.rbVerebnetKein->text(), "keine");
        EXPECT_EQ(dialog.rbDHDN->text(), "DHDN");
        EXPECT_EQ(dialog.rbED50->text(), "ED50");
        EXPECT_EQ(dialog.rbETRS89->text(), "ETRS89");
        EXPECT_EQ(dialog.rbGeoKein->text(), "keine");
        EXPECT_EQ(dialog.OKBtn->text(), "OK");
        EXPECT_TRUE(dialog.OKBtn->isDefault());
        EXPECT_EQ(dialog.CancelBtn->text(), "Abbrechen");
        // The current choice is checked, nothing else.
        EXPECT_TRUE(dialog.rbUTM_ED50->isChecked());
        EXPECT_FALSE(dialog.rbGK->isChecked());
        EXPECT_TRUE(dialog.rbGeoKein->isChecked());
        EXPECT_FALSE(dialog.rbDHDN->isChecked());

        // The two groups are independent.
        dialog.rbGK->click();
        dialog.rbETRS89->click();
        EXPECT_TRUE(dialog.rbGK->isChecked());
        EXPECT_TRUE(dialog.rbETRS89->isChecked());
        EXPECT_FALSE(dialog.rbUTM_ED50->isChecked());
        dialog.CancelBtn->click();
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
    }
    EXPECT_EQ(settings.projected, 2) << "Abbrechen changes nothing";
    EXPECT_EQ(settings.geographic, 0);

    for (int projected = 0; projected <= 3; ++projected) {
        for (int geographic = 0; geographic <= 3; ++geographic) {
            TCoordSelectDialog dialog(settings);
            QRadioButton* p[] = {dialog.rbVerebnetKein, dialog.rbGK, dialog.rbUTM_ED50, dialog.rbUTM_ETRS89};
            QRadioButton* g[] = {dialog.rbGeoKein, dialog.rbDHDN, dialog.rbED50, dialog.rbETRS89};
            p[projected]->click();
            g[geographic]->click();
            dialog.OKBtn->click();
            EXPECT_EQ(dialog.result(), QDialog::Accepted);
            EXPECT_EQ(settings.projected, projected);
            EXPECT_EQ(settings.geographic, geographic);
        }
    }
}
