#pragma once

#include "StdDrawAppearance.h"
#include "StdDrawObject.h"
#include "XML_StreamTarget.h"
#include "XML_StreamTarget_StateMachine.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <string_view>
#include <vector>

class QTreeWidgetItem;

namespace UserDraw {

class CustomColourList;

// The element names of the overlay format and their identifiers, which the
// reader and the GPX export use as states. Unknown names have identifier 0.
namespace QvoElement {
enum Id : int {
    Unknown = 0,
    Quenvo = 1,
    DefaultSettings = 2,
    DefaultColors = 3,
    Folder = 4,
    Symbol = 5,
    LineArea = 6,
    BitmapIcon = 7,
    Text = 8,
    SymData = 9,
    Font = 10,
    LineData = 11,
    FillData = 12,
    Icon = 13,
    TextLines = 14,
    Points = 15,
    CustomAttributes = 16,
    TextLine = 17,
    Point = 18,
    Attribute = 19,
    LimitMapScale = 20,
};
// Exact, case-sensitive lookup.
int identifier(std::string_view name);
} // namespace QvoElement

// "#RRGGBB" of a colour value that keeps red in its lowest byte.
std::string colourText(uint32_t colour);
// Reads "#RRGGBB" into `colour`; false (colour unchanged) unless the text
// begins with '#' and all three groups are hexadecimal.
bool readColour(std::string_view text, uint32_t& colour);
// The lines an element's text is written as: split at line feeds, carriage
// returns at the end of a line that ended in a line feed dropped; a text
// ending in a line feed gives no empty last line, an empty text no line.
QStringList textLinesForFile(const QString& text);

// Writes the overlay document of an element tree into any target: the root
// element, the three default appearances, the custom colours (when a list is
// given), then the tree below `root` in tree order.
class UD1_TreeToXMLStreamConverter {
public:
    static void writeOverlay(const CustomColourList* colours, const QTreeWidgetItem* root, XML_StreamTarget& target);
    // One element record named `name`.
    static void writeElement(const StdDrawAppearance& appearance, const StdDrawObject& geometry, const QString& name,
                             XML_StreamTarget& target);
    // The children of `node`, folders with their content.
    static void writeChildren(const QTreeWidgetItem* node, XML_StreamTarget& target);
};

// Reads an overlay document into tree nodes below `root` and overwrites the
// default appearances from the file's default settings. Elements it does not
// know are skipped with their content; a root other than `Quenvo` of type
// "Overlay" raises XML_Error('?').
class UD1_XML_TreeStreamTarget : public XML_StreamTarget_StateMachine {
public:
    // `colours` may be null: the file's custom colours are then ignored.
    UD1_XML_TreeStreamTarget(QTreeWidgetItem* root, CustomColourList* colours);
    ~UD1_XML_TreeStreamTarget() override;

    void startDocument() override;
    // Whether the document had a root `Quenvo` of type "Overlay". A file
    // without one (no element at all, or only a root of another type) reads
    // as an empty tree without any error on the way, and must still fail.
    bool accepted() const { return m_accepted; }
    int onBeginElement(int state, std::string_view name) override;
    void onAttribute(int state, std::string_view name) override;
    void onEndElement(int state, int parentState) override;

private:
    void startRecord(int id);
    QTreeWidgetItem* parentNode() const { return m_parents.back(); }

    QTreeWidgetItem* m_root;
    CustomColourList* m_colours;
    std::vector<QTreeWidgetItem*> m_parents;
    bool m_accepted = false;
    std::unique_ptr<StdDrawAppearance> m_appearance;
    std::unique_ptr<StdDrawObject> m_geometry;
    QString m_name;
    bool m_closed = false;
    Coord m_point;
};

} // namespace UserDraw
