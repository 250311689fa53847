#include "views/header.h"

#include "model/mwtime.h"
#include "store/store.h"
#include "theme/access.h"
#include "theme/badge.h"
#include "theme/buttons.h"
#include "theme/fonts.h"
#include "theme/mwui.h"
#include "theme/symbols.h"
#include "theme/text.h"
#include "views/viewkit.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>
#include <algorithm>

namespace {
using CWViewKit::zoom;

// Widest time a readout is sized for, so the transport does not shift while
// the playhead runs or a mark moves (times under 100 minutes).
const QString widestTime = QStringLiteral("00:00.0");

// The product's mark: a rounded square in the finish's accents with the scissors.
class HeaderMark : public QWidget {
public:
    using QWidget::QWidget;
    QSize sizeHint() const override
    {
        const int side = qRound(38 * zoom());
        return {side, side};
    }
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        const MWTheme& t = MWUI::shared()->theme();
        const double z = zoom();
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const QRectF box = QRectF(QPointF(0, 0), QSizeF(38 * z, 38 * z))
                               .translated((width() - 38 * z) / 2, (height() - 38 * z) / 2);
        QLinearGradient fill(box.topLeft(), box.bottomRight());
        fill.setColorAt(0, t.accent);
        fill.setColorAt(1, t.accent2);
        p.setPen(QPen(t.metalHi, 1));
        p.setBrush(fill);
        p.drawRoundedRect(box.adjusted(0.5, 0.5, -0.5, -0.5), 10 * z, 10 * z);
        // A 17-point glyph is about 22 pixels across at 100 %.
        const double glyph = 22 * z;
        MWSymbols::paint(&p, QRectF(box.center() - QPointF(glyph, glyph) / 2, QSizeF(glyph, glyph)),
                         QStringLiteral("scissors"), Qt::white);
    }
};
}  // namespace

CWHeader::CWHeader(CWStore* store, QWidget* parent) : MWPanel(parent, 26, 8), store_(store)
{
    setAccessibleName(tr("Header"));
    mwSetAccessibleRole(this, QAccessible::ToolBar);
    auto* row = new QHBoxLayout(this);
    mark_ = new HeaderMark(this);
    title_ = new MWChromeTitle(QStringLiteral("Cutwright"), QStringLiteral("Pro"), this);
    in_ = orb(QStringLiteral("arrow.left.to.line"), 30, tr("Set In (I)"));
    back_ = orb(QStringLiteral("backward.frame.fill"), 30, tr("Back one frame (←)"));
    play_ = orb(QStringLiteral("play.fill"), 42, tr("Play / Pause (Space)"));
    forward_ = orb(QStringLiteral("forward.frame.fill"), 30, tr("Forward one frame (→)"));
    out_ = orb(QStringLiteral("arrow.right.to.line"), 30, tr("Set Out (O)"));
    lcd_ = new MWLCD(MWTime::clock(0, true), 17, this);
    lcd_->setAccessibleDescription(tr("Playhead"));
    addClip_ = new MWChromeButton(tr("Add Clip"), this);
    addClip_->setSymbol(QStringLiteral("plus.rectangle.on.rectangle"));
    addClip_->setToolTip(tr("Add the In–Out range as a clip (Return)"));
    exportAll_ = new MWChromeButton(QString(), this);
    exportAll_->setSymbol(QStringLiteral("square.and.arrow.up.on.square"));
    exportAll_->setToolTip(tr("Export every clip (Ctrl+E)"));

    row->addWidget(mark_, 0, Qt::AlignVCenter);
    row->addWidget(title_, 0, Qt::AlignVCenter);
    row->addStretch(1);
    row->addWidget(readout(tr("IN"), inLabel_, inValue_), 0, Qt::AlignVCenter);
    for (MWOrbButton* o : {in_, back_, play_, forward_, out_})
        row->addWidget(o, 0, Qt::AlignVCenter);
    row->addWidget(readout(tr("OUT"), outLabel_, outValue_), 0, Qt::AlignVCenter);
    row->addWidget(lcd_, 0, Qt::AlignVCenter);
    row->addStretch(1);
    row->addWidget(addClip_, 0, Qt::AlignVCenter);
    row->addWidget(exportAll_, 0, Qt::AlignVCenter);
    badge_ = new MWSOBadge(this);
    row->addWidget(badge_, 0, Qt::AlignVCenter);

    connect(in_, &QAbstractButton::clicked, store_, &CWStore::markIn);
    connect(back_, &QAbstractButton::clicked, store_, [this] { store_->step(-1); });
    connect(play_, &QAbstractButton::clicked, store_, &CWStore::togglePlay);
    connect(forward_, &QAbstractButton::clicked, store_, [this] { store_->step(1); });
    connect(out_, &QAbstractButton::clicked, store_, &CWStore::markOut);
    connect(addClip_, &QPushButton::clicked, store_, &CWStore::addClip);
    connect(exportAll_, &QPushButton::clicked, store_, [this] { store_->exportAll(); });

    connect(store_, &CWStore::changed, this, [this](CWStore::Field field) {
        using F = CWStore::Field;
        switch (field) {
        case F::time:
            showTime();
            break;
        case F::playing:
            showPlaying();
            break;
        case F::inMark:
        case F::outMark:
            showMarks();
            break;
        case F::sources:
        case F::currentSourceID:
        case F::clips:
        case F::exporting:
            showActions();
            break;
        default:
            break;
        }
    });
    connect(MWUI::shared(), &MWUI::changed, this, &CWHeader::restyle);
    restyle();
    showPlaying();
    showMarks();
    showTime();
    showActions();
}

