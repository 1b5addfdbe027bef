#include "GpxFormat.h"

#include "Cp1252.h"
#include "LibraryCoord.h"
#include "QvoFormat.h"
#include "Registry.h"
#include "XML_Error.h"

#include <QString>

#include <cctype>
#include <cmath>

namespace UserDraw {

namespace {

enum ExportState { ExRoot = 1, ExFolder = 4, ExWaypoint = 5, ExTrack = 6, ExPoints = 15, ExPoint = 18 };

// Geographic WGS84 in the map library's codes: x = longitude, y = latitude.
constexpr uint32_t LibraryWgs84 = 3;

void ensureRegistry() {
    if (Transid::registry().changerCount() == 0)
        Transid::BuildRegistry();
}

} // namespace

// --- export ---

ConverterQVOtoGPX::ConverterQVOtoGPX(std::unique_ptr<XML_StreamTarget> downstream) : m_out(std::move(downstream)) {
    ensureRegistry();
}

ConverterQVOtoGPX::~ConverterQVOtoGPX() = default;

void ConverterQVOtoGPX::startDocument() {
    XML_StreamTarget_StateMachine::startDocument();
    m_trackMode = false;
    m_segmentBegun = false;
    m_name.clear();
}

bool ConverterQVOtoGPX::close(bool checkBalanced) {
    const bool balanced = XML_StreamTarget_StateMachine::close(checkBalanced);
    const bool written = m_out->close(checkBalanced);
    return balanced && written;
}

int ConverterQVOtoGPX::onBeginElement(int state, std::string_view name) {
    const int id = QvoElement::identifier(name);
    if (depth() == 0) {
        if (id != QvoElement::Quenvo)
            throw XML_Error('?');
        m_out->beginElement("gpx");
        m_out->writeAttribute("version", "1.0");
        m_out->writeAttribute("creator", Creator);
        m_out->writeAttribute("xmlns", Namespace);
        return ExRoot;
    }
    switch (state) {
    case ExRoot:
    case ExFolder:
        m_name.clear();
        m_vertex = Coord{};
        switch (id) {
        case QvoElement::Folder:
            return ExFolder;
        case QvoElement::Symbol:
        case QvoElement::BitmapIcon:
        case QvoElement::Text:
            m_out->beginElement("wpt");
            m_trackMode = false;
            return ExWaypoint;
        case QvoElement::LineArea:
            m_out->beginElement("trk");
            m_trackMode = true;
            m_segmentBegun = false;
            return ExTrack;
        default:
            return 0;
        }
    case ExWaypoint:
    case ExTrack:
        if (id != QvoElement::Points)
            return 0;
        if (m_trackMode && !m_segmentBegun) {
            m_out->beginElement("trkseg");
            m_segmentBegun = true;
        }
        return ExPoints;
    case ExPoints:
        if (id != QvoElement::Point)
            return 0;
        m_vertex = Coord{};
        return ExPoint;
    default:
        return 0;
    }
}

void ConverterQVOtoGPX::onAttribute(int state, std::string_view name) {
    if (state == ExWaypoint || state == ExTrack) {
        if (name != "Name")
            return;
        m_name = valueAsString();
        if (m_trackMode) {
            m_out->beginElement("name");
            m_out->text(m_name);
            m_out->endElement();
        }
    } else if (state == ExPoint) {
        if (name == "Type")
            m_vertex.type = uint32_t(valueAsInt(0));
        else if (name == "SubType")
            m_vertex.zone = uint32_t(valueAsInt(0));
        else if (name == "X")
            m_vertex.x = valueAsDouble(0.0);
        else if (name == "Y")
            m_vertex.y = valueAsDouble(0.0);
    }
}

void ConverterQVOtoGPX::writeLatLon() {
    const uint32_t kind = m_vertex.type;
    if (kind != 1 && kind != 2 && kind != 3)
        return;
    Coord wgs84;
    wgs84.type = LibraryWgs84;
    if (!Transid::ConvertMapCoord(m_vertex, wgs84))
        return;
    if (!std::isfinite(wgs84.x) || !std::isfinite(wgs84.y))
        return;
    m_out->writeAttribute("lat", wgs84.y);
    m_out->writeAttribute("lon", wgs84.x);
}

void ConverterQVOtoGPX::onEndElement(int state, int) {
    switch (state) {
    case ExRoot:
        m_out->endElement();
        break;
    case ExWaypoint:
        writeLatLon();
        m_out->beginElement("name");
        m_out->text(m_name);
        m_out->endElement();
        m_out->endElement();
        break;
    case ExTrack:
        if (m_segmentBegun)
            m_out->endElement();
        m_segmentBegun = false;
        m_out->endElement();
        m_trackMode = false;
        break;
    case ExPoint:
        if (m_trackMode) {
            m_out->beginElement("trkpt");
            writeLatLon();
            m_out->endElement();
        }
        break;
    default:
        break;
    }
}

// --- import ---

namespace GPX {

namespace {

enum Id { Gpx = 1, Rte = 2, Wpt = 3, Trk = 4, TrkSeg = 5, RtePt = 6, TrkPt = 7, Name = 8 };

// Identifier of a GPX element name, compared in lower case; 0 for others.
int identifier(std::string_view name) {
    char lower[8];
    if (name.size() > sizeof lower)
        return 0;
    for (size_t i = 0; i < name.size(); ++i)
        lower[i] = char(std::tolower(static_cast<unsigned char>(name[i])));
    const std::string_view n(lower, name.size());
    if (n == "rte")
        return Rte;
    if (n == "wpt")
        return Wpt;
    if (n == "trk")
        return Trk;
    if (n == "trkseg")
        return TrkSeg;
    if (n == "rtept")
        return RtePt;
    if (n == "trkpt")
        return TrkPt;
    if (n == "name")
        return Name;
    return 0;
}

// Geographic WGS84 in the map library's codes.
constexpr int Wgs84Type = 3;

} // namespace

ParserTarget::ParserTarget(XML_StreamTarget& downstream) : m_out(downstream) {}

ParserTarget::~ParserTarget() = default;

void ParserTarget::startDocument() {
    XML_StreamTarget_StateMachine::startDocument();
    m_elementMode = 0;
    m_latitude = m_longitude = 0.0;
    m_track.reset();
    m_segments = 0;
    m_out.startDocument();
}

bool ParserTarget::close(bool checkBalanced) {
    m_track.reset();
    return m_out.close(checkBalanced);
}

int ParserTarget::onBeginElement(int state, std::string_view name) {
    if (depth() == 0) {
        if (name != "gpx")
            throw XML_Error('?');
        m_out.beginElement("Quenvo");
        m_out.writeAttribute("Type", "Overlay");
        m_elementMode = 0;
        return Gpx;
    }
    const int id = identifier(name);
    switch (state) {
    case Gpx:
        switch (id) {
        case Rte:
            m_out.beginElement("LineArea");
            m_elementMode = 1;
            return Rte;
        case Wpt:
            m_out.beginElement("Symbol");
            m_elementMode = 1;
            m_latitude = m_longitude = 0.0;
            return Wpt;
        case Trk:
            m_segments = 0;
            m_track = std::make_unique<TrackSegment>();
            return Trk;
        default:
            return 0;
        }
    case Rte:
        if (id == RtePt)
            m_latitude = m_longitude = 0.0;
        return id == RtePt || id == Name ? id : 0;
    case Wpt:
        return id == Name ? Name : 0;
    case Trk:
        if (id == TrkSeg) {
            if (m_segments == 0) {
                m_segments = 1;
            } else if (m_segments == 1) {
                flushTrack(true);
                m_segments = 2;
                m_out.beginElement("LineArea");
                m_elementMode = 1;
            } else {
                m_out.beginElement("LineArea");
                m_elementMode = 1;
            }
            return TrkSeg;
        }
        return id == Name ? Name : 0;
    case TrkSeg:
        if (id == TrkPt)
            m_latitude = m_longitude = 0.0;
        return id == TrkPt || id == Name ? id : 0;
    default:
        return 0;
    }
}

void ParserTarget::onAttribute(int state, std::string_view name) {
    if (state != Wpt && state != RtePt && state != TrkPt)
        return;
    if (name == "lat")
        m_latitude = valueAsDouble(0.0);
    else if (name == "lon")
        m_longitude = valueAsDouble(0.0);
}

void ParserTarget::closeOpenElement() {
    if (m_elementMode == 2) {
        m_out.endElement();
        m_out.endElement();
    } else if (m_elementMode == 1) {
        m_out.endElement();
    }
    m_elementMode = 0;
}

void ParserTarget::emitPoint(double latitude, double longitude) {
    if (m_elementMode != 2) {
        m_out.beginElement("Points");
        m_elementMode = 2;
    }
    m_out.beginElement("Point");
    m_out.writeAttribute("Type", Wgs84Type);
    m_out.writeAttribute("SubType", 0);
    m_out.writeAttribute("X", longitude);
    m_out.writeAttribute("Y", latitude);
    m_out.endElement();
}

void ParserTarget::flushTrack(bool asFolder) {
    if (!m_track)
        return;
    const std::unique_ptr<TrackSegment> track = std::move(m_track);
    m_out.beginElement(asFolder ? "Folder" : "LineArea");
    if (!track->name.empty())
        m_out.writeAttribute("Name", std::string_view(track->name));
    if (asFolder)
        m_out.beginElement("LineArea");
    m_elementMode = 1;
    if (!track->points.empty()) {
        for (const auto& [latitude, longitude] : track->points)
            emitPoint(latitude, longitude);
        m_out.endElement();
    }
    m_out.endElement();
    m_elementMode = 0;
}

std::string ParserTarget::nameText() {
    const std::string& text = currentText();
    if (!m_utf8Names)
        return text;
    return Cp1252::encode(QString::fromUtf8(text.data(), qsizetype(text.size())));
}

void ParserTarget::onEndElement(int state, int) {
    switch (state) {
    case Gpx:
        m_out.endElement();
        break;
    case Rte:
    case TrkSeg:
        closeOpenElement();
        break;
    case Wpt:
        emitPoint(m_latitude, m_longitude);
        closeOpenElement();
        break;
    case RtePt:
        emitPoint(m_latitude, m_longitude);
        break;
    case TrkPt:
        if (m_track)
            m_track->points.emplace_back(m_latitude, m_longitude);
        else
            emitPoint(m_latitude, m_longitude);
        break;
    case Name:
        if (m_track)
            m_track->name = nameText();
        else
            m_out.writeAttribute("Name", std::string_view(nameText()));
        break;
    case Trk:
        if (m_track)
            flushTrack(false);
        else
            m_out.endElement();
        break;
    default:
        break;
    }
}

} // namespace GPX
} // namespace UserDraw
