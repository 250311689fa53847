#include "help/helpview.h"

#include "help/helpnavigation.h"
#include "help/helppagelist.h"
#include "help/helppageview.h"
#include "theme/badge.h"
#include "theme/fonts.h"
#include "theme/mwui.h"
#include "theme/text.h"

#include <QHBoxLayout>
#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>
#include <cmath>

namespace {

int px(double points)
{
    return int(std::lround(points * MWUI::shared()->zoom()));
}

QString css(const QColor& colour)
{
    return colour.name(QColor::HexArgb);
}

// A scroller that shows only its content: the window's gradient stays visible.
QScrollArea* clearScroller(QWidget* content, QWidget* parent)
{
    auto* scroller = new QScrollArea(parent);
    scroller->setWidget(content);
    scroller->setWidgetResizable(true);
    scroller->setFrameShape(QFrame::NoFrame);
    scroller->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroller->viewport()->setAutoFillBackground(false);
    content->setAutoFillBackground(false);
    return scroller;
}

}  // namespace

MWHelpView::MWHelpView(const QList<HelpPage>& pages, const QString& appName, const QString& initial,
                       QWidget* parent)
    : QWidget(parent), pages_(pages), appName_(appName), sidebar_(new QWidget(this)),
      title_(new MWChromeTitle(QStringLiteral("MWSO "), QStringLiteral("Help"), sidebar_)),
      search_(new QLineEdit(sidebar_)), list_(new MWHelpPageList),
      credit_(new MWSOCredit(sidebar_)), divider_(new QWidget(this)), page_(new MWHelpPageView),
      pageScroll_(clearScroller(page_, this))
{
    search_->setPlaceholderText(QStringLiteral("Search help"));
    search_->setClearButtonEnabled(true);
    search_->setAccessibleName(QStringLiteral("Search help"));

    auto* side = new QVBoxLayout(sidebar_);
    side->addWidget(title_, 0, Qt::AlignLeft);
    side->addWidget(search_);
    listScroll_ = clearScroller(list_, sidebar_);
    QScrollArea* listScroll = listScroll_;
    side->addWidget(listScroll, 1);
    side->addWidget(credit_, 0, Qt::AlignLeft);

    pageScroll_->setMinimumWidth(380);
    divider_->setFixedWidth(1);
    divider_->setAutoFillBackground(true);

    auto* split = new QHBoxLayout(this);
    split->setContentsMargins(0, 0, 0, 0);
    split->setSpacing(0);
    split->addWidget(sidebar_);
    split->addWidget(divider_);
    split->addWidget(pageScroll_, 1);

    connect(search_, &QLineEdit::textChanged, this, &MWHelpView::filter);
    connect(list_, &MWHelpPageList::picked, this, &MWHelpView::select);
    connect(MWUI::shared(), &MWUI::changed, this, &MWHelpView::restyle);

    filter();
    select(MWHelp::freshView(pages_, initial).selected);
    restyle();
}

void MWHelpView::select(const QString& id)
{
    selected_ = id;
    list_->setSelected(id);
    const HelpPage* page = MWHelp::pageWithId(pages_, id);
    page_->setPage(page ? std::optional<HelpPage>(*page) : std::nullopt);
    pageScroll_->verticalScrollBar()->setValue(0);
}

QString MWHelpView::search() const
{
    return search_->text();
}

void MWHelpView::setSearch(const QString& text)
{
    search_->setText(text);
}

QStringList MWHelpView::listedIds() const
{
    QStringList ids;
    for (const HelpPage& page : list_->pages())
        ids << page.id;
    return ids;
}

void MWHelpView::filter()
{
    // The list follows the search; the page on the right stays as it is.
    list_->setPages(MWHelp::listedPages(pages_, search_->text()));
}

void MWHelpView::restyle()
{
    const MWTheme& t = MWUI::shared()->theme();
    sidebar_->setFixedWidth(px(250));
    sidebar_->layout()->setContentsMargins(px(14), px(16), px(14), px(14));
    sidebar_->layout()->setSpacing(px(12));

    QColor line = t.text;
    line.setAlphaF(0.12f);
    QPalette dividerColour = divider_->palette();
    dividerColour.setColor(QPalette::Window, line);
    divider_->setPalette(dividerColour);

    QColor edge = t.text;
    edge.setAlphaF(0.18f);
    const int height = int(std::ceil(QFontMetricsF(mwFont(13)).height() + px(12)));
    search_->setFont(mwFont(13));
    search_->setFixedHeight(height);
    search_->setStyleSheet(
        QStringLiteral("QLineEdit { background: %1; color: %2; border: 1px solid %3;"
                       " border-radius: %4px; padding: 0 %5px; selection-background-color: %6; }")
            .arg(css(t.well), css(t.text), css(edge))
            .arg(height / 2)
            .arg(px(10))
            .arg(css(t.accent)));

    // Thin bars of the finish's text colour instead of the desktop style's.
    QColor handle = t.text;
    handle.setAlphaF(0.25f);
    const QString bar =
        QStringLiteral(
            "QScrollBar:vertical { background: transparent; width: %1px; margin: 0; }"
            " QScrollBar::handle:vertical { background: %2; border-radius: %3px;"
            " min-height: %4px; }"
            " QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }"
            " QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical"
            " { background: none; }")
            .arg(px(8))
            .arg(css(handle))
            .arg(px(4))
            .arg(px(24));
    for (QScrollArea* scroller : {listScroll_, pageScroll_})
        scroller->verticalScrollBar()->setStyleSheet(bar);
}
