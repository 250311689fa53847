#include "export/avexport.h"

#include "export/delivery.h"
#include "export/fastexport.h"
#include "model/cropmath.h"
#include "model/mwerror.h"
#include "platform/asset.h"
#include "platform/background.h"
#include "platform/composition.h"

#include <QCoroFuture>
#include <QFile>
#include <QTimer>
#include <QtConcurrent>
#include <algorithm>
#include <cmath>

namespace ClipExporter {

QCoro::Task<void> avExport(MWOpenedMedia media, double start, double end, QRectF crop,
                           QSizeF render, QString to, std::shared_ptr<Job> job, Progress progress,
                           QString audioFilters, std::vector<CropChange> moves, QString captions)
{
    if (media.asset && media.asset->videoTracks == 0)
        throw MWError(QStringLiteral("The video track can't be read."));

    // Whole stored pixels, as the converter crops: both engines cut the same picture.
    const CropMath::PixelRect px = storedCrop(media, crop);
    MWComposition composition;
    composition.source = media.playable;
    composition.start = start;
    composition.end = end;
    composition.preferredTransform = media.preferredTransform;
    composition.crop = QRect(int(px.x), int(px.y), int(px.w), int(px.h));
    for (const CropChange& m : moves)
        composition.cropMoves.push_back(
            {m.time, QRect(int(m.crop.x), int(m.crop.y), int(m.crop.w), int(m.crop.h))});
    composition.renderSize = render.toSize();
    const Delivery d = deliveryFor(media, composition.renderSize);
    composition.frameRateNum = d.frameRate.num;
    composition.frameRateDen = d.frameRate.den;
    composition.videoBitRate = d.bitRate;
    composition.level = d.level;
    composition.keyFrameInterval = d.keyFrameInterval;
    composition.pictureFilters = d.pictureChain(QStringLiteral("yuv420p"));
    composition.captionFilters = captions;
    composition.bt709 = true;
    composition.output = to;
    composition.audioFilters = audioFilters;

    auto session = std::make_shared<MWCompositionExport>(composition);
    job->add(session);
    if (job->cancelled())
        throw MWCancelled();

    QTimer poller;
    poller.setInterval(150);
    QObject::connect(&poller, &QTimer::timeout,
                     [session, progress] { report(progress, session->progress()); });
    poller.start();
    // Named, not a temporary inside co_await: GCC 12 destroys such temporaries
    // twice, which here released the session's last reference early.
    QFuture<void> work = QtConcurrent::run([session] {
        CWBackground::yieldToWindow();
        session->run();
    });
    co_await work;
    poller.stop();

    switch (session->status()) {
    case MWCompositionExport::Status::completed:
        report(progress, 1.0);
        co_return;
    case MWCompositionExport::Status::cancelled:
        QFile::remove(to);
        throw MWCancelled();
    default:
        break;
    }
    QFile::remove(to);
    const QString error = session->error();
    throw MWError(error.isEmpty() ? QStringLiteral("The export failed.") : error);
}

}  // namespace ClipExporter
