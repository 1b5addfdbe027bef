#pragma once

// Gauss-Krüger on the Bessel ellipsoid (DHDN), 3° strips, as the map files
// and databases of the medium store their positions. The series are the
// usual ones of German survey practice (meridian arc and footpoint latitude
// expanded in sin 2φ .. sin 8φ, transverse terms up to l⁵); they are good to
// millimetres inside a strip, which is far more than a generated medium
// needs. Kept private to the medium generator so that it depends on no other
// coordinate code.
namespace MediumGk {

// Geographic DHDN longitude/latitude in degrees to northing and easting
// (easting with zone × 1 000 000 + 500 000) in strip `zone`.
void forward(double lonDeg, double latDeg, int zone, double& northing, double& easting);

// Northing and easting to longitude/latitude; the zone is taken from the
// easting's millions.
void inverse(double northing, double easting, double& lonDeg, double& latDeg);

// A position of one strip expressed in another strip.
void toZone(double northing, double easting, int zone, double& outNorthing, double& outEasting);

// The strip whose central meridian is nearest to the longitude.
int zoneOf(double lonDeg);

} // namespace MediumGk
