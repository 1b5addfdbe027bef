#pragma once

#include "Coord.h"
#include "XML_StreamTarget_StateMachine.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

// GPX exchange files: the export turns the overlay element stream into GPX
// 1.0, the import turns GPX into the overlay element stream. GPX keeps only
// names and positions.
namespace UserDraw {

// Receives the overlay stream (as the QVO writer produces it) and writes GPX
// into its downstream target, which it owns: destroying the converter
// destroys the writer and so closes the file. Folders are flattened; symbols,
// picture symbols and texts become waypoints at their last vertex, lines and
// areas become tracks of one segment. Vertices are converted to WGS84.
class ConverterQVOtoGPX : public XML_StreamTarget_StateMachine {
public:
    static constexpr const char* Creator = "Quenvo - https://www.quenvo.de/";
    static constexpr const char* Namespace = "http://www.topografix.com/GPX/1/0";

    explicit ConverterQVOtoGPX(std::unique_ptr<XML_StreamTarget> downstream);
    ~ConverterQVOtoGPX() override;

    void startDocument() override;
    // Closes the downstream target; true only when both this stream and the
    // downstream one are balanced (and the file was written completely).
    bool close(bool checkBalanced) override;

    int onBeginElement(int state, std::string_view name) override;
    void onAttribute(int state, std::string_view name) override;
    void onEndElement(int state, int parentState) override;

private:
    void writeLatLon();

    std::unique_ptr<XML_StreamTarget> m_out;
    bool m_trackMode = false;
    bool m_segmentBegun = false;
    std::string m_name;
    Coord m_vertex;
};

namespace GPX {

// Receives a GPX stream from the parser and emits the overlay stream into the
// overlay reader (not owned). Waypoints become symbols, routes and tracks of
// one segment lines, tracks of several segments a folder of unnamed lines.
// Element names are compared in lower case, except the root, which must be
// exactly "gpx". Everything else (elevation, time, extensions) is skipped.
class ParserTarget : public XML_StreamTarget_StateMachine {
public:
    struct TrackSegment {
        std::string name;
        std::vector<std::pair<double, double>> points; // latitude, longitude
    };

    explicit ParserTarget(XML_StreamTarget& downstream);
    ~ParserTarget() override;

    // Names in the file are UTF-8 (the GPX default) rather than Windows-1252
    // bytes; they are passed on in Windows-1252, the overlay stream's coding.
    void setUtf8Names(bool utf8) { m_utf8Names = utf8; }

    void startDocument() override;
    // The overlay reader's balance check; a pending track is discarded.
    bool close(bool checkBalanced) override;

    int onBeginElement(int state, std::string_view name) override;
    void onAttribute(int state, std::string_view name) override;
    void onEndElement(int state, int parentState) override;

private:
    void closeOpenElement();
    void emitPoint(double latitude, double longitude);
    void flushTrack(bool asFolder);
    std::string nameText();

    XML_StreamTarget& m_out;
    int m_elementMode = 0; // 0 nothing open, 1 an element, 2 its Points
    double m_latitude = 0.0;
    double m_longitude = 0.0;
    std::unique_ptr<TrackSegment> m_track;
    int m_segments = 0;
    bool m_utf8Names = false;
};

} // namespace GPX
} // namespace UserDraw
