#include "views/viewer.h"

#include "model/formats.h"
#include "platform/playersurface.h"
#include "store/store.h"
#include "theme/access.h"
#include "theme/buttons.h"
#include "theme/filedrop.h"
#include "theme/fonts.h"
#include "theme/mwui.h"
#include "theme/scrollbars.h"
#include "theme/switch.h"
#include "theme/symbols.h"
#include "theme/text.h"
#include "views/cropframewidget.h"
#include "views/switchpair.h"
#include "views/viewkit.h"

#include <QEvent>
#include <QGraphicsDropShadowEffect>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>
#include <QtMath>
#include <algorithm>

namespace {
using CWViewKit::setTextColour;
using CWViewKit::zoom;

// A centred line of the invitation: it asks for its whole text on one line
// (a plain wrapping label would break it at half its length), and wraps at
// word ends only when the well is narrower than that.
class WrappingLine : public QLabel {
public:
    using QLabel::QLabel;
    // Wraps, centred, only where width is narrower than the whole line, so a
    // line with room is drawn exactly as a plain label.
    void fitTo(int width)
    {
        const bool wrap = singleLineWidth() > width;
        setWordWrap(wrap);
        setAlignment(wrap ? Qt::AlignHCenter | Qt::AlignTop : Qt::AlignLeft | Qt::AlignVCenter);
    }
    QSize sizeHint() const override
    {
        if (!wordWrap())
            return QLabel::sizeHint();
        return {singleLineWidth(), heightForWidth(QWIDGETSIZE_MAX)};
    }

private:
    int singleLineWidth() const
    {
        const QMargins m = contentsMargins();
        return QFontMetrics(font()).horizontalAdvance(text()) + 1 + m.left() + m.right();
    }
};

// The card's rounded black glass behind the bar and the busy text.
class ProgressCard : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0, 0, 0, qRound(0.75 * 255)));
        const double r = 16 * zoom();
        p.drawRoundedRect(QRectF(rect()), r, r);
    }
};
}  // namespace

CWViewer::CWViewer(CWStore* store, QWidget* parent) : MWPanel(parent, 24, 10), store_(store)
{
    setAccessibleName(tr("Reframe viewer"));
    auto* column = new QVBoxLayout(this);

    auto* header = new QHBoxLayout;
    caption_ = new MWCaption(tr("Reframe viewer"), this);
    editing_ = new CWElidedLabel(this);
    editing_->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
    // The safe zones are a preference of the interface, kept for the next
    // launch; the switch and the overlay both follow it.
    safe_ = new MWSwitch(tr("Safe zones"), this);
    safe_->setOn(MWUI::shared()->safeZones());
    connect(safe_, &MWSwitch::toggled, MWUI::shared(), &MWUI::setSafeZones);
    connect(MWUI::shared(), &MWUI::safeZonesChanged, safe_, &MWSwitch::setChecked);
    grid_ = new MWSwitch(tr("Thirds grid"), this);
    grid_->setOn(true);
    // In a narrow viewer the clip's name gives way first, then the caption,
    // then the switches stack; they keep their titles and the right edge,
    // selected clip or not.
    switches_ = new CWSwitchPair(safe_, grid_, this);
    caption_->setElides(true);
    header->addWidget(caption_, 0, Qt::AlignVCenter);
    header->addWidget(editing_, 0, Qt::AlignVCenter);
    header->addStretch(1);
    header->addWidget(switches_, 0, Qt::AlignVCenter);
    column->addLayout(header);

    auto* well = new MWWell(this, 16);
    auto* wellLayout = new QVBoxLayout(well);
    stage_ = new QWidget(well);
    wellLayout->addWidget(stage_);
    column->addWidget(well, 1);
    const QStringList& exts = CWFormats::exts();
    mwFileDrop(well, QSet<QString>(exts.begin(), exts.end()), [this](const QList<QUrl>& files) {
        QStringList paths;
        for (const QUrl& url : files)
            paths << url.toLocalFile();
        store_->enqueueImport(paths);
    });

    // Back to front: the picture, the frame over it, the invitation, the card.
    surface_ = new MWPlayerSurface(stage_);
    surface_->setPlayer(store_->player());
    overlay_ = new CWCropOverlay(store_, stage_);
    empty_ = makeEmptyState(stage_);
    card_ = makeProgressCard(stage_);
    stage_->installEventFilter(this);
    connect(grid_, &MWSwitch::toggled, overlay_, &CWCropOverlay::setGrid);

    connect(store_, &CWStore::changed, this, [this](CWStore::Field field) {
        using F = CWStore::Field;
        switch (field) {
        case F::sources:
        case F::currentSourceID:
            showSource();
            break;
        case F::clips:
        case F::selectedClipID:
            showSelection();
            break;
        case F::busy:
        case F::progress:
            showBusy();
            break;
        default:
            break;
        }
    });
    connect(MWUI::shared(), &MWUI::changed, this, &CWViewer::restyle);
    restyle();
    showSource();
    showSelection();
    showBusy();
}

