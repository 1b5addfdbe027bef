#include "OverlayTestSupport.h"

#include "GpxFormat.h"
#include "XML_Error.h"

#include <gtest/gtest.h>

using namespace OverlayTest;
using UserDraw::ConverterQVOtoGPX;

namespace {

std::unique_ptr<QTreeWidgetItem> newRoot() {
    return std::make_unique<QTreeWidgetItem>();
}

// The GPX file the export writes for a tree.
std::string exportTree(const QTreeWidgetItem* root) {
    char* buffer = nullptr;
    size_t size = 0;
    std::FILE* file = open_memstream(&buffer, &size);
    bool ok = false;
    {
        ConverterQVOtoGPX converter(std::make_unique<XML_StreamWriter>(file));
        converter.startDocument();
        UserDraw::UD1_TreeToXMLStreamConverter::writeOverlay(nullptr, root, converter);
        ok = converter.close(true);
    }
    EXPECT_TRUE(ok);
    std::string bytes(buffer, size);
    std::free(buffer);
    return bytes;
}

// Imports a GPX document into a tree.
bool importGpx(const std::string& document, QTreeWidgetItem* root, bool utf8 = false) {
    UserDraw::UD1_XML_TreeStreamTarget tree(root, nullptr);
    UserDraw::GPX::ParserTarget import(tree);
    import.setUtf8Names(utf8);
    return parseInto(document, import);
}

const std::string GpxStart =
    "<?xml version=\"1.0\" encoding=\"ISO-8859-1\" ?>\n<gpx version=\"1.0\" creator=\"Quenvo - "
    "https://www.quenvo.de/\" xmlns=\"http://www.topografix.com/GPX/1/0\">";

const std::list<Coord>& pointsOf(const QTreeWidgetItem* node) {
    return objectOf(node)->geometry().points;
}

} // namespace

TEST(GpxExport, FoldersAreFlattenedAndEachKindMapsToWaypointOrTrack) {
    auto root = newRoot();
    StdDrawAppearance area = appearanceOf(StdDrawLineAreaStrategy::instance());
    area.lineColor = 0x00FF00;
    area.fillStyle = 0;
    QTreeWidgetItem* folder = addFolder(root.get(), QStringLiteral("Ordnername geht verloren"));
    addElement(folder, appearanceOf(StdDrawSymbolStrategy::instance()), {point(3, 7.25, 48.125), point(3, 7.75, 48.5)},
               QStringLiteral("Turm & Tor"));
    QTreeWidgetItem* inner = addFolder(folder, QStringLiteral("innen"));
    addElement(inner, appearanceOf(StdDrawTextStrategy::instance()), {point(3, 8.0, 49.0)}, QString());
    addElement(root.get(), area, {point(3, 7.0, 48.0), point(3, 7.5, 48.0), point(3, 7.5, 48.5)},
               QStringLiteral("Fläche"), true);
    addElement(root.get(), appearanceOf(StdDrawBitmapIconStrategy::instance()), {point(3, 9.5, 47.75)},
               QStringLiteral("Bild"));
    addElement(root.get(), appearanceOf(StdDrawLineAreaStrategy::instance()), {}, QStringLiteral("leer"));
    addElement(root.get(), appearanceOf(StdDrawSymbolStrategy::instance()), {}, QStringLiteral("ohne Punkt"));

    const std::string gpx = exportTree(root.get());
    EXPECT_EQ(gpx, GpxStart + "<wpt lat=\"48.500000\" lon=\"7.750000\"><name>Turm &amp; Tor</name></wpt>" +
                       "<wpt lat=\"49.000000\" lon=\"8.000000\"><name></name></wpt>" +
                       "<trk><name>Fl\xE4"
                       "che</name><trkseg><trkpt lat=\"48.000000\" lon=\"7.000000\"/>"
                       "<trkpt lat=\"48.000000\" lon=\"7.500000\"/><trkpt lat=\"48.500000\" lon=\"7.500000\"/>"
                       "</trkseg></trk>" +
                       "<wpt lat=\"47.750000\" lon=\"9.500000\"><name>Bild</name></wpt>" +
                       "<trk><name>leer</name><trkseg/></trk>" + "<wpt><name>ohne Punkt</name></wpt>" + "</gpx>")
        << "a symbol with several vertices is one waypoint at its last vertex; a symbol without vertex "
           "does not take the previous element's position";

    // Imported again, the closed area is an open line with the default look.
    auto back = newRoot();
    ASSERT_TRUE(importGpx(gpx, back.get()));
    ASSERT_EQ(back->childCount(), 6);
    const DrawTreeObject* line = objectOf(back->child(2));
    EXPECT_EQ(back->child(2)->text(0), QStringLiteral("Fläche"));
    EXPECT_FALSE(line->geometry().closed());
    EXPECT_EQ(line->geometry().points.size(), 3u);
    EXPECT_EQ(line->appearance().lineColor, StdDrawAppearance::Magenta);
    EXPECT_EQ(line->appearance().fillStyle, 7);
}

