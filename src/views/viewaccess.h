#pragma once

#include <QString>

class QWidget;

// What a screen reader finds of the views' self-drawn parts: the position
// pad and the crop frame with the place they show, the shape tiles as radio
// buttons, and the export queue with each row's state and progress and the
// batch's as a whole. Each view registers its part once, in its constructor.
void cwPadAccessibility();
void cwCropFrameAccessibility();
void cwShapeTileAccessibility();
void cwQueueAccessibility();

// "Centre 50 %, 50 %": where a frame's centre stands, across then down, as a
// share of the picture.
QString cwCentreText(double centerX, double centerY);
