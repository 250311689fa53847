#include "views/inspector.h"

#include "model/mwtime.h"
#include "store/store.h"
#include "theme/access.h"
#include "theme/buttons.h"
#include "theme/fonts.h"
#include "theme/knob.h"
#include "theme/mwui.h"
#include "theme/scrollbars.h"
#include "theme/segment.h"
#include "theme/switch.h"
#include "theme/text.h"
#include "views/positionpad.h"
#include "views/shapetile.h"
#include "views/viewkit.h"

#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QSignalBlocker>
#include <QVBoxLayout>
#include <algorithm>

namespace {
using CWViewKit::setTextColour;
using CWViewKit::zoom;

// A hairline across the column in the finish's darkest metal.
class Divider : public QWidget {
public:
    explicit Divider(QWidget* parent) : QWidget(parent)
    {
        setFixedHeight(1);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        connect(MWUI::shared(), &MWUI::changed, this, qOverload<>(&QWidget::update));
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter(this).fillRect(rect(), MWUI::shared()->theme().metalLo);
    }
};

MWChromeButton* compactButton(const QString& text, QWidget* parent)
{
    auto* button = new MWChromeButton(text, parent);
    button->setCompact(true);
    return button;
}

QString barsHelp()
{
    return QObject::tr("This video has black bars burned into the picture. On: the frame stays "
                       "inside the real picture, so the export has no bars. Off: the whole frame, "
                       "bars included.");
}

QString captionsHelp()
{
    return QObject::tr("Burns the video's subtitles into this clip's picture, sized for a phone "
                       "and kept clear of the apps' buttons. Off: the clip is exported without "
                       "them.");
}

// Each press of Raise or Lower moves the captions by this much of the frame's height.
constexpr double kRaiseStep = 0.02;

QString audioHelp()
{
    return QObject::tr("Normalize: each clip is measured and brought to the loudness short-video "
                       "apps play at, its peaks kept under −1 dBTP. Silent clips stay "
                       "silent.");
}
}  // namespace

CWInspector::CWInspector(CWStore* store, QWidget* parent) : QScrollArea(parent), store_(store)
{
    setAccessibleName(tr("Inspector"));
    mwSetAccessibleRole(this, QAccessible::Grouping);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    mwThinScrollBars(this);
    setWidgetResizable(true);
    content_ = new QWidget;
    auto* column = new QVBoxLayout(content_);

    caption_ = new MWCaption(QString(), content_);
    column->addWidget(caption_, 0, Qt::AlignLeft);
    column->addWidget(makeFrameControls(content_));

    reset_ = compactButton(tr("Reset Frame"), content_);
    connect(reset_, &QPushButton::clicked, this, [this] { store_->resetFrame(); });
    column->addWidget(reset_, 0, Qt::AlignLeft);
    column->addWidget(makePointControls(content_));

    bars_ = new MWSwitch(tr("Remove black bars"), content_);
    bars_->setToolTip(barsHelp());
    connect(bars_, &MWSwitch::clicked, this, [this](bool on) { store_->setTrimBorders(on); });
    column->addWidget(bars_, 0, Qt::AlignLeft);

    divider_ = new Divider(content_);
    column->addWidget(divider_);
    qualityCaption_ = new MWCaption(tr("Output quality"), content_);
    column->addWidget(qualityCaption_, 0, Qt::AlignLeft);
    quality_ = new MWSegment(content_);
    quality_->setAccessibleName(tr("Output quality"));
    quality_->setItems(
        std::vector<std::pair<int, QString>>{{1080, tr("1080p")}, {720, tr("720p")}});
    // Only the user's choice writes the store; showing the store's value must not.
    connect(quality_, &MWSegment::activated, this,
            [this](const QVariant& value) { store_->setShortSide(value.toInt()); });
    column->addWidget(quality_, 0, Qt::AlignLeft);
    size_ = new QLabel(content_);
    column->addWidget(size_, 0, Qt::AlignLeft);
    audioCaption_ = new MWCaption(tr("Audio"), content_);
    column->addWidget(audioCaption_, 0, Qt::AlignLeft);
    audio_ = new MWSegment(content_);
    audio_->setAccessibleName(tr("Audio level"));
    audio_->setToolTip(audioHelp());
    audio_->setItems(std::vector<std::pair<AudioLevel, QString>>{
        {AudioLevel::source, tr("Source level")},
        {AudioLevel::normalized, tr("Normalize to −14 LUFS")}});
    connect(audio_, &MWSegment::activated, this,
            [this](const QVariant& value) { store_->setAudioLevel(value.value<AudioLevel>()); });
    column->addWidget(audio_, 0, Qt::AlignLeft);

    column->addWidget(makeClipSection(content_));

    applyAll_ = compactButton(tr("Apply aspect to all clips"), content_);
    applyMenu_ = new QMenu(applyAll_);
    for (Aspect a : allAspects()) {
        applyMenu_->addAction(rawValue(a) + QStringLiteral("  ") + audience(a), this,
                              [this, a] { store_->setAspectForAll(a); });
    }
    applyAll_->setMenu(applyMenu_);
    column->addWidget(applyAll_, 0, Qt::AlignLeft);
    column->addStretch(1);

    setWidget(content_);
    // setWidget makes the content paint the window colour; the controls sit on
    // the window's own background instead.
    content_->setAutoFillBackground(false);
    viewport()->setAutoFillBackground(false);
    setAutoFillBackground(false);

    // Each field refreshes only what shows it: the playhead's 60 ticks a
    // second while playing touch nothing here.
    connect(store_, &CWStore::changed, this, [this](CWStore::Field field) {
        using F = CWStore::Field;
        switch (field) {
        case F::aspect:
            showShape();
            break;
        case F::zoom:
            showZoom();
            break;
        case F::shortSide:
            showQuality();
            break;
        case F::audioLevel:
            showAudio();
            break;
        case F::sources:
            showBars();
            showCaptions();
            break;
        case F::clips:
        case F::selectedClipID:
            showCaption();
            showClip();
            showPoint();
            showCaptions();
            break;
        case F::time:
        case F::currentSourceID:
            showPoint();
            if (field == F::currentSourceID)
                showBars();
            break;
        default:
            break;
        }
    });
    connect(MWUI::shared(), &MWUI::changed, this, &CWInspector::restyle);
    restyle();
    showCaption();
    showShape();
    showZoom();
    showBars();
    showQuality();
    showAudio();
    showClip();
    showPoint();
    showCaptions();
}

