#include "theme/scrollbars.h"

#include "theme/mwui.h"

#include <QAbstractScrollArea>
#include <QScrollBar>

namespace {
QString rgba(QColor c, double alpha)
{
    return QStringLiteral("rgba(%1,%2,%3,%4)")
        .arg(c.red())
        .arg(c.green())
        .arg(c.blue())
        .arg(qRound(alpha * 255));
}

void restyle(QAbstractScrollArea* area)
{
    const MWTheme& t = MWUI::shared()->theme();
    const int side = qRound(8 * MWUI::shared()->zoom());
    const QString sheet =
        QStringLiteral("QScrollBar{background:transparent;border:none;margin:0;}"
                       "QScrollBar:vertical{width:%1px;}QScrollBar:horizontal{height:%1px;}"
                       "QScrollBar::handle{background:%2;border-radius:%3px;}"
                       "QScrollBar::handle:hover{background:%4;}"
                       "QScrollBar::handle:vertical{min-height:%5px;}"
                       "QScrollBar::handle:horizontal{min-width:%5px;}"
                       "QScrollBar::add-line,QScrollBar::sub-line{width:0;height:0;border:none;}"
                       "QScrollBar::add-page,QScrollBar::sub-page{background:none;}")
            .arg(side)
            .arg(rgba(t.metalMid, 0.55))
            .arg(side / 2)
            .arg(rgba(t.metalHi, 0.75))
            .arg(side * 3);
    area->verticalScrollBar()->setStyleSheet(sheet);
    area->horizontalScrollBar()->setStyleSheet(sheet);
}
}  // namespace

void mwThinScrollBars(QAbstractScrollArea* area)
{
    restyle(area);
    QObject::connect(MWUI::shared(), &MWUI::changed, area, [area] { restyle(area); });
}
