#include "media/opener.h"
#include "media/thumbnails.h"
#include "opener_support.h"
#include "platform/asset.h"

#include <QCoroTask>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// Files whose pixels are not square are measured, drawn and cropped in the
// shape the player shows them, not the shape they are stored in.
TEST(Anamorphic, RecordAndFilmstripHaveTheShownShape)
{
    struct Case {
        const char* fixture;
        QSizeF stored;   // the converted copy's, for the DVD
        QSizeF natural;  // shown and upright
        QSize thumb;     // inside 270 × 180
        bool converted;
    };
    for (const Case c : {
             // 16:9 PAL DVD: 720 × 576 at 64:45 is 1024 × 576, through the converter.
             Case{"anamorphic_pal.vob", {720, 576}, {1024, 576}, {270, 152}, true},
             // Quarter-size HDV: 480 × 360 at 4:3 is 640 × 360.
             Case{"anamorphic_hdv.mp4", {480, 360}, {640, 360}, {270, 152}, false},
             // The same turned for display: the widened side stands upright.
             Case{"anamorphic_hdv_cw.mp4", {480, 360}, {360, 640}, {101, 180}, false},
         }) {
        SCOPED_TRACE(c.fixture);
        QTemporaryDir dir;
        const QString path = dir.filePath(QString::fromLatin1(c.fixture));
        QFile::copy(testutil::fixture(QString::fromLatin1(c.fixture)), path);
        const MWOpenedMedia media = support::await(MWMediaOpener::open(path, true, {}));
        EXPECT_EQ(media.converted, c.converted);
        EXPECT_EQ(media.asset->storedSize, c.stored);
        EXPECT_EQ(media.naturalSize, c.natural);

        const QList<Thumb> strip =
            QCoro::waitFor(MWMediaOpener::thumbnails(media.asset, media.duration, 2, 90, {}));
        ASSERT_EQ(strip.size(), 2);
        for (const Thumb& t : strip)
            EXPECT_EQ(t.second.size(), c.thumb);
    }
}
