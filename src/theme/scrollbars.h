#pragma once

class QAbstractScrollArea;

// Gives a scroll area's bars the finish's look: a slim rounded thumb of the
// middle metal on a clear track, no arrow buttons, sized by the zoom, and kept
// so through every change of finish or zoom.
void mwThinScrollBars(QAbstractScrollArea* area);
