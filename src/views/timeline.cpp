#include "views/timeline.h"

#include "model/mwtime.h"
#include "store/store.h"
#include "theme/fonts.h"
#include "theme/mwui.h"
#include "theme/text.h"
#include "views/timelinehandle.h"
#include "views/timelinepaint.h"
#include "views/timelinetrack.h"
#include "views/viewkit.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <algorithm>

CWTimeline::CWTimeline(CWStore* store, QWidget* parent) : MWPanel(parent, 22, 10), store_(store)
{
    setAccessibleName(tr("Timeline"));
    column_ = new QVBoxLayout(this);
    auto* header = new QHBoxLayout;
    header->setContentsMargins(0, 0, 0, 0);
    header->addWidget(new MWCaption(QStringLiteral("Timeline"), this));
    // The hint gives way first when the panel is narrow, cut with "…".
    hint_ = new CWElidedLabel(this);
    hint_->setText(QStringLiteral("Drag the yellow handles to trim In / Out · ←/→ nudge the "
                                  "selected handle · click to move the playhead"));
    hint_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    header->addWidget(hint_, 1);
    selection_ = new QLabel(this);
    selection_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    header->addWidget(selection_);
    column_->addLayout(header);

    well_ = new MWWell(this, 12);
    auto* inside = new QVBoxLayout(well_);
    track_ = new CWTimelineTrack(store, well_);
    inHandle_ = new CWTrimHandle(store, track_, true);
    outHandle_ = new CWTrimHandle(store, track_, false);
    inside->addWidget(track_);
    column_->addWidget(well_, 1);

    connect(store, &CWStore::changed, this, [this](CWStore::Field field) {
        if (field == CWStore::Field::inMark || field == CWStore::Field::outMark)
            updateSelection();
    });
    connect(MWUI::shared(), &MWUI::changed, this, &CWTimeline::restyle);
    restyle();
    updateSelection();
}

void CWTimeline::setRack(QWidget* rack)
{
    if (rack_)
        rack_->deleteLater();
    rack_ = rack;
    if (rack_) {
        rack_->setParent(this);
        column_->addWidget(rack_);
    }
    restyle();
}

QString CWTimeline::hintText() const
{
    return hint_->text();
}

QString CWTimeline::selectionText() const
{
    return selection_->text();
}

void CWTimeline::restyle()
{
    const MWUI* ui = MWUI::shared();
    column_->setSpacing(qRound(ui->scaled(6)));
    hint_->setFont(mwFont(10, QFont::Normal, MWDesign::Rounded));
    QPalette dim = hint_->palette();
    dim.setColor(QPalette::WindowText, ui->theme().dim);
    hint_->setPalette(dim);
    selection_->setFont(mwMono(10.5, QFont::Bold));
    QPalette yellow = selection_->palette();
    yellow.setColor(QPalette::WindowText, TimelinePaint::yellow());
    selection_->setPalette(yellow);
    if (rack_)
        rack_->setFixedHeight(qRound(ui->scaled(40)));
}

void CWTimeline::updateSelection()
{
    const double length = store_ ? std::max(store_->outMark() - store_->inMark(), 0.0) : 0.0;
    selection_->setText(QStringLiteral("Selection ") + MWTime::clock(length, true));
}
