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

using namespace Qt::Literals::StringLiterals;

namespace {

double z()
{
    return MWUI::shared()->zoom();
}

int px(double points)
{
    return int(std::lround(points * z()));
}

// Headings and the title carry their kind as object name, for finding them.
QLabel* paragraph(const QString& text, const QFont& font, QWidget* parent,
                  const QString& kind = QString())
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(kind);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
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
        setObjectName(u"step"_s);
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
        setObjectName(u"bullet"_s);
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
        setObjectName(u"keycap"_s);
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

// A marker (number, dot, key cap, light bulb) in a column of its own and
// wrapped text beside it, laid out by hand: a wrapped label inside nested box
// layouts is not asked its height for the width it finally gets, and comes out
// clipped or padded. Text of one line sits level with the marker's middle.
class Row : public QWidget {
public:
    Row(QWidget* marker, int column, QLabel* text, double spacing, double padding, QWidget* parent)
        : QWidget(parent), marker_(marker), text_(text), column_(column), spacing_(px(spacing)),
          padding_(px(padding))
    {
        marker_->setParent(this);
        text_->setParent(this);
        QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
        policy.setHeightForWidth(true);
        setSizePolicy(policy);
    }

    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override
    {
        return std::max(marker_->height(), text_->heightForWidth(textWidth(width))) + 2 * padding_;
    }
    QSize sizeHint() const override
    {
        const int width = column_ + spacing_ + text_->sizeHint().width() + 2 * padding_;
        return QSize(width, heightForWidth(width));
    }
    // Only the marker's height: the column asks heightForWidth for the real one,
    // and a minimum figured at a narrow width would make the page scroll for nothing.
    QSize minimumSizeHint() const override
    {
        return QSize(column_ + spacing_ + 2 * padding_ + 40, marker_->height() + 2 * padding_);
    }

protected:
    void resizeEvent(QResizeEvent*) override
    {
        const int w = textWidth(width());
        const int h = text_->heightForWidth(w);
        const int tall = std::max(marker_->height(), h);
        marker_->move(padding_, padding_);
        text_->setGeometry(padding_ + column_ + spacing_, padding_ + (tall - h) / 2, w, h);
    }

private:
    int textWidth(int width) const
    {
        return std::max(1, width - column_ - spacing_ - 2 * padding_);
    }

    QWidget* marker_;
    QLabel* text_;
    int column_;
    int spacing_;
    int padding_;
};

// A tip: the light bulb and the text, padded 12 points, on the accent at 0.14
// opacity inside a 1-point outline of it at 0.5, corners of 10 points.
class TipBox : public Row {
public:
    TipBox(const QString& text, QWidget* parent)
        : Row(new SymbolMark(QStringLiteral("lightbulb.fill"), 18, MWUI::shared()->theme().accent,
                             nullptr),
              px(18), paragraph(text, mwFont(12.5, QFont::Medium), nullptr), 10, 12, parent)
    {
        setObjectName(u"tip"_s);
    }

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

// A paragraph on its own, sized like the rows: a bare wrapped label is given
// the height of its size hint, figured for a narrower width, and gapes.
Row* alone(QLabel* text, QWidget* parent)
{
    auto* nothing = new QWidget;
    nothing->setFixedSize(0, 0);
    return new Row(nothing, 0, text, 0, 0, parent);
}

QString escaped(const QString& text)
{
    return text.toHtmlEscaped();
}

// Fills column with one block. keyColumn is the width every key cap of the page
// takes, so the descriptions of a shortcut list line up.
void addBlock(QVBoxLayout* column, QWidget* owner, const HelpBlock& block, int keyColumn)
{
    const QFont body = mwFont(13);
    std::visit(
        [&](const auto& b) {
            using B = std::decay_t<decltype(b)>;
            if constexpr (std::is_same_v<B, HelpHeading>) {
                column->addSpacing(px(8));
                column->addWidget(alone(
                    paragraph(b.text, mwFont(16, QFont::Bold), nullptr, u"heading"_s), owner));
            } else if constexpr (std::is_same_v<B, HelpText>) {
                column->addWidget(alone(paragraph(b.text, body, nullptr), owner));
            } else if constexpr (std::is_same_v<B, HelpSteps>) {
                for (qsizetype i = 0; i < b.items.size(); ++i)
                    column->addWidget(new Row(new StepNumber(int(i + 1), nullptr), px(22),
                                              paragraph(b.items[i], body, nullptr), 10, 0, owner));
            } else if constexpr (std::is_same_v<B, HelpBullets>) {
                const int lineHeight = int(std::ceil(QFontMetricsF(body).height()));
                for (const QString& item : b.items)
                    column->addWidget(new Row(new BulletDot(lineHeight, nullptr), px(6),
                                              paragraph(item, body, nullptr), 10, 0, owner));
            } else if constexpr (std::is_same_v<B, HelpControl>) {
                // One label, so name and description wrap and size as one paragraph.
                QLabel* label =
                    paragraph(u"<b>"_s + escaped(b.name) + u"</b><br>"_s + escaped(b.description),
                              mwFont(12.5), owner);
                label->setTextFormat(Qt::RichText);
                column->addWidget(alone(label, owner));
            } else if constexpr (std::is_same_v<B, HelpKey>) {
                auto* cap = new KeyCap(b.keys, nullptr);
                cap->resize(cap->sizeHint());
                keyColumn = std::max(keyColumn, cap->width());
                column->addWidget(new Row(
                    cap, keyColumn, paragraph(b.description, mwFont(12.5), nullptr), 12, 0, owner));
            } else if constexpr (std::is_same_v<B, HelpTip>) {
                column->addWidget(new TipBox(b.text, owner));
            }
        },
        block);
}

// The widest key cap of the page, up to 150 points: a longer cap pushes only its
// own description aside rather than narrowing every other one.
int keyColumnWidth(const HelpPage& page)
{
    int widest = 0;
    for (const HelpBlock& block : page.blocks)
        if (const auto* key = std::get_if<HelpKey>(&block))
            widest = std::max(widest, KeyCap(key->keys, nullptr).sizeHint().width());
    return std::min(widest, px(150));
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
        column->addWidget(
            new Row(new SymbolMark(page_->symbol, 28, MWUI::shared()->theme().accent, nullptr),
                    px(28), paragraph(page_->title, mwFont(24, QFont::Black), nullptr, u"title"_s),
                    12, 0, content_));
        column->addSpacing(px(4));
        const int keyColumn = keyColumnWidth(*page_);
        for (const HelpBlock& block : page_->blocks)
            addBlock(column, content_, block, keyColumn);
    }
    column->addStretch(1);
    layout()->addWidget(content_);
}
