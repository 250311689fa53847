#pragma once

#include <QString>
#include <cstdint>
#include <span>

// The kind of a file, found from its first bytes; the raw value is its display name.
enum class MWContainer {
    mpegProgramStream,
    mpegTransportStream,
    mpegVideoStream,
    mp4Mov,
    wavAvi,
    aiff,
    mp3,
    matroska,
    windowsMedia,
    flashVideo,
    unknown,
};

QString rawValue(MWContainer kind);
// The kinds that go to the converter without a direct open first.
bool mustConvert(MWContainer kind);

// Classifies the head of a file. Pure; fewer than 12 bytes are unknown.
MWContainer sniff(std::span<const std::uint8_t> bytes);
// Reads at most 1024 bytes in one call and classifies them. Never fails and
// never blocks: FIFOs and devices are opened non-blocking.
MWContainer sniff(const QString& path);
