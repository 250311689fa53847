#include "help/helppageview.h"

#include "theme/fonts.h"
#include "theme/kit.h"
#include "theme/mwui.h"
#include "theme/symbols.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <type_traits>

namespace {

double z()
{
    return MWUI::shared()->zoom();
}

int px(double points)
{
    return int(std::lround(points * z()));
}

QLabel* paragraph(const QString& text, const QFont& font, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setFont(font);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    return label;
}

// A symbol drawn in a square of side points (× zoom).
class SymbolMark : public QWidget {
public:
    SymbolMark(QString symbol, double side, QColor colour, QWidget* parent)
        : QWidget(parent), symbol_(std::move(symbol)), colour_(colour)
    {
        setFixedSize(px(side), px(side));
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        MWSymbols::paint(&painter, rect(), symbol_, colour_);
    }

private:
    QString symbol_;
    QColor colour_;
};

// A step's number in white on an accent circle 22 points across.
class StepNumber : public QWidget {
public:
    StepNumber(int number, QWidget* parent) : QWidget(parent), number_(number)
    {
        setFixedSize(px(22), px(22));
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(MWUI::shared()->theme().accent);
        painter.drawEllipse(QRectF(rect()));
        painter.setPen(Qt::white);
        painter.setFont(mwFont(11, QFont::Black));
        painter.drawText(rect(), Qt::AlignCenter, QString::number(number_));
    }

private:
    int number_;
};

// A bullet's 6-point dot, centred on the first line of text beside it.
class BulletDot : public QWidget {
public:
    BulletDot(int lineHeight, QWidget* parent) : QWidget(parent)
    {
        setFixedSize(px(6), lineHeight);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(MWUI::shared()->theme().text);
        const double d = 6 * z();
        painter.drawEllipse(QRectF(0, (height() - d) / 2, d, d));
    }
};

// Keys in bold type on a key cap: a lightly filled and outlined rounded
// rectangle with 6-point corners.
class KeyCap : public QWidget {
public:
    KeyCap(QString keys, QWidget* parent) : QWidget(parent), keys_(std::move(keys))
    {
        setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    }
    static QFont font() { return mwFont(12, QFont::Bold); }
    QSize sizeHint() const override
    {
        const QFontMetricsF metrics(font());
        return QSize(int(std::ceil(metrics.horizontalAdvance(keys_) + 16 * z())),
                     int(std::ceil(metrics.height() + 6 * z())));
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        const MWTheme& t = MWUI::shared()->theme();
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QColor fill = t.text;
        fill.setAlphaF(0.10f);
        QColor outline = t.text;
        outline.setAlphaF(0.35f);
        const QRectF r = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
        painter.setBrush(fill);
        painter.setPen(QPen(outline, 1.0));
        painter.drawRoundedRect(r, 6 * z(), 6 * z());
        painter.setFont(font());
        painter.setPen(t.text);
        painter.drawText(r, Qt::AlignCenter, keys_);
    }

private:
    QString keys_;
};

// A tip's box: the accent at 0.14 opacity inside a 1-point outline of it at
// 0.5, corners of 10 points; its content is laid out by the caller.
class TipBox : public QWidget {
public:
    explicit TipBox(QWidget* parent) : QWidget(parent) {}

protected:
    void paintEvent(QPaintEvent*) override
    {
        QColor fill = MWUI::shared()->theme().accent;
        QColor outline = fill;
        fill.setAlphaF(0.14f);
        outline.setAlphaF(0.5f);
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setBrush(fill);
        painter.setPen(QPen(outline, 1.0));
        painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 10 * z(), 10 * z());
    }
};

QHBoxLayout* row(QVBoxLayout* column, double spacing)
{
    auto* line = new QHBoxLayout;
    line->setContentsMargins(0, 0, 0, 0);
    line->setSpacing(px(spacing));
    column->addLayout(line);
    return line;
}

