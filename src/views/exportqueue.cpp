#include "views/exportqueue.h"

#include "store/store.h"
#include "theme/access.h"
#include "theme/buttons.h"
#include "theme/fonts.h"
#include "theme/mwui.h"
#include "theme/panel.h"
#include "theme/symbols.h"
#include "views/viewaccess.h"
#include "views/viewkit.h"

#include <QApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QScrollArea>
#include <QVBoxLayout>
#include <QtMath>
#include <algorithm>

namespace {
using CWViewKit::setTextColour;
using CWViewKit::zoom;

constexpr double listHigh = 320;  // most the rows take before they scroll, points at 100 %
}  // namespace

CWQueueBar::CWQueueBar(QWidget* parent) : QWidget(parent)
{
    cwQueueAccessibility();
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void CWQueueBar::setValue(double value)
{
    value = std::clamp(value, 0.0, 1.0);
    if (value == value_)
        return;
    value_ = value;
    update();
    mwAccessibleValueChanged(this, value_);
}

QSize CWQueueBar::sizeHint() const
{
    return {qRound(100 * zoom()), qRound(6 * zoom())};
}

void CWQueueBar::paintEvent(QPaintEvent*)
{
    const MWTheme& t = MWUI::shared()->theme();
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF track = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    const double r = track.height() / 2;
    p.setPen(QPen(t.metalLo, 1));
    p.setBrush(t.well);
    p.drawRoundedRect(track, r, r);
    if (value_ <= 0)
        return;
    // Never narrower than its own height, so a barely started bar is a dot.
    const QRectF done(track.left(), track.top(), std::max(track.height(), track.width() * value_),
                      track.height());
    QLinearGradient fill(done.topLeft(), done.topRight());
    fill.setColorAt(0, t.accent);
    fill.setColorAt(1, t.accent2);
    p.setPen(Qt::NoPen);
    p.setBrush(fill);
    p.drawRoundedRect(done, r, r);
}

CWQueueRow::CWQueueRow(QWidget* parent)
    : QWidget(parent), line_(new QWidget(this)), name_(new CWElidedLabel(line_)),
      state_(new CWElidedLabel(line_)), bar_(new CWQueueBar(this))
{
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    name_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    state_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    line_->installEventFilter(this);
    column->addWidget(line_);
    column->addWidget(bar_);
    setRow(row_);
    restyle();
}

QColor CWQueueRow::stateColour(const QString& state)
{
    if (state.startsWith(QLatin1String("Failed")))
        return QColor(255, 69, 58);
    if (state.startsWith(QLatin1String("Done")))
        return QColor(48, 209, 88);
    return MWUI::shared()->theme().dim;
}

QString CWQueueRow::spokenState(const ExportRow& row)
{
    if (row.state.startsWith(QLatin1String("Exporting")))
        return row.state + QLatin1Char(' ') + mwPercent(std::clamp(row.progress, 0.0, 1.0));
    return row.state;
}

void CWQueueRow::setRow(const ExportRow& row)
{
    const bool spokenChanged = spokenState(row) != spokenState(row_);
    const bool first = name_->text().isEmpty() && state_->text().isEmpty();
    if (first || row.name != row_.name)
        name_->setText(row.name);
    if (first || row.state != row_.state) {
        state_->setText(row.state);
        state_->setToolTip(row.state);  // the whole of a failure cut short
        setTextColour(state_, stateColour(row.state));
    }
    bar_->setValue(row.progress);
    row_ = row;
    placeLine();
    if (spokenChanged)
        mwAccessibleChanged(this, QAccessible::DescriptionChanged);
}

bool CWQueueRow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == line_ && event->type() == QEvent::Resize)
        placeLine();
    return QWidget::eventFilter(watched, event);
}

void CWQueueRow::placeLine()
{
    // The name keeps its whole width while the state fits beside it, and at
    // least 60 % of the line when it does not: a long failure is what gives
    // way (its tooltip has the whole text).
    const int w = line_->width();
    const int h = line_->height();
    const int gap = qRound(8 * zoom());
    const auto natural = [](const QLabel* label) {
        return qCeil(QFontMetricsF(label->font()).horizontalAdvance(label->text()));
    };
    const int nameWide =
        std::min(natural(name_), std::max(int(w * 0.6), w - gap - natural(state_)));
    name_->setGeometry(0, 0, std::max(0, nameWide), h);
    const int stateLeft = std::min(w, nameWide + gap);
    state_->setGeometry(stateLeft, 0, w - stateLeft, h);
}

