#include "common/testutil.h"
#include "media/container.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {
using Bytes = std::vector<std::uint8_t>;

using namespace std::string_literals;

MWContainer kind(const Bytes& b)
{
    return sniff(std::span<const std::uint8_t>(b));
}

// What the sniffer makes of size bytes holding start from at on.
MWContainer kind(const std::string& start, size_t size, size_t at = 0)
{
    Bytes b(size, 0x11);
    std::copy(start.begin(), start.end(), b.begin() + qsizetype(at));
    return kind(b);
}
}  // namespace

TEST(Sniff, SignaturesLengthBoundariesAndKindsOfFile)
{
    EXPECT_EQ(kind("\x00\x00\x01\xBA"s, 12), MWContainer::mpegProgramStream);
    EXPECT_EQ(kind("\x00\x00\x01\xB3"s, 12), MWContainer::mpegVideoStream);
    EXPECT_EQ(kind("\x00\x00\x01\xE0"s, 12), MWContainer::unknown);
    for (const char* atom : {"ftyp", "moov", "mdat", "wide"})
        EXPECT_EQ(kind(atom, 12, 4), MWContainer::mp4Mov) << atom;
    EXPECT_EQ(kind("RIFF", 12), MWContainer::wavAvi);
    EXPECT_EQ(kind("FORM", 12), MWContainer::aiff);
    EXPECT_EQ(kind("ID3", 12), MWContainer::mp3);
    EXPECT_EQ(kind("\x1A\x45\xDF\xA3"s, 12), MWContainer::matroska);
    EXPECT_EQ(kind("\x30\x26\xB2\x75"s, 12), MWContainer::windowsMedia);
    EXPECT_EQ(kind("\xFF\xFB"s, 12), MWContainer::mp3);
    EXPECT_EQ(kind("\xFF\x00"s, 12), MWContainer::unknown);
    EXPECT_EQ(kind("FLV", 12), MWContainer::flashVideo);
    EXPECT_EQ(kind(Bytes(12, 0x11)), MWContainer::unknown);

    // The opener converts these; the transport stream and Matroska are its tests' files.
    for (const MWContainer k :
         {MWContainer::mpegProgramStream, MWContainer::mpegVideoStream, MWContainer::flashVideo})
        EXPECT_TRUE(mustConvert(k));
    EXPECT_FALSE(mustConvert(MWContainer::mp3));

    EXPECT_EQ(kind("ID3", 11), MWContainer::unknown);

    Bytes ts(377, 0x11);
    ts[0] = ts[188] = ts[376] = 0x47;
    EXPECT_EQ(kind(ts), MWContainer::mpegTransportStream);
    // One byte short, the third sync byte is gone.
    EXPECT_EQ(kind(Bytes(ts.begin(), ts.begin() + 376)), MWContainer::unknown);

    // Sync bytes at 0 and 188 only, but 192-byte packets at 4 and 196.
    Bytes m2ts(400, 0x11);
    m2ts[0] = m2ts[188] = m2ts[4] = m2ts[196] = 0x47;
    EXPECT_EQ(kind(m2ts), MWContainer::mpegTransportStream);
    EXPECT_EQ(kind(Bytes(m2ts.begin(), m2ts.begin() + 196)), MWContainer::unknown);

    // Files (this one far longer than what is read), folders, FIFOs and devices.
    QTemporaryDir dir;
    EXPECT_EQ(sniff(testutil::fixture("h264_aac.mp4")), MWContainer::mp4Mov);
    EXPECT_EQ(sniff(dir.filePath("missing.ts")), MWContainer::unknown);
    EXPECT_EQ(sniff(dir.path()), MWContainer::unknown);
    EXPECT_EQ(sniff(QStringLiteral("/dev/zero")), MWContainer::unknown);

    // A FIFO with no writer must not block the sniffer.
    const QString fifo = dir.filePath("pipe.ts");
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    EXPECT_EQ(sniff(fifo), MWContainer::unknown);
}
