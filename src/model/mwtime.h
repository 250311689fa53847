#pragma once

#include <QString>

namespace MWTime {
// Every time readout: "1:05.3" with tenths, "1:02:05" without; rounded down.
QString clock(double seconds, bool tenths);
}  // namespace MWTime
