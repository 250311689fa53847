#pragma once

#include <QString>
#include <atomic>

// The media framework's passthrough export to a QuickTime movie, on libav:
// every audio and video track of src is copied, packet for packet, into a .mov
// at dst (replaced if it exists); data, subtitle and cover-art streams are left
// behind. Blocking: run it on a worker thread. progress (may be null) is raised
// from 0 to 1 as the copy proceeds, for a reader on another thread. Throws
// MWError with libav's description of the failure, and then leaves no file at
// dst.
void remuxToMov(const QString& src, const QString& dst, std::atomic<double>* progress = nullptr);
