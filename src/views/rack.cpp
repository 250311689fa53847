#include "views/rack.h"

#include "store/store.h"
#include "theme/fonts.h"
#include "theme/mwui.h"
#include "theme/scrollbars.h"
#include "theme/text.h"
#include "views/rackaccess.h"
#include "views/viewkit.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QHash>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>

namespace {
using CWViewKit::zoom;
}  // namespace

CWRack::CWRack(CWStore* store, QWidget* parent) : QWidget(parent), store_(store)
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    caption_ = new MWCaption(tr("Clips"), this);
    layout->addWidget(caption_, 0, Qt::AlignVCenter);

    scroll_ = new QScrollArea(this);
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    scroll_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    mwThinScrollBars(scroll_);
    scroll_->setWidgetResizable(true);
    scroll_->viewport()->setAutoFillBackground(false);
    CWRackAccess::install();
    auto* content = new QWidget;
    content->setObjectName(CWRackAccess::listName);
    content->setAccessibleName(tr("Clips"));
    row_ = new QHBoxLayout(content);
    row_->setContentsMargins(0, 0, 0, 0);
    hint_ = new QLabel(tr("No clips yet — set In / Out and press Add Clip (Return)"), content);
    row_->addWidget(hint_, 0, Qt::AlignVCenter);
    row_->addStretch(1);
    scroll_->setWidget(content);
    // setWidget makes the content paint the window colour; the chips sit on
    // the panel's metal instead.
    content->setAutoFillBackground(false);
    scroll_->setAutoFillBackground(false);
    scroll_->viewport()->installEventFilter(this);
    layout->addWidget(scroll_, 1);

    connect(store_, &CWStore::changed, this, [this](CWStore::Field field) {
        if (field == CWStore::Field::clips || field == CWStore::Field::selectedClipID)
            sync();
    });
    connect(MWUI::shared(), &MWUI::changed, this, [this] {
        restyle();
        for (CWRackChip* chip : std::as_const(chips_))
            chip->restyle();
    });
    restyle();
    sync();
}

bool CWRack::eventFilter(QObject* watched, QEvent* event)
{
    // The rack has no vertical extent to scroll: an ordinary mouse wheel moves
    // the chips sideways.
    if (watched == scroll_->viewport() && event->type() == QEvent::Wheel) {
        auto* wheel = static_cast<QWheelEvent*>(event);
        if (wheel->angleDelta().x() == 0 && wheel->angleDelta().y() != 0) {
            QScrollBar* bar = scroll_->horizontalScrollBar();
            bar->setValue(bar->value() - wheel->angleDelta().y() / 120.0 * bar->singleStep() * 3);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void CWRack::restyle()
{
    const double z = zoom();
    static_cast<QHBoxLayout*>(layout())->setSpacing(qRound(6 * z));
    row_->setSpacing(qRound(6 * z));
    hint_->setFont(mwFont(10.5));
    QPalette palette = hint_->palette();
    palette.setColor(QPalette::WindowText, MWUI::shared()->theme().dim);
    hint_->setPalette(palette);
}

void CWRack::sync()
{
    const QList<Clip>& clips = store_->clips();
    const auto selected = store_->selectedClipID();
    auto isSelected = [&](const Clip& clip) { return selected && *selected == clip.id; };

    // The usual change (a frame, a mark, a name, the selection) keeps every
    // clip where it was: each chip compares, and only a changed one repaints.
    bool sameOrder = clips.size() == chips_.size();
    for (qsizetype i = 0; sameOrder && i < clips.size(); ++i)
        sameOrder = chips_[i]->clip().id == clips[i].id;
    if (!sameOrder) {
        QHash<QUuid, CWRackChip*> kept;
        for (CWRackChip* chip : std::as_const(chips_))
            kept.insert(chip->clip().id, chip);
        QList<CWRackChip*> next;
        next.reserve(clips.size());
        for (qsizetype i = 0; i < clips.size(); ++i) {
            CWRackChip* chip = kept.take(clips[i].id);
            if (!chip)
                chip = new CWRackChip(store_, clips[i], int(i + 1), isSelected(clips[i]),
                                      scroll_->widget());
            next.append(chip);
        }
        // A chip may be in its own click handler: hide it now, delete it later.
        for (CWRackChip* gone : std::as_const(kept)) {
            gone->hide();
            row_->removeWidget(gone);
            gone->deleteLater();
        }
        // The layout holds the chips first, then the hint and the stretch;
        // only chips out of place are moved.
        for (qsizetype i = 0; i < next.size(); ++i) {
            QLayoutItem* item = row_->itemAt(int(i));
            if (item && item->widget() == next[i])
                continue;
            row_->removeWidget(next[i]);
            row_->insertWidget(int(i), next[i], 0, Qt::AlignVCenter);
            next[i]->show();
        }
        chips_ = next;
    }
    for (qsizetype i = 0; i < clips.size(); ++i)
        chips_[i]->setClip(clips[i], int(i + 1), isSelected(clips[i]));
    hint_->setVisible(clips.isEmpty());
    placeTabStop();
}

CWRackChip* CWRack::tabStop() const
{
    return tabStop_;
}

void CWRack::placeTabStop()
{
    CWRackChip* stop = nullptr;
    for (CWRackChip* chip : std::as_const(chips_))
        if (chip->hasFocus())
            stop = chip;
    if (!stop) {
        const auto selected = store_->selectedClipID();
        const Clip* clip = selected ? store_->selectedClip() : nullptr;
        for (qsizetype i = 0; clip && !stop && i < chips_.size(); ++i)
            if (chips_[i]->clip().id == clip->id)
                stop = chips_[i];
    }
    if (!stop && !chips_.isEmpty())
        stop = chips_.first();
    if (stop == tabStop_)
        return;
    if (tabStop_)
        tabStop_->setFocusPolicy(Qt::NoFocus);
    tabStop_ = stop;
    if (stop)
        stop->setFocusPolicy(Qt::TabFocus);
}

bool CWRack::moveFocus(CWRackChip* from, int step)
{
    const qsizetype at = chips_.indexOf(from);
    if (at < 0 || chips_.isEmpty())
        return false;
    const qsizetype to = std::clamp<qsizetype>(at + step, 0, chips_.size() - 1);
    if (to == at)
        return false;
    chips_[to]->setFocus(Qt::TabFocusReason);
    placeTabStop();
    return true;
}