QWidget* CWInspector::makePointControls(QWidget* parent)
{
    points_ = new QWidget(parent);
    auto* row = new QHBoxLayout(points_);
    row->setContentsMargins(0, 0, 0, 0);
    pointCaption_ = new MWCaption(tr("Frame point"), points_);
    pointKind_ = new MWSegment(points_);
    pointKind_->setAccessibleName(tr("How the frame reaches this point"));
    pointKind_->setItems(std::vector<std::pair<int, QString>>{{0, tr("Glide")}, {1, tr("Cut")}});
    connect(pointKind_, &MWSegment::activated, this, [this](const QVariant& value) {
        if (const std::optional<int> point = store_->pointAtPlayhead())
            store_->setPointCut(*point, value.toInt() == 1);
    });
    row->addWidget(pointCaption_);
    row->addWidget(pointKind_);
    row->addStretch(1);
    return points_;
}

void CWInspector::showPoint()
{
    // Only for a clip whose frame moves; between its points there is nothing to choose.
    const Clip* clip = store_->selectedClip();
    const bool moving = clip && !clip->points.empty();
    if (points_->isHidden() == moving)
        points_->setVisible(moving);
    if (!moving)
        return;
    const std::optional<int> point = store_->pointAtPlayhead();
    pointKind_->setEnabled(point.has_value());
    const QSignalBlocker quiet(pointKind_);
    pointKind_->select(point && clip->points[size_t(*point)].cut ? 1 : 0);
}

