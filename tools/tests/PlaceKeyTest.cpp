#include "PlaceKey.h"

#include "Cp1252.h"

#include <gtest/gtest.h>

// Capitals as the 8-bit place search makes them: one character for one, and
// a letter without a capital in Windows-1252 stays.
TEST(PlaceKey, CapitalsCharacterByCharacterInWindows1252) {
    EXPECT_EQ(PlaceKey::upper(QStringLiteral("mai")), QStringLiteral("MAI"));
    EXPECT_EQ(PlaceKey::upper(QStringLiteral("großschönau")), QStringLiteral("GROßSCHÖNAU"));
    EXPECT_EQ(PlaceKey::upper(QStringLiteral("äöü éèç")), QStringLiteral("ÄÖÜ ÉÈÇ"));
    // ÿ, š, ž and œ have capitals in the code page; µ has none (its capital
    // is the Greek Mu).
    EXPECT_EQ(PlaceKey::upper(QStringLiteral("ÿšžœµ")), QStringLiteral("ŸŠŽŒµ"));
    // The bytes keep their number, so a prefix stays a prefix of the key.
    const QString text = QStringLiteral("Weißenstraße-Nord 3");
    EXPECT_EQ(Cp1252::encode(PlaceKey::upper(text)).size(), Cp1252::encode(text).size());
}
