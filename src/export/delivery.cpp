#include "export/delivery.h"

#include "model/openedmedia.h"
#include "platform/asset.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <optional>

namespace ClipExporter {

namespace {

constexpr double kMostRate = 60;

// A fraction within half a percent of a nominal rate — n, or n × 1000/1001 as
// NTSC-derived cameras record — is that rate: the container's clock rounds.
std::optional<FrameRate> standardRate(double rate)
{
    const long long whole = std::llround(rate);
    const long long ntsc = std::llround(rate * 1.001);
    const double ntscRate = ntsc * 1000.0 / 1001.0;
    const bool nearWhole = whole > 0 && std::abs(rate - double(whole)) <= 0.005 * rate;
    const bool nearNtsc = ntsc > 0 && std::abs(rate - ntscRate) <= 0.005 * rate;
    if (nearNtsc && (!nearWhole || std::abs(rate - ntscRate) < std::abs(rate - double(whole))))
        return FrameRate{int(ntsc * 1000), 1001};
    if (nearWhole)
        return FrameRate{int(whole), 1};
    return std::nullopt;
}

FrameRate reduced(long long num, long long den)
{
    const long long g = std::gcd(num, den);
    return FrameRate{int(num / g), int(den / g)};
}

// H.264's limits per level (Table A-1), bit rates and buffers in 1,000 bits
// for the Baseline and Main profiles; High allows 1.25 times both.
struct LevelLimits {
    const char* name;
    long long macroblocksPerSecond;
    long long frameMacroblocks;
    long long bitRate;
    long long buffer;
};

constexpr LevelLimits kLevels[] = {
    {"3", 40500, 1620, 10000, 10000},        {"3.1", 108000, 3600, 14000, 14000},
    {"3.2", 216000, 5120, 20000, 20000},     {"4", 245760, 8192, 20000, 25000},
    {"4.1", 245760, 8192, 50000, 62500},     {"4.2", 522240, 8704, 50000, 62500},
    {"5", 589824, 22080, 135000, 135000},    {"5.1", 983040, 36864, 240000, 240000},
    {"5.2", 2073600, 36864, 240000, 240000},
};

QString rangeOf(const SourceColour& c)
{
    return c.range == QLatin1String("pc") ? QStringLiteral("pc") : QStringLiteral("tv");
}

// The matrix a picture's numbers were made with: its tag, else what players
// assume of an untagged one — BT.709 from HD sizes up, BT.601 below.
QString matrixOf(const SourceColour& c)
{
    if (!c.matrix.isEmpty())
        return c.matrix;
    const bool hd = c.storedSize.width() >= 1280 || c.storedSize.height() >= 720;
    return hd ? QStringLiteral("bt709") : QStringLiteral("smpte170m");
}

// The scaler's name for a matrix; empty for one it doesn't know, which it
// then reads from the frame.
QString scaleMatrix(const QString& matrix)
{
    if (matrix == QLatin1String("bt709") || matrix == QLatin1String("smpte170m") ||
        matrix == QLatin1String("fcc") || matrix == QLatin1String("smpte240m"))
        return matrix;
    if (matrix == QLatin1String("bt470bg"))
        return QStringLiteral("bt470");
    if (matrix.startsWith(QLatin1String("bt2020")))
        return QStringLiteral("bt2020");
    return {};
}

}  // namespace

QString FrameRate::text() const
{
    return den == 1 ? QString::number(num) : QStringLiteral("%1/%2").arg(num).arg(den);
}

bool SourceColour::isHdr() const
{
    return transfer == QLatin1String("smpte2084") || transfer == QLatin1String("arib-std-b67");
}

QString Delivery::pictureChain(const QString& pixelFormat, const QString& captions) const
{
    QStringList parts;
    for (const QString& part : {scale, afterScale, captions})
        if (!part.isEmpty())
            parts << part;
    parts << QStringLiteral("format=") + pixelFormat;
    return parts.join(QLatin1Char(','));
}

FrameRate deliveryFrameRate(int num, int den, bool variable)
{
    if (num <= 0 || den <= 0)
        return FrameRate{30, 1};
    double rate = double(num) / den;
    FrameRate r = reduced(num, den);
    if (const auto standard = standardRate(rate))
        r = *standard;
    else if (variable || r.den > 1001)
        // A varying rate has only its average to go by: the nearest whole rate.
        r = FrameRate{int(std::max(1LL, std::llround(rate))), 1};
    if (r.value() < 1)
        r = FrameRate{1, 1};
    // Halving keeps every other frame.
    while (r.value() > kMostRate + 1e-6) {
        if (r.num % 2 == 0)
            r.num /= 2;
        else
            r.den *= 2;
        r = reduced(r.num, r.den);
    }
    return r;
}

QString h264Level(QSize render, FrameRate rate, long long peakBitRate, long long bufferBits)
{
    const long long mbWide = (render.width() + 15) / 16;
    const long long mbHigh = (render.height() + 15) / 16;
    const long long frame = mbWide * mbHigh;
    const double perSecond = double(frame) * rate.value();
    for (const LevelLimits& l : kLevels) {
        // A side may not outgrow the square of the largest frame, times eight.
        const long long side = (long long)std::sqrt(double(l.frameMacroblocks) * 8);
        if (frame <= l.frameMacroblocks && mbWide <= side && mbHigh <= side &&
            perSecond <= double(l.macroblocksPerSecond) && peakBitRate <= l.bitRate * 1250 &&
            bufferBits <= l.buffer * 1250)
            return QString::fromLatin1(l.name);
    }
    return QStringLiteral("5.2");
}

long long fastBitRate(QSizeF render, float frameRate)
{
    const double fps = frameRate > 1 ? std::min(double(frameRate), kMostRate) : 30.0;
    const double rw = double((long long)render.width());
    const double rh = double((long long)render.height());
    const auto raw = (long long)(rw * rh * fps * 0.16);
    return std::max(raw, 4000000LL);
}

int keyFrameInterval(FrameRate rate)
{
    return std::max(1, int(std::floor(2 * rate.value() + 1e-9)));
}

QString scaleFilter(QSize render, const SourceColour& c)
{
    QString text =
        QStringLiteral("scale=%1:%2:flags=bicubic").arg(render.width()).arg(render.height());
    // HDR keeps its numbers for the tone mapping that follows; SDR is turned
    // into BT.709's matrix and limited range as it is scaled, in one pass.
    if (!c.isHdr()) {
        const QString matrix = scaleMatrix(matrixOf(c));
        if (!matrix.isEmpty())
            text += QStringLiteral(":in_color_matrix=") + matrix;
        text += QStringLiteral(":out_color_matrix=bt709:out_range=tv");
    }
    return text + QStringLiteral(",setsar=1");
}

// The common tone mapping of HDR to SDR: to linear light with 100 nits as 1.0,
// BT.2020 primaries to BT.709, Hable's curve (highlights roll off without
// clipping, colours keep their saturation), back to BT.709's curve. It ends in
// a YUV format the last scale makes itself: left to negotiation, it could end
// in RGB and meet a converter that assumes BT.601.
QString toneMapAfterScale(const SourceColour& c)
{
    if (!c.isHdr())
        return {};
    const QString primaries = c.primaries.isEmpty() ? QStringLiteral("bt2020") : c.primaries;
    const QString matrix = c.matrix.isEmpty() ? QStringLiteral("bt2020nc") : c.matrix;
    return QStringLiteral("zscale=tin=%1:pin=%2:min=%3:rin=%4:t=linear:npl=100,"
                          "format=gbrpf32le,zscale=p=bt709,tonemap=tonemap=hable:desat=0,"
                          "zscale=t=bt709:m=bt709:r=tv,format=yuv420p")
        .arg(c.transfer, primaries, matrix, rangeOf(c));
}

SourceColour sourceColour(const MWOpenedMedia& media)
{
    SourceColour c;
    if (const MWAsset* a = media.asset.get()) {
        c.primaries = a->colorPrimaries;
        c.transfer = a->colorTransfer;
        c.matrix = a->colorMatrix;
        c.range = a->colorRange;
        c.storedSize = a->storedSize.toSize();
    } else {
        c.storedSize = media.naturalSize.toSize();
    }
    return c;
}

QString viewerFilter(const MWOpenedMedia& media)
{
    const QString toneMap = toneMapAfterScale(sourceColour(media));
    if (toneMap.isEmpty())
        return {};
    return QStringLiteral("scale=w='min(iw,1920)':h='min(ih,1920)':"
                          "force_original_aspect_ratio=decrease:force_divisible_by=2,") +
           toneMap;
}

QString filterPath(const QString& path)
{
    QString value;
    for (const QChar c : path) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('\'') || c == QLatin1Char(':'))
            value += QLatin1Char('\\');
        value += c;
    }
    QString graph;
    for (const QChar c : value) {
        if (QStringLiteral("\\'[],;").contains(c))
            graph += QLatin1Char('\\');
        graph += c;
    }
    return graph;
}

QString captionFilter(const QString& scriptFile)
{
    return QStringLiteral("ass=filename=") + filterPath(scriptFile);
}

Delivery deliveryFor(const MWOpenedMedia& media, QSize render)
{
    Delivery d;
    const MWAsset* a = media.asset.get();
    if (a && a->frameRateNum > 0)
        d.frameRate = deliveryFrameRate(a->frameRateNum, a->frameRateDen, a->variableFrameRate);
    else
        d.frameRate =
            deliveryFrameRate(int(std::lround(media.nominalFrameRate * 1000)), 1000, false);
    d.bitRate = fastBitRate(QSizeF(render), float(d.frameRate.value()));
    d.level = h264Level(render, d.frameRate, d.bitRate * 3 / 2, d.bitRate * 2);
    d.keyFrameInterval = keyFrameInterval(d.frameRate);
    const SourceColour colour = sourceColour(media);
    d.scale = scaleFilter(render, colour);
    d.afterScale = toneMapAfterScale(colour);
    return d;
}

}  // namespace ClipExporter
