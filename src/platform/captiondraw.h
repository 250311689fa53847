#pragma once

#include "model/aspect.h"
#include "model/captions.h"

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>
#include <memory>
#include <vector>

// Captions as libass draws them: one script describes a clip's captions on
// its output frame, and the same script is burned in by both export engines
// (libavfilter's ass filter) and drawn over the viewer's crop frame.
namespace Captions {

// The font every caption asks for; fontconfig falls back to the Noto family's
// other faces (and Symbola for emoji) for the characters it lacks.
inline constexpr const char* kFontFamily = "Noto Sans";

// A complete ASS script in the render size's pixels for cues in clip time
// (0 is the clip's first frame). Each cue too long for two lines becomes
// several consecutive ones. Times are cut down to ASS's centiseconds, so a
// cue that starts exactly at a frame's time is shown on that frame.
QByteArray script(const Cues& clipCues, QSize render, Aspect aspect, const Style& style);

// A cue's plain text as ASS event text that shows exactly those characters:
// braces and backslashes can start no override, and line breaks become \N.
QString eventText(const QString& text);

// One script drawn at any moment and size, for the viewer: premultiplied
// ARGB of the requested size, transparent where there is no caption. The
// picture is kept while the same events show at the same size. Use from one
// thread at a time.
class Drawing {
public:
    Drawing();
    ~Drawing();
    Drawing(const Drawing&) = delete;
    Drawing& operator=(const Drawing&) = delete;

    void setScript(const QByteArray& script);
    // The captions at seconds of clip time on a frame of size, scaled from
    // the script's render size.
    QImage frame(double seconds, QSize size);

private:
    struct Libass;
    std::unique_ptr<Libass> ass_;
    QImage cached_;
    std::vector<int> cachedEvents_;
    bool cacheValid_ = false;
};

}  // namespace Captions