void CWQueueRow::restyle()
{
    const double z = zoom();
    layout()->setSpacing(qRound(3 * z));
    name_->setFont(mwFont(12, QFont::DemiBold));
    setTextColour(name_, MWUI::shared()->theme().text);
    state_->setFont(mwFont(10.5));
    setTextColour(state_, stateColour(row_.state));
    bar_->updateGeometry();
    bar_->update();
    line_->setFixedHeight(std::max(name_->sizeHint().height(), state_->sizeHint().height()));
    placeLine();
}

CWExportQueue::CWExportQueue(CWStore* store, QWidget* parent) : QWidget(parent), store_(store)
{
    // Before anything here tells a listening reader about the queue, which
    // makes (and keeps) its interface.
    cwQueueAccessibility();
    setFocusPolicy(Qt::StrongFocus);
    auto* outer = new QVBoxLayout(this);
    panel_ = new MWPanel(this, 26, 16);
    outer->addWidget(panel_, 0, Qt::AlignCenter);

    auto* column = new QVBoxLayout(panel_);
    auto* titleRow = new QHBoxLayout;
    symbol_ = new QLabel(panel_);
    title_ = new QLabel(panel_);
    titleRow->addWidget(symbol_, 0, Qt::AlignVCenter);
    titleRow->addWidget(title_, 0, Qt::AlignVCenter);
    titleRow->addStretch(1);
    column->addLayout(titleRow);

    scroll_ = new QScrollArea(panel_);
    list_ = CWViewKit::scrollingColumn(scroll_);
    column->addWidget(scroll_);

    auto* buttons = new QHBoxLayout;
    cancel_ = new MWChromeButton(tr("Cancel"), panel_);
    cancel_->setFocusPolicy(Qt::NoFocus);
    close_ = new MWChromeButton(tr("Close"), panel_);
    close_->setProminent(true);
    buttons->addStretch(1);
    buttons->addWidget(cancel_);
    buttons->addWidget(close_);
    column->addLayout(buttons);
    connect(cancel_, &QPushButton::clicked, this, [this] { store_->cancelExport(); });
    connect(close_, &QPushButton::clicked, this, [this] { store_->closeExportRows(); });

    parent->installEventFilter(this);
    setGeometry(parent->rect());
    hide();

    connect(store_, &CWStore::changed, this, [this](CWStore::Field field) {
        if (field == CWStore::Field::exportRows)
            showRows();
        else if (field == CWStore::Field::exporting)
            showExporting();
    });
    connect(MWUI::shared(), &MWUI::changed, this, &CWExportQueue::restyle);
    restyle();
    showExporting();
    showRows();
}

bool CWExportQueue::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize) {
        setGeometry(parentWidget()->rect());
        fitList();
    }
    return QWidget::eventFilter(watched, event);
}

void CWExportQueue::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), QColor(0, 0, 0, 128));
}

