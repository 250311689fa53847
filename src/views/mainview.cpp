#include "views/mainview.h"

#include "store/store.h"
#include "theme/access.h"
#include "theme/badge.h"
#include "theme/fonts.h"
#include "theme/mwui.h"
#include "theme/symbols.h"
#include "views/bin.h"
#include "views/exportqueue.h"
#include "views/header.h"
#include "views/inspector.h"
#include "views/rack.h"
#include "views/timeline.h"
#include "views/viewer.h"
#include "views/viewkit.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

CWMain::CWMain(CWStore* store, QWidget* parent) : QWidget(parent), store_(store)
{
    // A click on anything that takes no focus of its own (the picture, the
    // timeline, a panel) leaves a text field, so the keys act on the clip
    // again instead of typing into its name.
    setFocusPolicy(Qt::ClickFocus);
    auto* column = new QVBoxLayout(this);
    header_ = new CWHeader(store_, this);
    column->addWidget(header_);

    auto* row = new QHBoxLayout;
    bin_ = new CWBin(store_, this);
    viewer_ = new CWViewer(store_, this);
    inspector_ = new CWInspector(store_, this);
    row->addWidget(bin_);
    row->addWidget(viewer_, 1);
    row->addWidget(inspector_);
    column->addLayout(row, 1);

    timeline_ = new CWTimeline(store_, this);
    rack_ = new CWRack(store_);
    timeline_->setRack(rack_);
    column->addWidget(timeline_);

    statusLine_ = new QWidget(this);
    statusLine_->setAccessibleName(tr("Status"));
    mwSetAccessibleRole(statusLine_, QAccessible::StatusBar);
    auto* status = new QHBoxLayout(statusLine_);
    statusSymbol_ = new QLabel(statusLine_);
    status_ = new CWElidedLabel(statusLine_);
    status->addWidget(statusSymbol_, 0, Qt::AlignVCenter);
    status->addWidget(status_, 1, Qt::AlignVCenter);
    status->addWidget(new MWSOCredit(statusLine_), 0, Qt::AlignVCenter);
    column->addWidget(statusLine_);

    // Over everything, and only while a batch has rows.
    queue_ = new CWExportQueue(store_, this);

    connect(store_, &CWStore::changed, this, [this](CWStore::Field field) {
        if (field == CWStore::Field::note)
            showNote();
    });
    connect(MWUI::shared(), &MWUI::changed, this, &CWMain::restyle);
    restyle();
    showNote();
}

QString CWMain::keyHint()
{
    return tr("I / O set In and Out · Return adds the clip · Space play · ←/→ frame step · "
              "1–4 aspect");
}

QSize CWMain::minimumSizeHint() const
{
    return QWidget::minimumSizeHint().expandedTo(QSize(1180, 760));
}

QSize CWMain::naturalSize(double zoom)
{
    return QSize(qRound(1440 * zoom), qRound(900 * zoom));
}

void CWMain::showNote()
{
    status_->setText(store_->note().value_or(keyHint()));
}

void CWMain::restyle()
{
    const MWTheme& t = MWUI::shared()->theme();
    const double z = MWUI::shared()->zoom();
    auto* column = static_cast<QVBoxLayout*>(layout());
    column->setContentsMargins(QMargins() + qRound(12 * z));
    column->setSpacing(qRound(10 * z));
    static_cast<QHBoxLayout*>(column->itemAt(1)->layout())->setSpacing(qRound(10 * z));
    bin_->setFixedWidth(qRound(230 * z));
    inspector_->setFixedWidth(qRound(300 * z));
    timeline_->setFixedHeight(qRound(190 * z));

    auto* status = static_cast<QHBoxLayout*>(statusLine_->layout());
    status->setContentsMargins(qRound(8 * z), 0, qRound(8 * z), 0);
    status->setSpacing(qRound(6 * z));
    status_->setFont(mwFont(11));
    QPalette palette = status_->palette();
    palette.setColor(QPalette::WindowText, t.dim);
    status_->setPalette(palette);
    const double side = QFontMetricsF(status_->font()).height();
    statusSymbol_->setPixmap(MWSymbols::pixmap(QStringLiteral("info.circle.fill"), t.accent2, side,
                                               devicePixelRatioF()));
}
