#pragma once

#include "DataPage.h"

#include <QColor>
#include <QPointer>
#include <QString>

#include <cstdint>

class TOverviewTabCard;

// The overview beside the main map: the page "Übersicht" on the left, whose
// content is made when it is first shown, and the overview map chosen by the
// map sequence, remembered until then.
class OverviewModule {
public:
    OverviewModule();
    ~OverviewModule();
    OverviewModule(const OverviewModule&) = delete;
    OverviewModule& operator=(const OverviewModule&) = delete;

    // None before start-up made it.
    static OverviewModule* instance();

    // The overview map's file name (in the map folder) and the frame colour
    // (0x00BBGGRR); applied at once when the page has content.
    void SetOverviewMap(const QString& fileName, std::int32_t frameColour);
    QString OverviewMapFile() const { return m_fileName; }

    DataPageInfo& Page() { return m_page; }
    // None before the page was first shown.
    TOverviewTabCard* Card() const;

    // The colour of a Windows colour value 0x00BBGGRR.
    static QColor colourOf(std::int32_t value);

private:
    QWidget* createContent(QWidget* owner);
    void apply();

    DataPageInfo m_page;
    QString m_fileName;
    std::int32_t m_colour = 0;
    // Gone with the page that shows it, which may outlive the module.
    QPointer<TOverviewTabCard> m_card;
};