TEST(GpxExport, VerticesAreConvertedToWgs84) {
    auto root = newRoot();
    // Gauss-Krüger strip 3 on its central meridian, and geographic DHDN.
    addElement(root.get(), appearanceOf(StdDrawSymbolStrategy::instance()), {point(1, 5400000.0, 3500000.0, 3)},
               QStringLiteral("gk"));
    addElement(root.get(), appearanceOf(StdDrawSymbolStrategy::instance()), {point(2, 9.0, 48.7)},
               QStringLiteral("dhdn"));
    addElement(root.get(), appearanceOf(StdDrawLineAreaStrategy::instance()),
               {point(0xC000, 10, 10), point(3, 9.0, 48.0)}, QStringLiteral("pixel"));
    const std::string gpx = exportTree(root.get());

    auto back = newRoot();
    ASSERT_TRUE(importGpx(gpx, back.get()));
    ASSERT_EQ(back->childCount(), 3);
    const Coord gk = pointsOf(back->child(0)).front();
    EXPECT_EQ(gk.type, 3u);
    EXPECT_NEAR(gk.x, 9.0, 0.005) << "the strip's central meridian, shifted a little by the datum";
    EXPECT_NEAR(gk.y, 48.73, 0.02);
    const Coord dhdn = pointsOf(back->child(1)).front();
    EXPECT_NEAR(dhdn.x, 9.0, 0.005);
    EXPECT_NEAR(dhdn.y, 48.7, 0.005);
    EXPECT_NE(dhdn.x, 9.0) << "DHDN is not WGS84: the datum shift is applied";
    EXPECT_NE(gpx.find("<trkpt/><trkpt lat=\"48.000000\" lon=\"9.000000\"/>"), std::string::npos)
        << "a vertex without conversion gives a point without position";
    EXPECT_EQ(pointsOf(back->child(2)).size(), 1u) << "which the import drops";
}

TEST(GpxImport, TracksRoutesAndWaypoints) {
    auto root = newRoot();
    ASSERT_TRUE(importGpx(header() +
                              "<gpx version=\"1.0\">"
                              "<trk><name>A</name>"
                              "<trkseg><trkpt lat=\"48.1\" lon=\"7.1\"/><trkpt lat=\"48.2\" lon=\"7.2\"/></trkseg>"
                              "<trkseg><trkpt lat=\"48.3\" lon=\"7.3\"/></trkseg>"
                              "<trkseg/></trk>"
                              "<trk><name>B</name><trkseg><trkpt lat=\"49\" lon=\"8\"/></trkseg></trk>"
                              "<trk><trkseg><trkpt lat=\"49.5\" lon=\"8.5\"/></trkseg></trk>"
                              "<rte><name>R</name><rtept lat=\"47.5\" lon=\"9.5\"><name>innen</name></rtept>"
                              "<rtept lat=\"47.6\" lon=\"9.6\"/></rte>"
                              "<WPT LAT=\"1\" lat=\"47.25\" lon=\"-0.5\"><NAME>Gro\xDF</NAME><ele>300</ele></WPT>"
                              "<wpt lon=\"8.5\"><name>ohne lat</name></wpt>"
                              "<trk><name>leer</name></trk>"
                              "</gpx>",
                          root.get()));
    ASSERT_EQ(root->childCount(), 7);

    QTreeWidgetItem* a = root->child(0);
    ASSERT_TRUE(isFolder(a)) << "two segments make a folder";
    EXPECT_EQ(a->text(0), QStringLiteral("A"));
    ASSERT_EQ(a->childCount(), 3);
    EXPECT_EQ(a->child(0)->text(0), QString()) << "segment lines have no name";
    ASSERT_EQ(pointsOf(a->child(0)).size(), 2u);
    EXPECT_DOUBLE_EQ(pointsOf(a->child(0)).front().x, 7.1) << "X is the longitude";
    EXPECT_EQ(pointsOf(a->child(0)).front().type, 3u);
    EXPECT_EQ(pointsOf(a->child(1)).size(), 1u);
    EXPECT_FALSE(isFolder(root->child(1))) << "one segment makes one line";
    EXPECT_EQ(root->child(1)->text(0), QStringLiteral("B"));
    EXPECT_EQ(root->child(3)->text(0), QStringLiteral("R")) << "a name after the points does not rename the route";
    EXPECT_EQ(pointsOf(root->child(3)).size(), 2u);

    const DrawTreeObject* wpt = objectOf(root->child(4));
    EXPECT_EQ(wpt->appearance().strategy, &StdDrawSymbolStrategy::instance()) << "WPT in capitals is a waypoint";
    EXPECT_EQ(root->child(4)->text(0), QStringLiteral("Groß")) << "NAME in capitals too";
    ASSERT_EQ(wpt->geometry().points.size(), 1u);
    EXPECT_DOUBLE_EQ(wpt->geometry().points.front().x, -0.5);

    EXPECT_TRUE(pointsOf(root->child(5)).empty()) << "a waypoint without lat is dropped";

    auto capital = newRoot();
    try {
        importGpx(header() + "<GPX version=\"1.0\"><wpt lat=\"1\" lon=\"1\"/></GPX>", capital.get());
        ADD_FAILURE() << "the root must be gpx in lower case";
    } catch (const XML_Error& error) {
        EXPECT_EQ(error.code(), '?');
    }
    EXPECT_FALSE(importGpx(header() + "<gpx><trk><trkseg><trkpt lat=\"48\" lon=\"7\"/>", capital.get()))
        << "a cut-off file fails";
}

