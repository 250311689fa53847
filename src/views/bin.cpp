#include "views/bin.h"

#include "model/formats.h"
#include "store/store.h"
#include "theme/buttons.h"
#include "theme/filedrop.h"
#include "theme/fonts.h"
#include "theme/mwui.h"
#include "theme/symbols.h"
#include "theme/text.h"
#include "views/binaccess.h"
#include "views/binrow.h"
#include "views/viewkit.h"

#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QHash>
#include <QLabel>
#include <QScrollArea>
#include <QVBoxLayout>

namespace {
using CWViewKit::setTextColour;
using CWViewKit::zoom;

}  // namespace

CWBin::CWBin(CWStore* store, QWidget* parent) : MWPanel(parent, 22, 10), store_(store)
{
    setAccessibleName(tr("Media bin"));
    auto* column = new QVBoxLayout(this);
    auto* header = new QHBoxLayout;
    caption_ = new MWCaption(tr("Media bin"), this);
    import_ = new MWChromeButton(QString(), this);
    import_->setCompact(true);
    import_->setSymbol("plus");
    import_->setToolTip(tr("Import videos (Ctrl+I)"));
    import_->setAccessibleName(tr("Import videos"));
    connect(import_, &QPushButton::clicked, this, [this] { store_->chooseFiles(); });
    header->addWidget(caption_, 0, Qt::AlignVCenter);
    header->addStretch(1);
    header->addWidget(import_, 0, Qt::AlignVCenter);
    column->addLayout(header);

    // The rows sit on the panel's metal, not on the window colour a scroll
    // area's content paints by default.
    scroll_ = new QScrollArea(this);
    list_ = CWViewKit::scrollingColumn(scroll_);
    CWBinAccess::install();
    scroll_->widget()->setObjectName(CWBinAccess::listName);
    scroll_->widget()->setAccessibleName(tr("Media bin"));

    hint_ = new QWidget(scroll_->widget());
    auto* hintLayout = new QVBoxLayout(hint_);
    hintSymbol_ = new QLabel(hint_);
    hintText_ = new QLabel(tr("Drop videos here\nor click +"), hint_);
    hintText_->setAlignment(Qt::AlignCenter);
    hintLayout->addWidget(hintSymbol_, 0, Qt::AlignHCenter);
    hintLayout->addWidget(hintText_, 0, Qt::AlignHCenter);
    list_->insertWidget(0, hint_, 0, Qt::AlignHCenter);
    column->addWidget(scroll_, 1);

    const QStringList& exts = CWFormats::exts();
    mwFileDrop(this, QSet<QString>(exts.begin(), exts.end()), [this](const QList<QUrl>& files) {
        QStringList paths;
        for (const QUrl& url : files)
            paths << url.toLocalFile();
        store_->enqueueImport(paths);
    });

    // Only the bin's own fields: the playhead's 60 changes a second while
    // playing leave the rows alone.
    connect(store_, &CWStore::changed, this, [this](CWStore::Field field) {
        using F = CWStore::Field;
        if (field == F::sources)
            rebuild();
        else if (field == F::clips)
            updateCounts();
        else if (field == F::currentSourceID)
            updateSelection();
    });
    connect(MWUI::shared(), &MWUI::changed, this, [this] {
        restyle();
        for (CWBinRow* row : std::as_const(rows_)) {
            row->updateGeometry();
            row->update();
        }
    });
    restyle();
    rebuild();
}

QList<CWBinRow*> CWBin::rows() const
{
    return rows_;
}

void CWBin::rebuild()
{
    // Rows are kept by source so a row keeps its scaled picture while the bin
    // changes around it, and the layout moves only rows that are out of
    // place; rows of removed sources go (later: the ✕ that removed one may
    // still be handling its click).
    QHash<QUuid, CWBinRow*> old;
    for (CWBinRow* row : std::as_const(rows_))
        old.insert(row->id(), row);
    QList<CWBinRow*> next;
    for (const CWSource& source : store_->sources()) {
        CWBinRow* row = old.take(source.id);
        if (!row)
            row = new CWBinRow(store_, scroll_->widget());
        row->setSource(source);
        next.append(row);
    }
    for (CWBinRow* gone : std::as_const(old)) {
        gone->hide();
        list_->removeWidget(gone);
        gone->deleteLater();
    }
    // The column holds the hint first, then the rows.
    for (qsizetype i = 0; i < next.size(); ++i) {
        QLayoutItem* item = list_->itemAt(int(i) + 1);
        if (item && item->widget() == next[i])
            continue;
        list_->removeWidget(next[i]);
        list_->insertWidget(int(i) + 1, next[i]);
        next[i]->show();
    }
    rows_ = next;
    hint_->setVisible(rows_.isEmpty());
    updateCounts();
    updateSelection();
}

void CWBin::updateCounts()
{
    QHash<QUuid, int> counts;
    for (const Clip& clip : store_->clips())
        ++counts[clip.sourceID];
    for (CWBinRow* row : std::as_const(rows_))
        row->setClipCount(counts.value(row->id()));
}

void CWBin::updateSelection()
{
    const auto current = store_->currentSourceID();
    for (CWBinRow* row : std::as_const(rows_))
        row->setSelected(current && *current == row->id());
}

void CWBin::restyle()
{
    const MWTheme& t = MWUI::shared()->theme();
    const double z = zoom();
    const int spacing = qRound(8 * z);
    static_cast<QVBoxLayout*>(layout())->setSpacing(spacing);
    list_->setSpacing(spacing);
    hint_->layout()->setContentsMargins(0, qRound(30 * z), 0, 0);
    hint_->layout()->setSpacing(qRound(6 * z));
    const QFont symbolFont = mwFont(30, QFont::Normal, MWDesign::Rounded);
    const double side = QFontMetricsF(symbolFont).height();
    hintSymbol_->setPixmap(MWSymbols::pixmap("film.stack", t.dim, side, devicePixelRatioF()));
    hintText_->setFont(mwFont(11.5));
    setTextColour(hintText_, t.dim);
}
