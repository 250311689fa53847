#include "media/container.h"

#include <QFile>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

QString rawValue(MWContainer kind)
{
    switch (kind) {
    case MWContainer::mpegProgramStream:
        return QStringLiteral("MPEG program stream");
    case MWContainer::mpegTransportStream:
        return QStringLiteral("MPEG transport stream");
    case MWContainer::mpegVideoStream:
        return QStringLiteral("MPEG video stream");
    case MWContainer::mp4Mov:
        return QStringLiteral("MP4/MOV");
    case MWContainer::wavAvi:
        return QStringLiteral("WAV/AVI");
    case MWContainer::aiff:
        return QStringLiteral("AIFF");
    case MWContainer::mp3:
        return QStringLiteral("MP3");
    case MWContainer::matroska:
        return QStringLiteral("Matroska/WebM");
    case MWContainer::windowsMedia:
        return QStringLiteral("Windows Media");
    case MWContainer::flashVideo:
        return QStringLiteral("Flash video");
    case MWContainer::unknown:
        return QStringLiteral("unknown");
    }
    return QStringLiteral("unknown");
}

bool mustConvert(MWContainer kind)
{
    switch (kind) {
    case MWContainer::mpegProgramStream:
    case MWContainer::mpegTransportStream:
    case MWContainer::mpegVideoStream:
    case MWContainer::matroska:
    case MWContainer::windowsMedia:
    case MWContainer::flashVideo:
        return true;
    default:
        return false;
    }
}

MWContainer sniff(std::span<const std::uint8_t> b)
{
    const size_t n = b.size();
    if (n < 12)
        return MWContainer::unknown;
    auto at = [&](size_t offset, const char* text) {
        return std::memcmp(b.data() + offset, text, std::strlen(text)) == 0;
    };

    if (b[0] == 0x47 && n >= 377 && b[188] == 0x47 && b[376] == 0x47)
        return MWContainer::mpegTransportStream;
    if (b[0] == 0x00 && b[1] == 0x00 && b[2] == 0x01) {
        if (b[3] == 0xB3)
            return MWContainer::mpegVideoStream;
        if (b[3] == 0xBA)
            return MWContainer::mpegProgramStream;
    }
    if (n >= 197 && b[4] == 0x47 && b[196] == 0x47)
        return MWContainer::mpegTransportStream;  // M2TS: a timestamp before each sync byte
    if (at(4, "ftyp") || at(4, "moov") || at(4, "mdat") || at(4, "wide"))
        return MWContainer::mp4Mov;
    if (at(0, "RIFF"))
        return MWContainer::wavAvi;
    if (at(0, "FORM"))
        return MWContainer::aiff;
    if (at(0, "ID3"))
        return MWContainer::mp3;
    if (b[0] == 0x1A && b[1] == 0x45 && b[2] == 0xDF && b[3] == 0xA3)
        return MWContainer::matroska;
    if (b[0] == 0x30 && b[1] == 0x26 && b[2] == 0xB2 && b[3] == 0x75)
        return MWContainer::windowsMedia;
    if (b[0] == 0xFF && b[1] >= 0xE0)
        return MWContainer::mp3;  // an MPEG audio frame sync
    if (at(0, "FLV"))
        return MWContainer::flashVideo;
    return MWContainer::unknown;
}

MWContainer sniff(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return MWContainer::unknown;
    std::uint8_t buffer[1024];
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    ::close(fd);
    return sniff(std::span<const std::uint8_t>(buffer, got > 0 ? size_t(got) : 0));
}