// A file as other programs write it: GPX 1.1 with namespaces, metadata,
// extensions of devices, elevation, time, UTF-8 names and blank lines.
TEST(GpxImport, ForeignGpx11FilesImportTheKnownElementsAndSkipTheRest) {
    const std::string file =
        "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\" ?>\r\n"
        "<gpx xmlns=\"http://www.topografix.com/GPX/1/1\" "
        "xmlns:gpxtpx=\"http://www.garmin.com/xmlschemas/TrackPointExtension/v1\" "
        "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" creator=\"Gerät 1.0\" version=\"1.1\" "
        "xsi:schemaLocation=\"http://www.topografix.com/GPX/1/1 http://www.topografix.com/GPX/1/1/gpx.xsd\">\r\n"
        "  <metadata><name>Ausflug</name><link href=\"https://example.org\"><text>x</text></link>"
        "<time>2024-05-01T08:00:00Z</time><bounds minlat=\"47\" minlon=\"7\" maxlat=\"49\" maxlon=\"9\"/></metadata>\n"
        "  <wpt lat=\"47.9961\" lon=\"7.8494\">\n    <ele>278.5</ele>\n    <time>2024-05-01T08:00:00Z</time>\n"
        "    <name>Münster</name>\n    <cmt>Kommentar</cmt>\n    <desc>Beschreibung &amp; mehr</desc>\n"
        "    <sym>Flag, Blue</sym>\n    <extensions><gpxx:WaypointExtension xmlns:gpxx=\"http://www.garmin.com/"
        "xmlschemas/GpxExtensions/v3\"><gpxx:DisplayMode>SymbolAndName</gpxx:DisplayMode></gpxx:WaypointExtension>"
        "</extensions>\n  </wpt>\n"
        "  <trk>\n    <name>Lauf → Morgen</name>\n    <type>running</type>\n"
        "    <extensions><gpxx:TrackExtension><gpxx:DisplayColor>Red</gpxx:DisplayColor></gpxx:TrackExtension>"
        "</extensions>\n"
        "    <trkseg>\n"
        "      <trkpt lat=\"47.99\" lon=\"7.84\"><ele>280</ele><time>2024-05-01T08:00:00Z</time>"
        "<extensions><gpxtpx:TrackPointExtension><gpxtpx:hr>121</gpxtpx:hr><gpxtpx:cad>80</gpxtpx:cad>"
        "</gpxtpx:TrackPointExtension></extensions></trkpt>\n"
        "      <trkpt lon=\"7.85\" lat=\"47.995\"><ele>281</ele><name>Punktname</name></trkpt>\n"
        "    </trkseg>\n  </trk>\n"
        "  <extensions><private><trk><trkseg><trkpt lat=\"1\" lon=\"1\"/></trkseg></trk></private></extensions>\n"
        "</gpx>\n";
    auto root = newRoot();
    ASSERT_TRUE(importGpx(file, root.get(), true));
    ASSERT_EQ(root->childCount(), 2) << "metadata and extensions add nothing";
    EXPECT_EQ(root->child(0)->text(0), QStringLiteral("Münster"));
    EXPECT_DOUBLE_EQ(pointsOf(root->child(0)).front().y, 47.9961);
    EXPECT_EQ(root->child(1)->text(0), QStringLiteral("Lauf ? Morgen"))
        << "UTF-8 names arrive in the drawing's code page, characters outside it as '?'";
    const auto& track = pointsOf(root->child(1));
    ASSERT_EQ(track.size(), 2u);
    EXPECT_DOUBLE_EQ(track.back().x, 7.85) << "attribute order does not matter";
    EXPECT_DOUBLE_EQ(track.back().y, 47.995);
}
