#include "app/keytable.h"

#include "platform/player.h"
#include "store/store.h"

#include <QKeyEvent>

bool cwHandleKey(CWStore& s, const QKeyEvent& event)
{
    const bool shift = event.modifiers() & Qt::ShiftModifier;
    switch (event.key()) {
    case Qt::Key_Return:
        // Held down, the key repeats: one press is one clip.
        if (!event.isAutoRepeat())
            s.addClip();
        return true;
    case Qt::Key_Space:
        s.togglePlay();
        return true;
    case Qt::Key_Escape:
        if (!s.trimFocus())
            return false;  // nothing to leave: the key goes on (to a dialog, say)
        s.setTrimFocus(std::nullopt);
        return true;
    case Qt::Key_Left:
    case Qt::Key_Right: {
        const int n = (event.key() == Qt::Key_Left ? -1 : 1) * (shift ? 10 : 1);
        if (s.trimFocus())
            s.nudgeTrim(n);
        else
            s.step(n);
        return true;
    }
    case Qt::Key_P:
        // The one key whose Shift means something else: P sets, Shift+P takes away.
        if (shift)
            s.removePointAtPlayhead();
        else
            s.addPoint();
        return true;
    default:
        break;
    }

    // Compared lower-cased, so Shift or Caps Lock make no difference.
    const QString c = event.text().toLower();
    if (c == QLatin1String("i"))
        s.markIn();
    else if (c == QLatin1String("o"))
        s.markOut();
    else if (c == QLatin1String("j"))
        s.seek(s.time() - 2);
    else if (c == QLatin1String("l"))
        s.seek(s.time() + 2);
    else if (c == QLatin1String("k"))
        s.player()->pause();  // a stop key, never a toggle
    else if (c == QLatin1String("["))
        s.previousPoint();
    else if (c == QLatin1String("]"))
        s.nextPoint();
    else if (c == QLatin1String("1"))
        s.setAspect(Aspect::vertical);
    else if (c == QLatin1String("2"))
        s.setAspect(Aspect::square);
    else if (c == QLatin1String("3"))
        s.setAspect(Aspect::portrait);
    else if (c == QLatin1String("4"))
        s.setAspect(Aspect::wide);
    else
        return false;
    return true;
}