void CWExportQueue::keyPressEvent(QKeyEvent* event)
{
    // Stopping a batch is deliberate: a click on Cancel or the Clip menu's
    // Cancel Export. Space (the play key everywhere else), Return and Escape
    // are swallowed while it runs; once it has ended, Return and Escape close.
    const int key = event->key();
    const bool closing =
        key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape;
    if (closing && !store_->exporting())
        store_->closeExportRows();
    else if (!closing && key != Qt::Key_Space) {
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

bool CWExportQueue::focusNextPrevChild(bool)
{
    // Tab stays on the queue: nothing behind the backdrop may take the keys
    // while it covers the window. During a batch the queue itself holds them.
    takeKeys(Qt::TabFocusReason);
    return true;
}

void CWExportQueue::takeKeys(Qt::FocusReason reason)
{
    if (store_->exporting())
        setFocus(reason);
    else
        close_->setFocus(reason);
}

void CWExportQueue::mousePressEvent(QMouseEvent* event)
{
    // The backdrop keeps clicks from the window under it.
    event->accept();
}

void CWExportQueue::wheelEvent(QWheelEvent* event)
{
    event->accept();
}

void CWExportQueue::showRows()
{
    const QList<ExportRow>& rows = store_->exportRows();
    bool same = rows.size() == rows_.size();
    for (qsizetype i = 0; same && i < rows.size(); ++i)
        same = rows[i].id == rows_[i]->row().id;
    if (same) {
        // A progress tick: the same rows in the same order, changed in place.
        for (qsizetype i = 0; i < rows.size(); ++i)
            rows_[i]->setRow(rows[i]);
        if (!rows.isEmpty())
            mwAccessibleValueChanged(this, overall());
    } else {
        qDeleteAll(rows_);
        rows_.clear();
        for (const ExportRow& row : rows) {
            auto* entry = new CWQueueRow(scroll_->widget());
            entry->setRow(row);
            list_->insertWidget(int(rows_.size()), entry);
            entry->show();  // now, so the list's height counts it
            rows_.append(entry);
        }
    }

    if (rows.isEmpty()) {
        const bool hadFocus = isAncestorOf(QApplication::focusWidget());
        hide();
        // The keys go back to where they were before the batch.
        if (hadFocus && focusBefore_)
            focusBefore_->setFocus();
        return;
    }
    const bool appearing = isHidden();
    if (appearing) {
        focusBefore_ = QApplication::focusWidget();
        setGeometry(parentWidget()->rect());
    }
    if (!same)
        fitList();
    if (appearing) {
        show();
        raise();
        showExporting();
    }
}

void CWExportQueue::showExporting()
{
    const bool exporting = store_->exporting();
    title_->setText(exporting ? tr("Exporting clips…") : tr("Export finished"));
    mwAccessibleChanged(this, QAccessible::NameChanged);
    cancel_->setVisible(exporting);
    close_->setVisible(!exporting);
    // Once the batch has ended, Close takes the keys so Return and Space act
    // on it at once; Cancel never holds them (a stray key must not stop a batch).
    if (!isHidden())
        takeKeys(Qt::OtherFocusReason);
}

double CWExportQueue::overall() const
{
    if (rows_.isEmpty())
        return 0;
    double sum = 0;
    for (const CWQueueRow* entry : rows_) {
        const ExportRow& row = entry->row();
        const bool running = row.state == QLatin1String("Waiting") ||
                             row.state.startsWith(QLatin1String("Exporting"));
        sum += running ? std::clamp(row.progress, 0.0, 1.0) : 1.0;
    }
    return sum / double(rows_.size());
}

QString CWExportQueue::overallText() const
{
    qsizetype ended = 0;
    for (const CWQueueRow* entry : rows_) {
        const QString& state = entry->row().state;
        if (state != QLatin1String("Waiting") && !state.startsWith(QLatin1String("Exporting")))
            ++ended;
    }
    return tr("%1 of %2 finished, %3").arg(ended).arg(rows_.size()).arg(mwPercent(overall()));
}

void CWExportQueue::fitList()
{
    const double z = zoom();
    // As tall as the rows, at most 320 points, and never so tall that the
    // panel leaves a short window.
    QWidget* content = scroll_->widget();
    content->adjustSize();
    const int rowsHigh = list_->sizeHint().height();
    const auto* column = static_cast<QVBoxLayout*>(panel_->layout());
    const int rest = qRound((2 * 16 + 2 * 10) * z) + column->itemAt(0)->sizeHint().height() +
                     column->itemAt(2)->sizeHint().height();
    const int room = std::max(qRound(60 * z), height() - rest - qRound(24 * z));
    scroll_->setFixedHeight(std::min({rowsHigh, qRound(listHigh * z), room}));
    // Settle the panel now rather than one posted layout pass per level later,
    // so a new batch never shows a frame at the old height.
    panel_->layout()->activate();
    layout()->activate();
}

void CWExportQueue::restyle()
{
    const MWTheme& t = MWUI::shared()->theme();
    const double z = zoom();
    panel_->setFixedWidth(qRound(560 * z));
    auto* column = static_cast<QVBoxLayout*>(panel_->layout());
    column->setSpacing(qRound(10 * z));
    static_cast<QBoxLayout*>(column->itemAt(0)->layout())->setSpacing(qRound(8 * z));
    static_cast<QBoxLayout*>(column->itemAt(2)->layout())->setSpacing(qRound(8 * z));
    list_->setSpacing(qRound(8 * z));
    const QFont titleFont = mwFont(17);
    title_->setFont(titleFont);
    setTextColour(title_, t.text);
    symbol_->setPixmap(MWSymbols::pixmap("square.and.arrow.up.on.square.fill", t.accent2,
                                         QFontMetricsF(titleFont).height(), devicePixelRatioF()));
    for (CWQueueRow* row : std::as_const(rows_))
        row->restyle();
    fitList();
}