// Fills column with one block. keyColumn is the width every key cap of the
// page takes, so the descriptions of a shortcut list line up.
void addBlock(QVBoxLayout* column, QWidget* owner, const HelpBlock& block, int keyColumn)
{
    const MWTheme& t = MWUI::shared()->theme();
    const QFont body = mwFont(13);
    std::visit(
        [&](const auto& b) {
            using B = std::decay_t<decltype(b)>;
            if constexpr (std::is_same_v<B, HelpHeading>) {
                column->addSpacing(px(8));
                column->addWidget(paragraph(b.text, mwFont(16, QFont::Bold), owner));
            } else if constexpr (std::is_same_v<B, HelpText>) {
                column->addWidget(paragraph(b.text, body, owner));
            } else if constexpr (std::is_same_v<B, HelpSteps>) {
                for (qsizetype i = 0; i < b.items.size(); ++i) {
                    QHBoxLayout* line = row(column, 10);
                    line->addWidget(new StepNumber(int(i + 1), owner), 0, Qt::AlignTop);
                    line->addWidget(paragraph(b.items[i], body, owner), 1, Qt::AlignVCenter);
                }
            } else if constexpr (std::is_same_v<B, HelpBullets>) {
                const int lineHeight = int(std::ceil(QFontMetricsF(body).height()));
                for (const QString& item : b.items) {
                    QHBoxLayout* line = row(column, 10);
                    line->addWidget(new BulletDot(lineHeight, owner), 0, Qt::AlignTop);
                    line->addWidget(paragraph(item, body, owner), 1);
                }
            } else if constexpr (std::is_same_v<B, HelpControl>) {
                auto* pair = new QVBoxLayout;
                pair->setSpacing(px(2));
                pair->addWidget(paragraph(b.name, mwFont(12.5, QFont::Bold), owner));
                pair->addWidget(paragraph(b.description, mwFont(12.5), owner));
                column->addLayout(pair);
            } else if constexpr (std::is_same_v<B, HelpKey>) {
                QHBoxLayout* line = row(column, 12);
                auto* cap = new KeyCap(b.keys, owner);
                line->addWidget(cap, 0, Qt::AlignTop);
                line->addSpacing(std::max(0, keyColumn - cap->sizeHint().width()));
                line->addWidget(paragraph(b.description, mwFont(12.5), owner), 1, Qt::AlignVCenter);
            } else if constexpr (std::is_same_v<B, HelpTip>) {
                auto* box = new TipBox(owner);
                auto* inside = new QHBoxLayout(box);
                inside->setContentsMargins(px(12), px(12), px(12), px(12));
                inside->setSpacing(px(10));
                inside->addWidget(
                    new SymbolMark(QStringLiteral("lightbulb.fill"), 18, t.accent, box), 0,
                    Qt::AlignTop);
                inside->addWidget(paragraph(b.text, mwFont(12.5, QFont::Medium), box), 1);
                column->addWidget(box);
            }
        },
        block);
}

int keyColumnWidth(const HelpPage& page)
{
    int widest = 0;
    for (const HelpBlock& block : page.blocks)
        if (const auto* key = std::get_if<HelpKey>(&block))
            widest = std::max(widest, KeyCap(key->keys, nullptr).sizeHint().width());
    return widest;
}

}  // namespace

MWHelpPageView::MWHelpPageView(QWidget* parent) : QWidget(parent)
{
    auto* frame = new QVBoxLayout(this);
    frame->setContentsMargins(0, 0, 0, 0);
    connect(MWUI::shared(), &MWUI::changed, this, &MWHelpPageView::rebuild);
    rebuild();
}

void MWHelpPageView::setPage(const std::optional<HelpPage>& page)
{
    page_ = page;
    rebuild();
}

void MWHelpPageView::rebuild()
{
    // Built anew rather than restyled: every size, font and colour of the page
    // follows the finish and the zoom.
    delete content_;
    content_ = new QWidget(this);
    auto* column = new QVBoxLayout(content_);
    column->setContentsMargins(px(28), px(24), px(28), px(28));
    column->setSpacing(px(12));
    if (page_) {
        QHBoxLayout* header = row(column, 12);
        header->addWidget(
            new SymbolMark(page_->symbol, 28, MWUI::shared()->theme().accent, content_));
        header->addWidget(paragraph(page_->title, mwFont(24, QFont::Black), content_), 1);
        column->addSpacing(px(4));
        const int keyColumn = keyColumnWidth(*page_);
        for (const HelpBlock& block : page_->blocks)
            addBlock(column, content_, block, keyColumn);
    }
    column->addStretch(1);
    layout()->addWidget(content_);
}
