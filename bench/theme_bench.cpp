// What painting a 1440 × 900 window of the control kit costs, at 100 % and
// 200 % zoom, with the faces drawn afresh (cold: the finish just changed) and
// from their caches (warm: an ordinary repaint), against a plain QPainter fill
// of the same area. Prints median wall and processor milliseconds per paint.
#include "theme/buttons.h"
#include "theme/fonts.h"
#include "theme/knob.h"
#include "theme/mwui.h"
#include "theme/panel.h"
#include "theme/root.h"
#include "theme/segment.h"
#include "theme/switch.h"
#include "theme/text.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>
#include <QTextStream>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <vector>

namespace {

struct Times {
    double wall;
    double cpu;
};

double now(clockid_t clock)
{
    timespec t{};
    clock_gettime(clock, &t);
    return double(t.tv_sec) * 1e3 + double(t.tv_nsec) / 1e6;
}

Times measure(const std::function<void()>& work)
{
    const double wall = now(CLOCK_MONOTONIC);
    const double cpu = now(CLOCK_PROCESS_CPUTIME_ID);
    work();
    return {now(CLOCK_MONOTONIC) - wall, now(CLOCK_PROCESS_CPUTIME_ID) - cpu};
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// One panel of controls as the editing window has them.
QWidget* panel()
{
    auto* panel = new MWPanel;
    auto* column = new QVBoxLayout(panel);
    column->addWidget(new MWCaption("Transport"));
    auto* well = new MWWell;
    well->setMinimumHeight(60);
    (new QVBoxLayout(well))->addWidget(new MWLCD("0:12.4 / 1:05:00.0"));
    column->addWidget(well, 1);
    auto* row = new QHBoxLayout;
    row->addWidget(new MWOrbButton("backward.frame.fill", 34));
    auto* play = new MWOrbButton("play.fill", 44);
    play->setLit(true);
    row->addWidget(play);
    row->addWidget(new MWOrbButton("forward.frame.fill", 34));
    row->addWidget(new MWKnob("Zoom", 1, 3));
    column->addLayout(row);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(new MWChromeButton("Add Clip"));
    auto* exportAll = new MWChromeButton("Export All");
    exportAll->setProminent(true);
    buttons->addWidget(exportAll);
    column->addLayout(buttons);
    auto* segment = new MWSegment;
    segment->setItems<int>({{0, "9:16"}, {1, "1:1"}, {2, "4:5"}, {3, "16:9"}});
    segment->select(0);
    column->addWidget(segment);
    column->addWidget(new MWSwitch("Keep inside picture"));
    column->addWidget(new MWChromeTitle("Cut", "wright"));
    return panel;
}

}  // namespace

int main(int argc, char** argv)
{
    if (!getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QTemporaryDir config;  // finishes and zooms set here stay out of the user's preferences
    setenv("XDG_CONFIG_HOME", config.path().toLocal8Bit().constData(), 1);
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(3, atoi(argv[1])) : 31;
    QTextStream out(stdout);
    out << "paint of a 1440x900 window, median of " << runs << " runs, ms (wall / cpu)\n";

    const QSize area(1440, 900);
    for (const double zoom : {1.0, 2.0}) {
        MWUI::shared()->setZoom(zoom);
        MWUI::shared()->setTheme(MWTheme::all()[0]);
        QWidget window;
        mwsoRoot(&window);
        auto* grid = new QGridLayout(&window);
        const int columns = zoom > 1.5 ? 2 : 4;
        const int rows = zoom > 1.5 ? 1 : 2;
        for (int r = 0; r < rows; ++r)
            for (int c = 0; c < columns; ++c)
                grid->addWidget(panel(), r, c);
        window.resize(area);
        grid->activate();
        QImage target(area, QImage::Format_ARGB32_Premultiplied);
        window.render(&target);

        std::vector<double> fillWall, fillCpu, coldWall, coldCpu, warmWall, warmCpu;
        for (int i = 0; i < runs; ++i) {
            const auto fill = [&] {
                QPainter painter(&target);
                painter.fillRect(QRect(QPoint(), area), QColor(30, 40, 50));
            };
            // Alternate which side runs first: the machine is shared.
            Times f{};
            if (i % 2 == 0)
                f = measure(fill);
            MWUI::shared()->setTheme(MWTheme::all()[i % 2 == 0 ? 1 : 0]);
            const Times cold = measure([&] { window.render(&target); });
            const Times warm = measure([&] { window.render(&target); });
            if (i % 2 == 1)
                f = measure(fill);
            fillWall.push_back(f.wall);
            fillCpu.push_back(f.cpu);
            coldWall.push_back(cold.wall);
            coldCpu.push_back(cold.cpu);
            warmWall.push_back(warm.wall);
            warmCpu.push_back(warm.cpu);
        }
        const double fill = median(fillCpu);
        out << QStringLiteral("zoom %1%: plain fill %2 / %3   kit cold %4 / %5 (%6x fill)   "
                              "kit warm %7 / %8 (%9x fill)\n")
                   .arg(qRound(zoom * 100))
                   .arg(median(fillWall), 0, 'f', 2)
                   .arg(fill, 0, 'f', 2)
                   .arg(median(coldWall), 0, 'f', 2)
                   .arg(median(coldCpu), 0, 'f', 2)
                   .arg(median(coldCpu) / fill, 0, 'f', 1)
                   .arg(median(warmWall), 0, 'f', 2)
                   .arg(median(warmCpu), 0, 'f', 2)
                   .arg(median(warmCpu) / fill, 0, 'f', 1);
    }
    out << "goal: warm repaint under 4 ms\n";
    return 0;
}