QWidget* CWViewer::makeEmptyState(QWidget* parent)
{
    // A large zoom in a small window can leave the well smaller than the
    // invitation: its lines wrap, and what still does not fit scrolls.
    auto* area = new QScrollArea(parent);
    area->setFrameShape(QFrame::NoFrame);
    area->setWidgetResizable(true);
    area->setAutoFillBackground(false);
    area->viewport()->setAutoFillBackground(false);
    mwThinScrollBars(area);
    auto* box = new QWidget;
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addStretch(1);
    emptySymbol_ = new QLabel(box);
    emptySymbol_->setGraphicsEffect(new QGraphicsDropShadowEffect(emptySymbol_));
    emptyTitle_ = new WrappingLine(tr("Import a video to start cutting clips"), box);
    emptyText_ = new WrappingLine(
        tr("MP4 · MOV · M4V · MPEG/MPG · TS — drag files onto the media bin or here"), box);
    import_ = new MWChromeButton(tr("Import Videos…"), box);
    import_->setProminent(true);
    import_->setSymbol("square.and.arrow.down");
    connect(import_, &QPushButton::clicked, this, [this] { store_->chooseFiles(); });
    for (QWidget* w : {static_cast<QWidget*>(emptySymbol_), static_cast<QWidget*>(emptyTitle_),
                       static_cast<QWidget*>(emptyText_), static_cast<QWidget*>(import_)})
        layout->addWidget(w, 0, Qt::AlignHCenter);
    layout->addStretch(1);
    area->setWidget(box);
    // setWidget makes the content paint the window colour; the well shows through.
    box->setAutoFillBackground(false);
    return area;
}

QWidget* CWViewer::makeProgressCard(QWidget* parent)
{
    auto* card = new ProgressCard(parent);
    // It only tells: the frame under it can still be dragged while the
    // filmstrip of a video already on screen is being made.
    card->setAttribute(Qt::WA_TransparentForMouseEvents);
    auto* layout = new QVBoxLayout(card);
    bar_ = new QProgressBar(card);
    bar_->setTextVisible(false);
    busyText_ = new CWElidedLabel(card);
    setTextColour(busyText_, Qt::white);
    layout->addWidget(bar_, 0, Qt::AlignHCenter);
    layout->addWidget(busyText_, 0, Qt::AlignHCenter);
    return card;
}

bool CWViewer::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == stage_ && event->type() == QEvent::Resize)
        layoutStage();
    return MWPanel::eventFilter(watched, event);
}

void CWViewer::layoutStage()
{
    const QRect all = stage_->rect();
    surface_->setGeometry(all);
    overlay_->setGeometry(all);
    empty_->setGeometry(all);
    // The symbol only decorates: it goes first when the invitation would
    // otherwise have to scroll.
    // The button keeps its symbol where its label would widen the invitation
    // past the well (its name stays for the screen reader and the tooltip).
    const bool symbolOnly = import_->sizeHintShowing(true).width() > all.width();
    import_->setSymbolOnly(symbolOnly);
    import_->setToolTip(symbolOnly ? import_->text() : QString());
    auto* area = static_cast<QScrollArea*>(empty_);
    QWidget* box = area->widget();
    // A scrolling invitation leaves its bar's width to the lines.
    const int bar =
        box->sizeHint().height() > all.height() ? area->verticalScrollBar()->sizeHint().width() : 0;
    for (QLabel* line : {emptyTitle_, emptyText_})
        static_cast<WrappingLine*>(line)->fitTo(all.width() - bar);
    const int width = std::max(all.width(), box->minimumSizeHint().width());
    int need = box->heightForWidth(width);
    if (need < 0)
        need = box->sizeHint().height();
    if (emptySymbol_->isHidden())
        need += emptySymbol_->sizeHint().height() + box->layout()->spacing();
    emptySymbol_->setVisible(need <= all.height());

    // Before the card would leave the well its padding gives way, the bar
    // shortens and the busy text is cut with "…".
    const int gap = card_->layout()->spacing();
    const int lines = bar_->height() + gap + busyText_->sizeHint().height();
    const int pad = std::clamp((all.height() - lines) / 2, 0, qRound(20 * zoom()));
    card_->layout()->setContentsMargins(QMargins() + pad);
    bar_->setFixedWidth(std::max(0, std::min(qRound(260 * zoom()), all.width() - 2 * pad)));
    const QSize size = card_->sizeHint().boundedTo(all.size());
    card_->setGeometry(
        QRect(QPoint(0, 0), size).translated(all.center() - QRect(QPoint(0, 0), size).center()));
}

