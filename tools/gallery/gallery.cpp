// Pictures of the control kit for looking at: one PNG per control, finish and
// zoom (100 % and 200 %) and one sheet of every control in every finish, plus a
// sheet of every symbol with its name.
#include "theme/badge.h"
#include "theme/buttons.h"
#include "theme/filedrop.h"
#include "theme/fonts.h"
#include "theme/knob.h"
#include "theme/mwui.h"
#include "theme/panel.h"
#include "theme/root.h"
#include "theme/segment.h"
#include "theme/switch.h"
#include "theme/symbols.h"
#include "theme/text.h"

#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QHBoxLayout>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QTemporaryDir>
#include <QTextStream>
#include <QVBoxLayout>
#include <cstdlib>
#include <functional>
#include <vector>

namespace {

struct Sample {
    QString name;
    std::function<QWidget*()> make;
};

std::vector<Sample> samples()
{
    return {
        {"panel",
         [] {
             auto* panel = new MWPanel;
             auto* column = new QVBoxLayout(panel);
             column->addWidget(new MWCaption("Clip"));
             column->addWidget(new MWLCD("00:01:02.3"));
             panel->setFixedSize(panel->sizeHint() + QSize(80, 30) * MWUI::shared()->zoom());
             return panel;
         }},
        {"well",
         [] {
             auto* well = new MWWell;
             well->setFixedSize(QSize(180, 80) * MWUI::shared()->zoom());
             return well;
         }},
        {"brushed",
         [] {
             auto* lines = new BrushedLines;
             lines->setFixedSize(QSize(120, 40) * MWUI::shared()->zoom());
             return lines;
         }},
        {"chrome", [] { return new MWChromeButton("Add Clip"); }},
        {"chrome-prominent",
         [] {
             auto* button = new MWChromeButton("Export All");
             button->setProminent(true);
             button->setSymbol("square.and.arrow.up.on.square.fill");
             return button;
         }},
        {"chrome-compact",
         [] {
             auto* button = new MWChromeButton("Import");
             button->setCompact(true);
             button->setSymbol("plus");
             return button;
         }},
        {"chrome-menu",
         [] {
             auto* button = new MWChromeButton("Shape");
             button->setMenu(new QMenu(button));
             return button;
         }},
        {"chrome-disabled",
         [] {
             auto* button = new MWChromeButton("Cancel");
             button->setEnabled(false);
             return button;
         }},
        {"orb",
         [] {
             auto* orb = new MWOrbButton("play.fill");
             orb->setHelp("Play");
             return orb;
         }},
        {"orb-lit",
         [] {
             auto* orb = new MWOrbButton("scissors");
             orb->setLit(true);
             return orb;
         }},
        {"segment",
         [] {
             auto* segment = new MWSegment;
             segment->setItems<int>({{0, "9:16"}, {1, "1:1"}, {2, "4:5"}, {3, "16:9"}});
             segment->select(0);
             return segment;
         }},
        {"knob",
         [] {
             auto* knob = new MWKnob("Zoom", 1, 3);
             knob->setValue(1.8);
             knob->setFormat([](double v) { return QString::number(v, 'f', 2) + "×"; });
             return knob;
         }},
        {"switch", [] { return new MWSwitch("Keep inside picture"); }},
        {"switch-on",
         [] {
             auto* toggle = new MWSwitch("Snap");
             toggle->setOn(true);
             return toggle;
         }},
        {"lcd", [] { return new MWLCD("0:12.4 / 1:05:00.0"); }},
        {"caption", [] { return new MWCaption("Position"); }},
        {"title", [] { return new MWChromeTitle("Cut", "wright"); }},
        {"badge", [] { return new MWSOBadge; }},
        {"credit", [] { return new MWSOCredit; }},
        {"filedrop",
         [] {
             auto* well = new MWWell;
             well->setFixedSize(QSize(180, 80) * MWUI::shared()->zoom());
             auto* drop = mwFileDrop(well, {"mov"}, [](const QList<QUrl>&) {});
             // Shown as while a drag is over it.
             QMimeData mime;
             mime.setUrls({QUrl::fromLocalFile("/a.mov")});
             QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, {});
             QApplication::sendEvent(well, &enter);
             Q_UNUSED(drop);
             return well;
         }},
    };
}

// The control on a patch of window background, as it sits in a window.
QImage shoot(QWidget* control)
{
    QWidget host;
    auto* row = new QHBoxLayout(&host);
    const int margin = int(12 * MWUI::shared()->zoom());
    row->setContentsMargins(margin, margin, margin, margin);
    row->addWidget(control);
    mwsoRoot(&host);
    host.adjustSize();
    return host.grab().toImage();
}

QImage symbolSheet()
{
    const QStringList names = MWSymbols::names();
    const int cell = 170;
    QImage sheet(cell * 4, 44 * ((names.size() + 3) / 4), QImage::Format_ARGB32);
    sheet.fill(QColor(30, 34, 40));
    QPainter painter(&sheet);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setFont(mwFontAt(10, 1.0, QFont::Normal, MWDesign::Regular));
    for (int i = 0; i < names.size(); ++i) {
        const QPoint at((i % 4) * cell, (i / 4) * 44);
        MWSymbols::paint(&painter, QRectF(at.x() + 6, at.y() + 6, 32, 32), names[i], Qt::white);
        painter.setPen(QColor(200, 210, 220));
        painter.drawText(QRect(at.x() + 44, at.y(), cell - 46, 44),
                         Qt::AlignVCenter | Qt::TextWordWrap, names[i]);
    }
    return sheet;
}

}  // namespace

int main(int argc, char** argv)
{
    if (!getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // The gallery switches finishes and zooms; keep that out of the user's preferences.
    QTemporaryDir config;
    setenv("XDG_CONFIG_HOME", config.path().toLocal8Bit().constData(), 1);
    QApplication app(argc, argv);
    if (argc < 2) {
        QTextStream(stderr) << "usage: cw_gallery OUTPUT_FOLDER\n";
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    QDir().mkpath(out.path());

    // One sheet: a row per finish, the controls side by side at 100 %.
    std::vector<std::vector<QImage>> rows;
    for (const double zoom : {1.0, 2.0}) {
        MWUI::shared()->setZoom(zoom);
        for (const MWTheme& theme : MWTheme::all()) {
            MWUI::shared()->setTheme(theme);
            std::vector<QImage> row;
            for (const Sample& sample : samples()) {
                const QImage image = shoot(sample.make());
                image.save(out.filePath(QStringLiteral("%1-%2-%3.png")
                                            .arg(sample.name, theme.id)
                                            .arg(qRound(zoom * 100))));
                if (zoom == 1.0)
                    row.push_back(image);
            }
            if (zoom == 1.0)
                rows.push_back(row);
        }
    }
    int width = 0;
    int height = 0;
    for (const auto& row : rows) {
        int w = 0;
        int h = 0;
        for (const QImage& image : row) {
            w += image.width();
            h = std::max(h, image.height());
        }
        width = std::max(width, w);
        height += h;
    }
    QImage sheet(width, height, QImage::Format_ARGB32);
    sheet.fill(Qt::black);
    {
        QPainter painter(&sheet);
        int y = 0;
        for (const auto& row : rows) {
            int x = 0;
            int h = 0;
            for (const QImage& image : row) {
                painter.drawImage(x, y, image);
                x += image.width();
                h = std::max(h, image.height());
            }
            y += h;
        }
    }
    sheet.save(out.filePath(QStringLiteral("sheet.png")));
    symbolSheet().save(out.filePath(QStringLiteral("symbols.png")));
    return 0;
}
