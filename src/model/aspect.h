#pragma once

#include <QSize>
#include <QString>
#include <array>
#include <optional>

// The shape of an exported clip. Declaration order is the order of every shape picker.
enum class Aspect { vertical, square, portrait, wide };

// The label shown on shape controls, the case's identity and its form in files.
QString rawValue(Aspect aspect);
std::optional<Aspect> aspectFromRaw(const QString& raw);
const std::array<Aspect, 4>& allAspects();

double ratio(Aspect aspect);  // width ÷ height
QString fileTag(Aspect aspect);
QString audience(Aspect aspect);
// Exported picture size for a short side of 1080 or 720; both sides even.
QSize renderSize(Aspect aspect, int shortSide);
