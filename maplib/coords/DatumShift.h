#pragma once

// Shift of geographic coordinates from WGS84 to DHDN. It is the linearised
// (Molodensky-style) form of the seven-parameter transformation between the
// two datums, applied directly to latitude and longitude, with no heights:
// fast, and within a few decimetres of the exact geocentric transformation
// over Germany.
namespace MapCoords::DatumShift {

struct Geographic {
    double longitude; // degrees
    double latitude;  // degrees
};

// The seven parameters, WGS84 → DHDN, as a geocentric shift of the WGS84
// position: translations in metres, rotations in radians (coordinate frame
// rotation), scale as a fraction.
constexpr double Dx = -582.0;
constexpr double Dy = -105.0;
constexpr double Dz = -414.0;
constexpr double Ex = 5.042062283539174e-6;
constexpr double Ey = 1.696847883883376e-6;
constexpr double Ez = -1.4932261378173708e-5;
constexpr double Scale = -8.3e-6;

Geographic wgs84ToDhdn(double longitude, double latitude);

} // namespace MapCoords::DatumShift