QWidget* CWInspector::makeFrameControls(QWidget* parent)
{
    auto* box = new QWidget(parent);
    auto* stack = frameStack_ = new QVBoxLayout(box);
    stack->setContentsMargins(0, 0, 0, 0);

    auto* grid = grid_ = new QGridLayout;
    grid->setContentsMargins(0, 0, 0, 0);
    for (Aspect a : allAspects()) {
        auto* tile = new CWShapeTile(a, box);
        connect(tile, &QAbstractButton::clicked, this, [this, a] { store_->setAspect(a); });
        const int i = int(tiles_.size());
        grid->addWidget(tile, i / 2, i % 2);
        tiles_.append(tile);
    }
    grid->setColumnStretch(0, 1);
    grid->setColumnStretch(1, 1);
    stack->addLayout(grid);

    auto* row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    knob_ = new MWKnob(tr("Zoom"), 1, 3, 70, box);
    knob_->setFormat([](double v) { return QString::asprintf("%.2f×", v); });
    connect(knob_, &MWKnob::valueChanged, this, [this](double v) { store_->setZoom(v); });
    row->addWidget(knob_, 0, Qt::AlignTop);
    row->addStretch(1);

    auto* position = positionColumn_ = new QVBoxLayout;
    position->setContentsMargins(0, 0, 0, 0);
    position_ = new MWCaption(tr("Position"), box);
    pad_ = new CWPositionPad(store_, box);
    center_ = compactButton(tr("Center"), box);
    connect(center_, &QPushButton::clicked, this, [this] {
        store_->setCenterX(0.5);
        store_->setCenterY(0.5);
    });
    position->addWidget(position_, 0, Qt::AlignLeft);
    position->addWidget(pad_, 0, Qt::AlignLeft);
    position->addWidget(center_, 0, Qt::AlignLeft);
    row->addLayout(position);
    row->setAlignment(position, Qt::AlignTop);
    stack->addLayout(row);
    return box;
}

QWidget* CWInspector::makeClipSection(QWidget* parent)
{
    section_ = new QWidget(parent);
    auto* stack = new QVBoxLayout(section_);
    stack->setContentsMargins(0, 0, 0, 0);
    sectionDivider_ = new Divider(section_);
    stack->addWidget(sectionDivider_);
    sectionCaption_ = new MWCaption(tr("Selected clip"), section_);
    stack->addWidget(sectionCaption_, 0, Qt::AlignLeft);

    name_ = new QLineEdit(section_);
    name_->setPlaceholderText(tr("Clip name"));
    name_->setAccessibleName(tr("Clip name"));
    // Only the user's edits rename: the text the store sends back is the text
    // already in the field, so the cursor stays where the user is typing.
    connect(name_, &QLineEdit::textEdited, this, [this](const QString& text) {
        if (const Clip* clip = store_->selectedClip())
            store_->rename(clip->id, text);
    });
    stack->addWidget(name_);
    times_ = new QLabel(section_);
    stack->addWidget(times_, 0, Qt::AlignLeft);

    auto* row = clipButtons_ = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    duplicate_ = compactButton(tr("Duplicate"), section_);
    done_ = compactButton(tr("Done Editing"), section_);
    // The clip's id is taken before the call: the store replaces the clip list.
    connect(duplicate_, &QPushButton::clicked, this, [this] {
        if (const Clip* clip = store_->selectedClip())
            store_->duplicateClip(QUuid(clip->id));
    });
    connect(done_, &QPushButton::clicked, this,
            [this] { store_->setSelectedClipID(std::nullopt); });
    row->addWidget(duplicate_);
    row->addWidget(done_);
    row->addStretch(1);
    stack->addLayout(row);

    export_ = compactButton(tr("Export This Clip"), section_);
    export_->setProminent(true);
    export_->setSymbol("square.and.arrow.up");
    connect(export_, &QPushButton::clicked, this, [this] {
        if (const Clip* clip = store_->selectedClip())
            store_->exportAll(QList<QUuid>{clip->id});
    });
    stack->addWidget(export_, 0, Qt::AlignLeft);
    stack->addWidget(makeCaptionControls(section_));
    return section_;
}