void CWViewer::showSource()
{
    const bool has = store_->current() != nullptr;
    surface_->setVisible(has);
    overlay_->setVisible(has);
    empty_->setVisible(!has);
    if (has) {
        surface_->setPlayer(store_->player());
        overlay_->raise();
    }
    card_->raise();
    overlay_->update();
}

void CWViewer::resizeEvent(QResizeEvent* event)
{
    MWPanel::resizeEvent(event);
    arrangeHeader();
}

void CWViewer::showSelection()
{
    if (const Clip* clip = store_->selectedClip())
        editing_->setText(tr("Editing: ") + clip->name);
    arrangeHeader();
}

void CWViewer::arrangeHeader()
{
    // A row shortens its items alike; here the switches come first, side by
    // side until not even an empty caption leaves room for both, then the
    // whole caption, and the clip's name takes what is left, shown only with
    // room for a word. The caption is held to what the switches leave, so a
    // shortage never squeezes them.
    const int gap = layout()->itemAt(0)->layout()->spacing();
    const int width = contentsRect().width();
    switches_->setStacked(width < switches_->rowSize().width() + gap);
    const int switches = switches_->sizeHint().width();
    caption_->setMaximumWidth(std::max(0, width - switches - gap));
    const int room = width - switches - caption_->sizeHint().width() - 2 * gap;
    const QFontMetrics metrics(editing_->font());
    const bool shown = store_->selectedClip() != nullptr &&
                       room >= metrics.horizontalAdvance(tr("Editing: ") + QStringLiteral("…"));
    editing_->setMaximumWidth(std::max(room, 0));
    editing_->setVisible(shown);
}

void CWViewer::showBusy()
{
    const auto busy = store_->busy();
    card_->setVisible(busy.has_value());
    if (!busy)
        return;
    busyText_->setText(*busy);
    bar_->setAccessibleName(*busy);
    if (const auto progress = store_->progress()) {
        bar_->setRange(0, 1000);
        bar_->setValue(qRound(std::clamp(*progress, 0.0, 1.0) * 1000));
        bar_->setAccessibleDescription(mwPercent(std::clamp(*progress, 0.0, 1.0)));
    } else {
        bar_->setRange(0, 0);  // indeterminate
        bar_->setAccessibleDescription(QString());
    }
    card_->raise();
    layoutStage();
}

void CWViewer::restyle()
{
    const MWTheme& t = MWUI::shared()->theme();
    const double z = zoom();
    const int gap = qRound(6 * z);
    static_cast<QVBoxLayout*>(layout())->setSpacing(gap);
    // The picture stays clear of the well's rounded corners: a square corner
    // inset by (1 − 1/√2) of the radius lies inside the rounding.
    stage_->parentWidget()->setContentsMargins(QMargins() + qCeil(16 * z * 0.3));
    static_cast<QBoxLayout*>(layout()->itemAt(0)->layout())->setSpacing(gap);

    editing_->setFont(mwFont(10.5, QFont::DemiBold, MWDesign::Rounded));
    setTextColour(editing_, t.accent2);
    arrangeHeader();

    emptySymbol_->setPixmap(MWSymbols::pixmap("rectangle.portrait.and.arrow.right", t.accent2,
                                              48 * z, devicePixelRatioF()));
    auto* glow = static_cast<QGraphicsDropShadowEffect*>(emptySymbol_->graphicsEffect());
    glow->setColor(t.accent);
    glow->setBlurRadius(20 * z);  // the effect's radius is a diameter-like blur extent
    glow->setOffset(0, 0);
    emptyTitle_->setFont(mwFont(19, QFont::Bold));
    setTextColour(emptyTitle_, t.text);
    emptyText_->setFont(mwFont(11.5));
    setTextColour(emptyText_, t.dim);
    static_cast<QScrollArea*>(empty_)->widget()->layout()->setSpacing(qRound(12 * z));

    card_->layout()->setSpacing(qRound(8 * z));
    bar_->setFixedHeight(qRound(6 * z));
    QPalette barPalette = bar_->palette();
    barPalette.setColor(QPalette::Highlight, t.accent);
    barPalette.setColor(QPalette::Base, QColor(255, 255, 255, 46));
    barPalette.setColor(QPalette::Window, QColor(255, 255, 255, 46));
    bar_->setPalette(barPalette);
    busyText_->setFont(mwFont(12.5, QFont::DemiBold, MWDesign::Rounded));
    layoutStage();
}
