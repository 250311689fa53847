#include "theme/mwui.h"
#include "theme/theme.h"

#include <QSettings>
#include <gtest/gtest.h>
#include <limits>

namespace {

QSettings preferences()
{
    return QSettings(QStringLiteral("Marrowick"), QStringLiteral("Cutwright"));
}

// Starts an interface from the given stored values (nothing stored when invalid).
std::unique_ptr<MWUI> startWith(const QVariant& theme, const QVariant& zoom)
{
    QSettings settings = preferences();
    settings.remove(QStringLiteral("mwso.ui.theme"));
    settings.remove(QStringLiteral("mwso.ui.zoom"));
    if (theme.isValid())
        settings.setValue(QStringLiteral("mwso.ui.theme"), theme);
    if (zoom.isValid())
        settings.setValue(QStringLiteral("mwso.ui.zoom"), zoom);
    settings.sync();
    return std::make_unique<MWUI>();
}

TEST(MWUI, StartsFromTheStoredChoiceStepsStopAtTheEndsAndChangesAreStored)
{
    // An unknown stored finish falls back as MWTheme::named does (below).
    for (const auto& [stored, id] :
         {std::pair<QVariant, QString>{{}, "gunmetal-blue"}, {"rose-gold", "rose-gold"}})
        EXPECT_EQ(startWith(stored, {})->theme().id, id) << stored.toString().toStdString();
    // A stored zoom is rounded and clamped.
    for (const auto& [stored, starts] :
         {std::pair{1.337, 1.34}, {3.0, 2.0}, {0.5, 0.85}, {0.0, 1.0}})
        EXPECT_DOUBLE_EQ(startWith({}, stored)->zoom(), starts) << "stored " << stored;
    EXPECT_DOUBLE_EQ(MWUI::startZoom(std::numeric_limits<double>::quiet_NaN()), 1.0);

    // Steps in and out stop at the ends.
    const auto ui = startWith({}, {});
    const std::tuple<double, double, double> steps[] = {
        {1.34, 1.4, 1.25}, {2.0, 2.0, 1.75}, {0.85, 0.9, 0.85}, {2.5, 2.0, 2.0}};  // from, in, out
    for (const auto& [from, in, out] : steps) {
        ui->setZoom(from);
        ui->zoomIn();
        EXPECT_DOUBLE_EQ(ui->zoom(), in) << "in from " << from;
        ui->setZoom(from);
        ui->zoomOut();
        EXPECT_DOUBLE_EQ(ui->zoom(), out) << "out from " << from;
    }
    // Actual Size is walked through the View menu's test.

    // Every change is signalled once and stored at once, where a start reads it (above).
    int changes = 0;
    QObject::connect(ui.get(), &MWUI::changed, [&] { ++changes; });
    for (int twice = 0; twice < 2; ++twice) {
        ui->setTheme(MWTheme::named(QStringLiteral("rose-gold")));
        ui->setZoom(1.75);
    }
    EXPECT_EQ(changes, 2);
    EXPECT_EQ(preferences().value(QStringLiteral("mwso.ui.theme")).toString(), "rose-gold");
    EXPECT_DOUBLE_EQ(preferences().value(QStringLiteral("mwso.ui.zoom")).toDouble(), 1.75);
}

// The viewer's safe zones start off; a choice is signalled once (never as a
// restyle), written at once and read back by the next start.
TEST(MWUI, SafeZonesStartOffAndTheChoiceIsStored)
{
    preferences().remove(QStringLiteral("mwso.ui.safeZones"));
    const auto ui = std::make_unique<MWUI>();
    EXPECT_FALSE(ui->safeZones());
    QList<bool> told;
    int restyles = 0;
    QObject::connect(ui.get(), &MWUI::safeZonesChanged, [&](bool on) { told << on; });
    QObject::connect(ui.get(), &MWUI::changed, [&] { ++restyles; });
    for (bool on : {true, true, false, true})
        ui->setSafeZones(on);
    EXPECT_EQ(told, QList<bool>({true, false, true}));
    EXPECT_EQ(restyles, 0);
    EXPECT_TRUE(preferences().value(QStringLiteral("mwso.ui.safeZones")).toBool());
    EXPECT_TRUE(MWUI().safeZones());
    ui->setSafeZones(false);
    EXPECT_FALSE(MWUI().safeZones());
}

// The finishes themselves are listed by the View menu's test.
TEST(MWTheme, ComparedByIdAndAnUnknownIdIsTheFirst)
{
    MWTheme renamed = MWTheme::named(QStringLiteral("rose-gold"));
    renamed.name = QStringLiteral("Something else");
    EXPECT_TRUE(renamed == MWTheme::named(QStringLiteral("rose-gold")));
    EXPECT_FALSE(renamed == MWTheme::named(QStringLiteral("anodized-red")));
    EXPECT_EQ(MWTheme::named(QStringLiteral("nope")).id, MWTheme::all().first().id);
}

}  // namespace
