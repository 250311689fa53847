#include "common/testutil.h"
#include "media/container.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <vector>

namespace {
using Bytes = std::vector<std::uint8_t>;

Bytes head(std::initializer_list<std::uint8_t> start, size_t size)
{
    Bytes b(size, 0x11);
    std::copy(start.begin(), start.end(), b.begin());
    return b;
}

Bytes text(const char* start, size_t size, size_t at = 0)
{
    Bytes b(size, 0x11);
    for (size_t i = 0; start[i]; ++i)
        b[at + i] = std::uint8_t(start[i]);
    return b;
}

MWContainer kind(const Bytes& b)
{
    return sniff(std::span<const std::uint8_t>(b));
}
}  // namespace

TEST(Sniff, SignaturesLengthBoundariesAndKindsOfFile)
{
    EXPECT_EQ(kind(head({0x00, 0x00, 0x01, 0xBA}, 12)), MWContainer::mpegProgramStream);
    EXPECT_EQ(kind(head({0x00, 0x00, 0x01, 0xB3}, 12)), MWContainer::mpegVideoStream);
    EXPECT_EQ(kind(head({0x00, 0x00, 0x01, 0xE0}, 12)), MWContainer::unknown);
    for (const char* atom : {"ftyp", "moov", "mdat", "wide"})
        EXPECT_EQ(kind(text(atom, 12, 4)), MWContainer::mp4Mov) << atom;
    EXPECT_EQ(kind(text("RIFF", 12)), MWContainer::wavAvi);
    EXPECT_EQ(kind(text("FORM", 12)), MWContainer::aiff);
    EXPECT_EQ(kind(text("ID3", 12)), MWContainer::mp3);
    EXPECT_EQ(kind(head({0x1A, 0x45, 0xDF, 0xA3}, 12)), MWContainer::matroska);
    EXPECT_EQ(kind(head({0x30, 0x26, 0xB2, 0x75}, 12)), MWContainer::windowsMedia);
    EXPECT_EQ(kind(head({0xFF, 0xFB}, 12)), MWContainer::mp3);
    EXPECT_EQ(kind(head({0xFF, 0x00}, 12)), MWContainer::unknown);
    EXPECT_EQ(kind(text("FLV", 12)), MWContainer::flashVideo);
    EXPECT_EQ(kind(Bytes(12, 0x11)), MWContainer::unknown);

    EXPECT_TRUE(mustConvert(MWContainer::flashVideo));
    EXPECT_FALSE(mustConvert(MWContainer::mp3));

    EXPECT_EQ(kind(text("ID3", 11)), MWContainer::unknown);

    Bytes ts(376, 0x11);
    ts[0] = ts[188] = 0x47;
    ts.push_back(0x11);
    EXPECT_EQ(kind(Bytes(ts.begin(), ts.begin() + 376)), MWContainer::unknown);
    ts[376] = 0x47;
    EXPECT_EQ(kind(ts), MWContainer::mpegTransportStream);

    // Sync bytes at 0 and 188 only, but 192-byte packets at 4 and 196.
    Bytes m2ts(400, 0x11);
    m2ts[0] = m2ts[188] = m2ts[4] = m2ts[196] = 0x47;
    EXPECT_EQ(kind(m2ts), MWContainer::mpegTransportStream);
    EXPECT_EQ(kind(Bytes(m2ts.begin(), m2ts.begin() + 196)), MWContainer::unknown);

    // Files, folders, FIFOs and devices.
    QTemporaryDir dir;
    const QString big = dir.filePath("big.bin");
    {
        QFile f(big);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        Bytes b(4096, 0x11);
        b[1024 + 4] = 'f';  // past the first 1024 bytes: never seen
        f.write(reinterpret_cast<const char*>(b.data()), qint64(b.size()));
    }
    EXPECT_EQ(sniff(big), MWContainer::unknown);
    EXPECT_EQ(sniff(testutil::fixture("h264_aac.mp4")), MWContainer::mp4Mov);
    EXPECT_EQ(sniff(dir.filePath("missing.ts")), MWContainer::unknown);
    EXPECT_EQ(sniff(dir.path()), MWContainer::unknown);
    EXPECT_EQ(sniff(QStringLiteral("/dev/zero")), MWContainer::unknown);

    // A FIFO with no writer must not block the sniffer.
    const QString fifo = dir.filePath("pipe.ts");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    EXPECT_EQ(sniff(fifo), MWContainer::unknown);
}
