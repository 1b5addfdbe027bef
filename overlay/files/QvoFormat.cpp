#include "QvoFormat.h"

#include "Cp1252.h"
#include "CustomColourList.h"
#include "DrawTreeItem.h"
#include "StdDrawStrategies.h"
#include "SymbolIcon.h"
#include "XML_Error.h"

#include <QFileInfo>
#include <QTreeWidgetItem>

#include <charconv>
#include <cmath>
#include <cstdio>
#include <unordered_map>

namespace UserDraw {

namespace QvoElement {

int identifier(std::string_view name) {
    static const std::unordered_map<std::string_view, int> table = {
        {"Quenvo", Quenvo},
        {"DefaultSettings", DefaultSettings},
        {"DefaultColors", DefaultColors},
        {"Folder", Folder},
        {"Symbol", Symbol},
        {"LineArea", LineArea},
        {"BitmapIcon", BitmapIcon},
        {"Text", Text},
        {"SymData", SymData},
        {"Font", Font},
        {"LineData", LineData},
        {"FillData", FillData},
        {"Icon", Icon},
        {"TextLines", TextLines},
        {"Points", Points},
        {"CustomAttributes", CustomAttributes},
        {"TextLine", TextLine},
        {"Point", Point},
        {"Attribute", Attribute},
        {"LimitMapScale", LimitMapScale},
    };
    const auto it = table.find(name);
    return it == table.end() ? Unknown : it->second;
}

} // namespace QvoElement

std::string colourText(uint32_t colour) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "#%02X%02X%02X", unsigned(colour & 0xFF), unsigned((colour >> 8) & 0xFF),
                  unsigned((colour >> 16) & 0xFF));
    return buffer;
}

namespace {

int hexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// Reads a real the way "%lf" does (leading blanks, a sign, anything after the
// number ignored). Values that are not finite count as unreadable: no length
// or position of a drawing can be infinite.
bool readReal(std::string_view text, double& value) {
    size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r')))
        ++i;
    if (i < text.size() && text[i] == '+')
        ++i;
    double result = 0.0;
    const auto [end, error] = std::from_chars(text.data() + i, text.data() + text.size(), result);
    if (error != std::errc() || !std::isfinite(result))
        return false;
    value = result;
    return true;
}

double finiteOr(double value, double fallback) {
    return std::isfinite(value) ? value : fallback;
}

void writeString(XML_StreamTarget& target, std::string_view name, const QString& value) {
    target.writeAttribute(name, std::string_view(Cp1252::encode(value)));
}

void writeColour(XML_StreamTarget& target, std::string_view name, uint32_t colour) {
    target.writeAttribute(name, std::string_view(colourText(colour)));
}

const StdDrawStrategy* strategyFor(int id) {
    switch (id) {
    case QvoElement::Symbol:
        return &StdDrawSymbolStrategy::instance();
    case QvoElement::LineArea:
        return &StdDrawLineAreaStrategy::instance();
    case QvoElement::BitmapIcon:
        return &StdDrawBitmapIconStrategy::instance();
    case QvoElement::Text:
        return &StdDrawTextStrategy::instance();
    default:
        return nullptr;
    }
}

// The icon of a name read from a file. A name may be a path to a picture; the
// file comes from anywhere, so only a regular file is read as a picture (a
// device or pipe would block or never end): anything else that exists under
// that name gets a placeholder that keeps the name.
SymbolIcon::AbstractSI* iconNamed(const QString& name) {
    const QFileInfo file(name);
    if (!SymbolIcon::Set::FromPath::instance().byName(name) && file.exists() && !file.isFile()) {
        SymbolIcon::Set::IndexedSet& placeholders = SymbolIcon::Set::FromPathAndPseudo::instance();
        if (SymbolIcon::AbstractSI* icon = placeholders.byName(name))
            return icon;
        return placeholders.add(std::make_unique<SymbolIcon::PseudoSI>(name));
    }
    return SymbolIcon::resolveIcon(name, true);
}

bool isRecord(int id) {
    return id >= QvoElement::Symbol && id <= QvoElement::Text;
}

} // namespace

