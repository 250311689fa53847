#include "help/aboutview.h"

#include "help/chrometext.h"
#include "theme/badge.h"
#include "theme/fonts.h"
#include "theme/mwui.h"
#include "theme/symbols.h"

#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>
#include <cmath>

QPixmap mwAppIcon(double side, double dpr)
{
    const MWTheme& t = MWUI::shared()->theme();
    QPixmap pixmap(QSize(int(std::ceil(side * dpr)), int(std::ceil(side * dpr))));
    pixmap.setDevicePixelRatio(dpr);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF outer(0.5, 0.5, side - 1, side - 1);
    const double r = side * 0.22;
    painter.setPen(QPen(QColor(0, 0, 0, 160), 1.0));
    painter.setBrush(MWTheme::vertical(outer, t.chrome()));
    painter.drawRoundedRect(outer, r, r);
    const QRectF screen = outer.adjusted(side * 0.1, side * 0.1, -side * 0.1, -side * 0.1);
    painter.setPen(QPen(QColor(0, 0, 0, 200), 1.0));
    painter.setBrush(MWTheme::vertical(screen, {{0, t.base}, {1, t.deep}}));
    painter.drawRoundedRect(screen, r * 0.6, r * 0.6);
    // A portrait crop frame behind the scissors says "cut and reframe".
    const double w = screen.height() * 0.56 * 9 / 16 * 1.4;
    const QRectF frame(screen.center().x() - w / 2, screen.top() + screen.height() * 0.16, w,
                       screen.height() * 0.68);
    QColor frameColour = t.text;
    frameColour.setAlphaF(0.55f);
    painter.setPen(QPen(frameColour, std::max(1.0, side / 48)));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(frame, side * 0.03, side * 0.03);
    MWSymbols::paint(&painter,
                     screen.adjusted(side * 0.16, side * 0.16, -side * 0.16, -side * 0.16),
                     QStringLiteral("scissors"), t.accent);
    return pixmap;
}

MWAboutView::MWAboutView(const QString& appName, QWidget* parent)
    : QWidget(parent), appName_(appName), icon_(new QLabel(this)), name_(new QLabel(appName, this)),
      version_(new QLabel(MWChromeText::aboutVersionText(), this)), credit_(new MWSOCredit(this))
{
    icon_->setAccessibleName(appName);
    name_->setTextFormat(Qt::PlainText);
    version_->setTextFormat(Qt::PlainText);
    version_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto* stack = new QVBoxLayout(this);
    stack->addStretch(1);
    stack->addWidget(icon_, 0, Qt::AlignHCenter);
    stack->addWidget(name_, 0, Qt::AlignHCenter);
    stack->addWidget(version_, 0, Qt::AlignHCenter);
    stack->addWidget(credit_, 0, Qt::AlignHCenter);
    stack->addStretch(1);
    connect(MWUI::shared(), &MWUI::changed, this, &MWAboutView::restyle);
    restyle();
}

QString MWAboutView::versionText() const
{
    return version_->text();
}

void MWAboutView::restyle()
{
    const MWTheme& t = MWUI::shared()->theme();
    const double z = MWUI::shared()->zoom();
    auto* stack = static_cast<QVBoxLayout*>(layout());
    const int pad = int(std::lround(24 * z));
    stack->setContentsMargins(pad, pad, pad, pad);
    stack->setSpacing(int(std::lround(10 * z)));
    icon_->setPixmap(mwAppIcon(96 * z, devicePixelRatioF()));
    name_->setFont(mwFont(20, QFont::Black));
    version_->setFont(mwFont(11));
    QPalette dimmed = version_->palette();
    dimmed.setColor(QPalette::WindowText, t.dim);
    version_->setPalette(dimmed);
}
