#pragma once

class CWStore;
class QKeyEvent;

// The window's plain keys: Return adds a clip, Space plays, the arrows step
// (or nudge the focused trim point), i o j l k and 1–4. True when the key was
// one of them and has been acted on.
bool cwHandleKey(CWStore& store, const QKeyEvent& event);