bool readColour(std::string_view text, uint32_t& colour) {
    if (text.size() < 7 || text[0] != '#')
        return false;
    uint32_t result = 0;
    for (int group = 0; group < 3; ++group) {
        const int high = hexDigit(text[size_t(1 + 2 * group)]);
        const int low = hexDigit(text[size_t(2 + 2 * group)]);
        if (high < 0 || low < 0)
            return false;
        result |= uint32_t(high * 16 + low) << (8 * group);
    }
    colour = result;
    return true;
}

QStringList textLinesForFile(const QString& text) {
    QStringList lines;
    qsizetype start = 0;
    while (start < text.size()) {
        const qsizetype feed = text.indexOf(QLatin1Char('\n'), start);
        if (feed < 0) {
            lines << text.mid(start);
            break;
        }
        qsizetype end = feed;
        while (end > start && text.at(end - 1) == QLatin1Char('\r'))
            --end;
        lines << text.mid(start, end - start);
        start = feed + 1;
    }
    return lines;
}

// --- writer ---

void UD1_TreeToXMLStreamConverter::writeElement(const StdDrawAppearance& appearance, const StdDrawObject& geometry,
                                                const QString& name, XML_StreamTarget& target) {
    const StdDrawStrategy* strategy = appearance.strategy ? appearance.strategy : &StdDrawSymbolStrategy::instance();
    target.beginElement(Cp1252::encode(strategy->elementName()));
    writeString(target, "Name", name);

    target.beginElement("SymData");
    target.writeAttribute("Sides", int(appearance.sides));
    target.writeAttribute("Length", appearance.length);
    if (appearance.lengthInMetres)
        target.writeAttribute("Unit", "m");
    target.endElement();

    if (strategy->hasText()) {
        target.beginElement("TextLines");
        for (const QString& line : textLinesForFile(appearance.text)) {
            target.beginElement("TextLine");
            target.text(Cp1252::encode(line));
            target.endElement();
        }
        target.endElement();
    }

    target.beginElement("LineData");
    target.writeAttribute("Width", int(appearance.lineWidth));
    target.writeAttribute("Style", int(appearance.lineStyle));
    writeColour(target, "Color", appearance.lineColor);
    target.endElement();

    target.beginElement("FillData");
    target.writeAttribute("Style", int(appearance.fillStyle));
    writeColour(target, "Color", appearance.fillColor);
    if (appearance.hasBackColor)
        writeColour(target, "BackColor", appearance.backColor);
    target.endElement();

    if (strategy->hasIcon() && appearance.icon) {
        target.beginElement("Icon");
        writeString(target, "Name", appearance.icon->name());
        target.endElement();
    }

    target.beginElement("Points");
    if (geometry.closed())
        target.writeAttribute("Type", "closedArea");
    for (const Coord& point : geometry.points) {
        target.beginElement("Point");
        target.writeAttribute("Type", int(point.type));
        target.writeAttribute("SubType", int(point.zone));
        target.writeAttribute("X", point.x);
        target.writeAttribute("Y", point.y);
        target.endElement();
    }
    target.endElement();

    target.endElement();
}

void UD1_TreeToXMLStreamConverter::writeChildren(const QTreeWidgetItem* node, XML_StreamTarget& target) {
    for (int i = 0; i < node->childCount(); ++i) {
        const QTreeWidgetItem* child = node->child(i);
        DrawTreeItem* item = itemOf(child);
        if (dynamic_cast<DrawTreeFolder*>(item)) {
            target.beginElement("Folder");
            writeString(target, "Name", child->text(0));
            writeChildren(child, target);
            target.endElement();
        } else if (auto* object = dynamic_cast<DrawTreeObject*>(item)) {
            writeElement(object->appearance(), object->geometry(), child->text(0), target);
        }
    }
}