MWOrbButton* CWHeader::orb(const QString& symbol, double size, const QString& help)
{
    auto* button = new MWOrbButton(symbol, size, this);
    button->setHelp(help);
    button->setFocusPolicy(Qt::NoFocus);  // the keys act on the store, never on a focused orb
    return button;
}

QWidget* CWHeader::readout(const QString& text, QLabel*& label, QLabel*& value)
{
    auto* box = new QWidget(this);
    auto* column = new QVBoxLayout(box);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    label = new QLabel(text, box);
    value = new QLabel(box);
    column->addWidget(label, 0, Qt::AlignLeft);
    column->addWidget(value, 0, Qt::AlignLeft);
    return box;
}

void CWHeader::showPlaying()
{
    const bool playing = store_->playing();
    play_->setSymbol(playing ? QStringLiteral("pause.fill") : QStringLiteral("play.fill"));
    play_->setLit(playing);
    play_->setAccessibleName(playing ? tr("Pause") : tr("Play"));
}

void CWHeader::showMarks()
{
    inValue_->setText(MWTime::clock(store_->inMark(), true));
    outValue_->setText(MWTime::clock(store_->outMark(), true));
    // Read alone, a time says nothing of which mark it is.
    inValue_->setAccessibleName(tr("In %1").arg(inValue_->text()));
    outValue_->setAccessibleName(tr("Out %1").arg(outValue_->text()));
}

void CWHeader::showTime()
{
    lcd_->setText(MWTime::clock(store_->time(), true));
}

void CWHeader::showActions()
{
    addClip_->setEnabled(store_->current() != nullptr);
    const qsizetype count = store_->clips().size();
    exportAll_->setText(tr("Export All (%1)").arg(count));
    exportAll_->setEnabled(count > 0 && !store_->exporting());
    // A longer count can leave the row without room for the title.
    updateGeometry();
    applyFit();
}

int CWHeader::rowWidth(Fit fit) const
{
    const QMargins margins = contentsMargins();
    const QLayout* row = layout();
    int width = margins.left() + margins.right();
    int shown = 0;
    for (int i = 0; i < row->count(); ++i) {
        QLayoutItem* item = row->itemAt(i);
        if (item->spacerItem()) {
            // A flexible space takes no spacing of its own, only its minimum.
            width += item->minimumSize().width();
            continue;
        }
        QWidget* w = item->widget();
        if ((w == title_ && fit != Fit::full) || (w == badge_ && fit == Fit::symbols))
            continue;
        if (w == addClip_ || w == exportAll_)
            width += static_cast<MWChromeButton*>(w)->sizeHintShowing(fit != Fit::symbols).width();
        else
            width += w->sizeHint().expandedTo(w->minimumSize()).width();
        ++shown;
    }
    return width + std::max(shown - 1, 0) * row->spacing();
}

QSize CWHeader::sizeHint() const
{
    return {rowWidth(Fit::full), MWPanel::sizeHint().height()};
}

QSize CWHeader::minimumSizeHint() const
{
    return {rowWidth(Fit::symbols), MWPanel::minimumSizeHint().height()};
}

void CWHeader::resizeEvent(QResizeEvent* event)
{
    MWPanel::resizeEvent(event);
    applyFit();
}

void CWHeader::applyFit()
{
    const int room = width();
    Fit fit = Fit::symbols;
    if (room >= rowWidth(Fit::full))
        fit = Fit::full;
    else if (room >= rowWidth(Fit::noTitle))
        fit = Fit::noTitle;
    if (fit == fit_ && title_->isHidden() == (fit != Fit::full))
        return;
    fit_ = fit;
    title_->setVisible(fit == Fit::full);
    badge_->setVisible(fit != Fit::symbols);
    addClip_->setSymbolOnly(fit == Fit::symbols);
    exportAll_->setSymbolOnly(fit == Fit::symbols);
}

void CWHeader::restyle()
{
    const MWTheme& t = MWUI::shared()->theme();
    const double z = zoom();
    static_cast<QHBoxLayout*>(layout())->setSpacing(qRound(12 * z));
    // The flexible spaces keep at least 6 points between their neighbours.
    for (int i = 0; i < layout()->count(); ++i)
        if (QSpacerItem* spacer = layout()->itemAt(i)->spacerItem())
            spacer->changeSize(qRound(6 * z), 0, QSizePolicy::Expanding, QSizePolicy::Minimum);
    mark_->updateGeometry();
    mark_->setFixedSize(mark_->sizeHint());

    for (QLabel* label : {inLabel_, outLabel_}) {
        label->setFont(mwFont(8.5, QFont::Bold, MWDesign::Rounded));
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, t.dim);
        label->setPalette(palette);
    }
    for (QLabel* value : {inValue_, outValue_}) {
        value->setFont(mwMono(12, QFont::Medium));
        QPalette palette = value->palette();
        palette.setColor(QPalette::WindowText, t.text);
        value->setPalette(palette);
        value->setMinimumWidth(QFontMetrics(value->font()).horizontalAdvance(widestTime));
    }
    const QString shown = lcd_->text();
    lcd_->setText(widestTime);
    lcd_->setMinimumWidth(lcd_->sizeHint().width());
    lcd_->setText(shown);
    layout()->invalidate();
    updateGeometry();
    applyFit();
}
