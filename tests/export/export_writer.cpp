// One clip's export that is never waited for, for the test that kills a
// program mid-export: exports the whole of VIDEO to OUTPUT through the
// converter the environment names, then runs until it is killed.
//   export_writer VIDEO OUTPUT
#include "export/exporter.h"
#include "media/opener.h"
#include "platform/asset.h"
#include "platform/services.h"

#include <QCoreApplication>
#include <QStandardPaths>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 3)
        return 2;
    cwNameApplication();
    QStandardPaths::setTestModeEnabled(true);  // the same folders as the test's
    const QString video = QString::fromLocal8Bit(argv[1]);
    const MWOpenedMedia media =
        MWMediaOpener::inspected(MWAsset::open(video), video, false, std::nullopt, false);
    const Clip clip{QUuid::createUuid(), QUuid::createUuid(), QStringLiteral("Long"), 0,
                    media.duration, Aspect::square, 1, 0.5, 0.5};
    QCoro::Task<QString> task =
        ClipExporter::exportClip(clip, media, {}, 720, QString::fromLocal8Bit(argv[2]),
                                 std::make_shared<ClipExporter::Job>(), {});
    return app.exec();
}