void UD1_TreeToXMLStreamConverter::writeOverlay(const CustomColourList* colours, const QTreeWidgetItem* root,
                                                XML_StreamTarget& target) {
    target.beginElement("Quenvo");
    target.writeAttribute("Type", "Overlay");
    target.writeAttribute("Version", "1.0");

    target.beginElement("DefaultSettings");
    const StdDrawStrategy* const defaultKinds[3] = {
        &StdDrawSymbolStrategy::instance(), &StdDrawLineAreaStrategy::instance(), &StdDrawTextStrategy::instance()};
    const StdDrawObject noPoints;
    for (int index = 0; index < 3; ++index) {
        StdDrawAppearance record = DefaultAppearances::record(index);
        record.strategy = defaultKinds[index];
        writeElement(record, noPoints, QString(), target);
    }
    target.endElement();

    if (colours) {
        target.beginElement("DefaultColors");
        target.text(Cp1252::encode(colours->commaText()));
        target.endElement();
    }

    if (root)
        writeChildren(root, target);
    target.endElement();
}

// --- reader ---

UD1_XML_TreeStreamTarget::UD1_XML_TreeStreamTarget(QTreeWidgetItem* root, CustomColourList* colours)
    : m_root(root), m_colours(colours) {
    m_parents.push_back(root);
}

UD1_XML_TreeStreamTarget::~UD1_XML_TreeStreamTarget() = default;

void UD1_XML_TreeStreamTarget::startDocument() {
    XML_StreamTarget_StateMachine::startDocument();
    m_parents.assign(1, m_root);
    m_accepted = false;
    m_appearance.reset();
    m_geometry.reset();
}

void UD1_XML_TreeStreamTarget::startRecord(int id) {
    m_appearance = std::make_unique<StdDrawAppearance>();
    m_appearance->strategy = strategyFor(id);
    m_geometry = std::make_unique<StdDrawObject>();
    m_name.clear();
    m_closed = false;
}

int UD1_XML_TreeStreamTarget::onBeginElement(int state, std::string_view name) {
    using namespace QvoElement;
    if (depth() == 0) {
        if (name != "Quenvo")
            throw XML_Error('?');
        return Quenvo;
    }
    if (!m_accepted)
        throw XML_Error('?');
    const int id = identifier(name);
    switch (state) {
    case Quenvo:
        if (id == DefaultSettings || id == DefaultColors)
            return id;
        [[fallthrough]];
    case Folder:
        if (id == Folder) {
            auto* node = new DrawTreeNode(new DrawTreeFolder, 2);
            node->setText(0, QStringLiteral("Ordner"));
            parentNode()->addChild(node);
            m_parents.push_back(node);
            return Folder;
        }
        if (isRecord(id)) {
            startRecord(id);
            return id;
        }
        return 0;
    case DefaultSettings:
        if (isRecord(id)) {
            startRecord(id);
            return id;
        }
        return 0;
    case Symbol:
    case LineArea:
    case BitmapIcon:
    case Text:
        if (id >= SymData && id <= Points) {
            m_closed = false;
            return id;
        }
        return 0;
    case TextLines:
        return id == TextLine ? TextLine : 0;
    case Points:
        if (id == Point) {
            m_point = Coord{};
            m_point.type = 1;
            return Point;
        }
        return 0;
    default:
        return 0;
    }
}