QWidget* CWInspector::makeCaptionControls(QWidget* parent)
{
    auto* box = new QWidget(parent);
    auto* stack = captionRows_ = new QVBoxLayout(box);
    stack->setContentsMargins(0, 0, 0, 0);
    captionsCaption_ = new MWCaption(tr("Captions"), box);
    stack->addWidget(captionsCaption_, 0, Qt::AlignLeft);
    captions_ = new MWSwitch(tr("Burn in captions"), box);
    captions_->setToolTip(captionsHelp());
    connect(captions_, &MWSwitch::clicked, this, [this](bool on) { store_->setClipCaptions(on); });
    stack->addWidget(captions_, 0, Qt::AlignLeft);
    captionsFrom_ = new QLabel(box);
    captionsFrom_->setWordWrap(true);
    stack->addWidget(captionsFrom_);

    captionsSource_ = compactButton(tr("Captions From"), box);
    captionsSource_->setAccessibleName(tr("Where the captions come from"));
    captionsSource_->setToolTip(tr("A subtitle file (.srt, .vtt, .ass), a text subtitle track "
                                   "inside the video, or none."));
    captionsMenu_ = new QMenu(captionsSource_);
    connect(captionsMenu_, &QMenu::aboutToShow, this, &CWInspector::fillCaptionsMenu);
    captionsSource_->setMenu(captionsMenu_);
    stack->addWidget(captionsSource_, 0, Qt::AlignLeft);

    auto* row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    captionLook_ = new MWSegment(box);
    captionLook_->setAccessibleName(tr("Caption look"));
    captionLook_->setToolTip(tr("Outline: bold white letters with a dark edge. Box: white "
                                "letters on a dark box."));
    captionLook_->setItems(std::vector<std::pair<int, QString>>{
        {int(Captions::Look::outline), Captions::lookTitle(Captions::Look::outline)},
        {int(Captions::Look::box), Captions::lookTitle(Captions::Look::box)}});
    connect(captionLook_, &MWSegment::activated, this, [this](const QVariant& value) {
        store_->setCaptionLook(Captions::Look(value.toInt()));
    });
    raise_ = compactButton(tr("Raise"), box);
    raise_->setAccessibleName(tr("Raise captions"));
    lower_ = compactButton(tr("Lower"), box);
    lower_->setAccessibleName(tr("Lower captions"));
    raise_->setToolTip(tr("Moves the captions up a little; the viewer shows where."));
    lower_->setToolTip(tr("Moves the captions down a little; the viewer shows where."));
    connect(raise_, &QPushButton::clicked, this, [this] { store_->raiseCaptions(kRaiseStep); });
    connect(lower_, &QPushButton::clicked, this, [this] { store_->raiseCaptions(-kRaiseStep); });
    row->addWidget(captionLook_);
    row->addWidget(raise_);
    row->addWidget(lower_);
    row->addStretch(1);
    stack->addLayout(row);
    return box;
}

void CWInspector::fillCaptionsMenu()
{
    captionsMenu_->clear();
    const CWSource* source = store_->current();
    if (!source)
        return;
    captionsMenu_->addAction(tr("Subtitle File…"), this, [this] { store_->chooseCaptionsFile(); });
    if (!source->tracks.isEmpty())
        captionsMenu_->addSection(tr("Tracks in the video"));
    for (const Captions::Track& track : source->tracks) {
        QStringList words;
        for (const QString& word : {track.title, track.language, track.format}) {
            if (!word.isEmpty())
                words << word;
        }
        QString text = tr("Track %1").arg(track.stream);
        if (!words.isEmpty())
            text += QStringLiteral(": ") + words.join(QStringLiteral(" · "));
        if (!track.usable)
            text += QStringLiteral(" — ") + track.reason;
        QAction* action = captionsMenu_->addAction(text, this, [this, stream = track.stream] {
            store_->attachCaptions({QString(), stream});
        });
        action->setEnabled(track.usable);
        action->setCheckable(track.usable);
        action->setChecked(source->captions.track == track.stream);
    }
    captionsMenu_->addSeparator();
    QAction* detach =
        captionsMenu_->addAction(tr("No Captions"), this, [this] { store_->attachCaptions({}); });
    detach->setEnabled(!source->captions.isEmpty());
}

void CWInspector::showCaptions()
{
    const Clip* clip = store_->selectedClip();
    const CWSource* source = store_->current();
    if (!clip || !source || clip->sourceID != source->id)
        return;
    QString from;
    if (source->captions.isEmpty()) {
        from = source->tracks.isEmpty()
                   ? tr("No captions attached. A subtitle file named like the video "
                        "(talk.srt or talk.en.srt beside talk.mp4) is attached at import.")
                   : tr("No captions attached; the video has subtitle tracks to choose from.");
    } else {
        const QString name = source->captions.file.isEmpty()
                                 ? tr("track %1 of the video").arg(source->captions.track)
                                 : QFileInfo(source->captions.file).fileName();
        if (source->cues)
            from = tr("From %1 · %2 caption%3")
                       .arg(name, QString::number(source->cues->size()),
                            source->cues->size() == 1 ? QString() : QStringLiteral("s"));
        else if (!source->captionsProblem.isEmpty())
            from = source->captionsProblem;
        else
            from = tr("Reading %1…").arg(name);
    }
    captionsFrom_->setText(from);
    captionsFrom_->setAccessibleName(from);
    {
        const QSignalBlocker quiet(captions_);
        captions_->setOn(clip->captions);
    }
    // Nothing to burn in yet: the switch waits for an attachment, unless it is on.
    captions_->setEnabled(clip->captions || !source->captions.isEmpty());
    const QSignalBlocker quiet(captionLook_);
    captionLook_->select(int(clip->captionStyle.look));
    captionLook_->setEnabled(clip->captions);
    raise_->setEnabled(clip->captions && clip->captionStyle.raise < Captions::kMostRaise);
    lower_->setEnabled(clip->captions && clip->captionStyle.raise > -Captions::kMostRaise);
}

