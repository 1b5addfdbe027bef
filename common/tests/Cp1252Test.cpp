#include "Cp1252.h"

#include <gtest/gtest.h>

TEST(Cp1252, EveryByteRoundTripsAndGermanTextDecodes) {
    std::string all;
    for (int b = 0; b < 256; ++b)
        all.push_back(static_cast<char>(b));
    const QString text = Cp1252::decode(all);
    ASSERT_EQ(text.size(), 256);
    EXPECT_EQ(Cp1252::encode(text), all);

    EXPECT_EQ(Cp1252::decode("M\xFC" "nchen \xDF\x80\x84\x93"), QString::fromUtf8("München ß€„“"));
    EXPECT_EQ(text.at(0xFF), QChar(0x00FF)); // ÿ is an ordinary character
    EXPECT_EQ(text.at(0x81), QChar(0x0081));
    EXPECT_EQ(text.at(0x9F), QChar(0x0178));
}

TEST(Cp1252, CharactersOutsideTheCodePageBecomeQuestionMarks) {
    EXPECT_EQ(Cp1252::encode(QString::fromUtf8("Łódź €")), std::string("?\xF3" "d? \x80"));
    EXPECT_EQ(Cp1252::encodeChar(0x20AC), 0x80);
    EXPECT_EQ(Cp1252::encodeChar(0x0100), -1);
    EXPECT_EQ(Cp1252::encode(QString()), std::string());
}