void UD1_XML_TreeStreamTarget::onAttribute(int state, std::string_view name) {
    using namespace QvoElement;
    switch (state) {
    case Quenvo:
        if (name == "Type")
            m_accepted = valueAsString() == "Overlay";
        break;
    case Folder:
        if (name == "Name" && m_parents.size() > 1)
            parentNode()->setText(0, Cp1252::decode(valueAsString()));
        break;
    case Symbol:
    case LineArea:
    case BitmapIcon:
    case Text:
        if (name == "Name")
            m_name = Cp1252::decode(valueAsString());
        break;
    case SymData:
        if (name == "Sides") {
            m_appearance->sides = valueAsInt(m_appearance->sides);
        } else if (name == "Unit") {
            m_appearance->lengthInMetres = valueAsString() == "m";
        } else if (name == "Length") {
            if (valueKind() != KindString) {
                m_appearance->length = finiteOr(valueAsDouble(m_appearance->length), m_appearance->length);
                break;
            }
            std::string_view text = valueAsString();
            if (!text.empty() && text.back() == 'm') {
                m_appearance->lengthInMetres = true;
                text.remove_suffix(1);
            }
            if (!readReal(text, m_appearance->length))
                m_appearance->lengthInMetres = false;
        }
        break;
    case LineData:
        if (name == "Color")
            readColour(valueAsString(), m_appearance->lineColor);
        else if (name == "Style")
            m_appearance->lineStyle = uint8_t(valueAsInt(0));
        else if (name == "Width")
            m_appearance->lineWidth = valueAsInt(0);
        break;
    case FillData:
        if (name == "Color") {
            readColour(valueAsString(), m_appearance->fillColor);
        } else if (name == "Style") {
            m_appearance->fillStyle = uint8_t(valueAsInt(0));
        } else if (name == "BackColor") {
            readColour(valueAsString(), m_appearance->backColor);
            m_appearance->hasBackColor = true;
        } else if (name == "HasBackColor") {
            m_appearance->hasBackColor = valueAsInt(0) != 0;
        }
        break;
    case Icon:
        if (name == "Name") {
            const QString iconName = Cp1252::decode(valueAsString());
            m_appearance->icon = iconName.isEmpty() ? nullptr : iconNamed(iconName);
        }
        break;
    case Points:
        if (name == "Type") {
            const std::string& type = valueAsString();
            m_closed = type.size() >= 5 && QByteArray::fromRawData(type.data(), 5).toLower() == "close";
        }
        break;
    case Point:
        if (name == "Type")
            m_point.type = uint32_t(valueAsInt(0));
        else if (name == "SubType")
            m_point.zone = uint32_t(valueAsInt(0));
        else if (name == "X")
            m_point.x = finiteOr(valueAsDouble(0.0), 0.0);
        else if (name == "Y")
            m_point.y = finiteOr(valueAsDouble(0.0), 0.0);
        break;
    default:
        break;
    }
}

void UD1_XML_TreeStreamTarget::onEndElement(int state, int parentState) {
    using namespace QvoElement;
    switch (state) {
    case DefaultColors:
        if (m_colours)
            m_colours->setCommaText(Cp1252::decode(currentText()));
        break;
    case Folder:
        if (m_parents.size() > 1)
            m_parents.pop_back();
        break;
    case Symbol:
    case LineArea:
    case BitmapIcon:
    case Text:
        if (parentState == DefaultSettings) {
            m_appearance->name.clear();
            m_appearance->strategy->defaultAppearance() = *m_appearance;
            m_geometry.reset();
        } else {
            if (!m_geometry)
                m_geometry = std::make_unique<StdDrawObject>();
            auto* node = new DrawTreeNode(new DrawTreeObject(*m_appearance, m_geometry), 0);
            node->setText(0, m_name);
            parentNode()->addChild(node);
        }
        break;
    case Points:
        if (m_geometry)
            m_geometry->setClosed(m_closed);
        break;
    case TextLine:
        if (!m_appearance->text.isEmpty())
            m_appearance->text += QLatin1Char('\n');
        m_appearance->text += Cp1252::decode(currentText());
        break;
    case Point:
        if (m_geometry && m_point.type != 0 && m_point.x != 0.0 && m_point.y != 0.0)
            m_geometry->points.push_back(m_point);
        break;
    default:
        break;
    }
}

} // namespace UserDraw