QString CWInspector::sizeText(int width, int height)
{
    return QString::number(width) + QStringLiteral(" × ") + QString::number(height) +
           QStringLiteral(" · H.264 MP4 with sound");
}

void CWInspector::showCaption()
{
    caption_->setText(store_->selectedClip() ? tr("Frame for the selected clip")
                                             : tr("Frame for the next clip"));
}

void CWInspector::showShape()
{
    for (CWShapeTile* tile : std::as_const(tiles_))
        tile->setSelected(tile->aspect() == store_->aspect());
    const QSize size = renderSize(store_->aspect(), store_->shortSide());
    size_->setText(sizeText(size.width(), size.height()));
}

void CWInspector::showZoom()
{
    const QSignalBlocker quiet(knob_);
    knob_->setValue(store_->zoom());
}

void CWInspector::showBars()
{
    const CWSource* source = store_->current();
    const bool found = source && source->picture;
    bars_->setVisible(found);
    if (found) {
        const QSignalBlocker quiet(bars_);
        bars_->setOn(source->trimBorders);
    }
}

void CWInspector::showQuality()
{
    {
        const QSignalBlocker quiet(quality_);
        quality_->select(store_->shortSide());
    }
    showShape();
}

void CWInspector::showAudio()
{
    const QSignalBlocker quiet(audio_);
    audio_->select(store_->audioLevel());
}

void CWInspector::showClip()
{
    applyAll_->setEnabled(!store_->clips().isEmpty());
    const Clip* clip = store_->selectedClip();
    section_->setVisible(clip != nullptr);
    if (!clip)
        return;
    if (name_->text() != clip->name)
        name_->setText(clip->name);
    times_->setText(MWTime::clock(clip->inTime, true) + QStringLiteral(" – ") +
                    MWTime::clock(clip->outTime, true) + QStringLiteral(" · ") +
                    MWTime::clock(std::max(clip->outTime - clip->inTime, 0.0), true));
}

void CWInspector::restyle()
{
    const MWTheme& t = MWUI::shared()->theme();
    const double z = zoom();
    const int gap = qRound(12 * z);
    // The selected tile's glow needs room on either side of the column.
    const int side = qRound(6 * z);
    content_->layout()->setContentsMargins(side, side, side, side);
    content_->layout()->setSpacing(gap);
    section_->layout()->setSpacing(gap);
    frameStack_->setSpacing(gap);
    grid_->setSpacing(qRound(8 * z));
    positionColumn_->setSpacing(qRound(6 * z));
    clipButtons_->setSpacing(qRound(8 * z));
    captionRows_->setSpacing(qRound(8 * z));
    captionsFrom_->setFont(mwFont(10.5, QFont::Normal, MWDesign::Rounded));
    setTextColour(captionsFrom_, t.dim);

    size_->setFont(mwFont(10.5, QFont::Normal, MWDesign::Rounded));
    setTextColour(size_, t.dim);
    times_->setFont(mwMono(10.5, QFont::Medium));
    setTextColour(times_, t.accent2);

    name_->setFont(mwFont(12));
    QPalette palette = name_->palette();
    palette.setColor(QPalette::Text, t.text);
    palette.setColor(QPalette::PlaceholderText, t.dim);
    palette.setColor(QPalette::Highlight, t.accent);
    palette.setColor(QPalette::HighlightedText, Qt::white);
    name_->setPalette(palette);
    name_->setStyleSheet(QStringLiteral("QLineEdit { background: %1; color: %2; border: 1px solid "
                                        "%3; border-radius: %4px; padding: %5px %6px; }"
                                        "QLineEdit:focus { border-color: %7; }")
                             .arg(t.well.name(), t.text.name(), t.metalLo.name())
                             .arg(qRound(6 * z))
                             .arg(qRound(3 * z))
                             .arg(qRound(6 * z))
                             .arg(t.accent.name()));
    content_->updateGeometry();
}
