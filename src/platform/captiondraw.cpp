#include "platform/captiondraw.h"

#include "model/captionlayout.h"

extern "C" {
#include <ass/ass.h>
}

#include <algorithm>
#include <cmath>
#include <cstdarg>

namespace Captions {

namespace {

// ASS counts centiseconds. Rounding down puts a start at or before the first
// frame at that time (the ass filter asks for whole milliseconds, rounded),
// and an end at or before the frame that no longer shows the cue.
long long centiseconds(double seconds)
{
    return std::max(0LL, (long long)std::floor(seconds * 100 + 1e-6));
}

QString assTime(long long cs)
{
    return QString::asprintf("%lld:%02lld:%02lld.%02lld", cs / 360000, cs / 6000 % 60,
                             cs / 100 % 60, cs % 100);
}

QString figure(double v)
{
    return QString::number(v, 'f', 2);
}

// Libass reports to the standard error stream unless told otherwise.
void quiet(int, const char*, va_list, void*) {}

}  // namespace

QString eventText(const QString& text)
{
    QString out;
    out.reserve(text.size() + 8);
    for (const QChar c : text) {
        switch (c.unicode()) {
        case '\\':
            // A word joiner after it: no letter can make it an escape (\N, \h).
            out += QStringLiteral("\\\u2060");
            break;
        case '{':
            out += QStringLiteral("\\{");
            break;
        case '}':
            out += QStringLiteral("\\}");
            break;
        case '\n':
            out += QStringLiteral("\\N");
            break;
        case '\r':
            break;
        default:
            out += c.category() == QChar::Other_Control ? QChar(' ') : c;
        }
    }
    return out;
}

QByteArray script(const Cues& clipCues, QSize render, Aspect aspect, const Style& style)
{
    const Placement p = placement(render, aspect, style);
    const bool box = style.look == Look::box;
    // Colours are &HAABBGGRR, AA the transparency. The outline look is white
    // with a black edge and a soft half-dark shadow; the box look is white on
    // a box of 75 % black around the whole caption (libass's border style 4),
    // its Outline the box's padding.
    const QString outline = box ? QStringLiteral("&HFF000000") : QStringLiteral("&H00000000");
    const QString back = box ? QStringLiteral("&H40000000") : QStringLiteral("&H80000000");
    const double shadow = box ? 0 : 0.05 * p.fontSize;
    QString s;
    s += QStringLiteral("[Script Info]\n"
                        "ScriptType: v4.00+\n"
                        "PlayResX: %1\n"
                        "PlayResY: %2\n"
                        "ScaledBorderAndShadow: yes\n"
                        "WrapStyle: 0\n"
                        "YCbCr Matrix: None\n\n")
             .arg(render.width())
             .arg(render.height());
    s += QStringLiteral(
        "[V4+ Styles]\n"
        "Format: Name, Fontname, Fontsize, PrimaryColour, SecondaryColour, OutlineColour, "
        "BackColour, Bold, Italic, Underline, StrikeOut, ScaleX, ScaleY, Spacing, Angle, "
        "BorderStyle, Outline, Shadow, Alignment, MarginL, MarginR, MarginV, Encoding\n");
    s += QStringLiteral("Style: Caption,%1,%2,&H00FFFFFF,&H00FFFFFF,%3,%4,-1,0,0,0,100,100,0,0,"
                        "%5,%6,%7,2,%8,%9,%10,1\n\n")
             .arg(QString::fromLatin1(kFontFamily), figure(p.fontSize), outline, back,
                  QString::number(box ? 4 : 1), figure(p.border), figure(shadow),
                  QString::number(std::lround(p.left)), QString::number(std::lround(p.right)))
             .arg(std::lround(p.bottom));
    s += QStringLiteral("[Events]\nFormat: Layer, Start, End, Style, Name, MarginL, MarginR, "
                        "MarginV, Effect, Text\n");
    for (const Cue& cue : clipCues) {
        for (const Cue& piece : pieces(cue, p.lineWidth)) {
            const long long from = centiseconds(piece.start);
            const long long to = centiseconds(piece.end);
            if (to <= from || piece.text.isEmpty())
                continue;
            s += QStringLiteral("Dialogue: 0,%1,%2,Caption,,0,0,0,,%3\n")
                     .arg(assTime(from), assTime(to), eventText(piece.text));
        }
    }
    return s.toUtf8();
}

struct Drawing::Libass {
    ASS_Library* library = nullptr;
    ASS_Renderer* renderer = nullptr;
    ASS_Track* track = nullptr;
    QSize frameSize;

    ~Libass()
    {
        if (track)
            ass_free_track(track);
        if (renderer)
            ass_renderer_done(renderer);
        if (library)
            ass_library_done(library);
    }
};

Drawing::Drawing() : ass_(std::make_unique<Libass>())
{
    // As the ass filter sets libass up, so that the viewer draws what is burned.
    ass_->library = ass_library_init();
    if (!ass_->library)
        return;
    ass_set_message_cb(ass_->library, quiet, nullptr);
    ass_->renderer = ass_renderer_init(ass_->library);
    if (ass_->renderer)
        ass_set_fonts(ass_->renderer, nullptr, nullptr, ASS_FONTPROVIDER_AUTODETECT, nullptr, 1);
}

Drawing::~Drawing() = default;

void Drawing::setScript(const QByteArray& script)
{
    cacheValid_ = false;
    if (ass_->track) {
        ass_free_track(ass_->track);
        ass_->track = nullptr;
    }
    if (!ass_->library || script.isEmpty())
        return;
    QByteArray text = script;  // libass may work in the buffer it is given
    ass_->track = ass_read_memory(ass_->library, text.data(), size_t(text.size()), nullptr);
}

QImage Drawing::frame(double seconds, QSize size)
{
    if (size.isEmpty())
        return {};
    const long long ms = std::llround(seconds * 1000);
    std::vector<int> events;
    if (ass_->track && ass_->renderer)
        for (int i = 0; i < ass_->track->n_events; ++i) {
            const ASS_Event& e = ass_->track->events[i];
            if (e.Start <= ms && ms < e.Start + e.Duration)
                events.push_back(i);
        }
    if (cacheValid_ && events == cachedEvents_ && cached_.size() == size)
        return cached_;

    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    if (!events.empty()) {
        if (ass_->frameSize != size) {
            ass_set_frame_size(ass_->renderer, size.width(), size.height());
            ass_->frameSize = size;
        }
        for (ASS_Image* a = ass_render_frame(ass_->renderer, ass_->track, ms, nullptr); a;
             a = a->next) {
            const uint32_t c = a->color;
            const int r = int(c >> 24), g = int(c >> 16 & 0xff), b = int(c >> 8 & 0xff);
            const int opacity = 255 - int(c & 0xff);
            for (int y = 0; y < a->h; ++y) {
                const int dy = a->dst_y + y;
                if (dy < 0 || dy >= image.height())
                    continue;
                auto* row = reinterpret_cast<QRgb*>(image.scanLine(dy));
                const unsigned char* mask = a->bitmap + std::ptrdiff_t(y) * a->stride;
                for (int x = 0; x < a->w; ++x) {
                    const int dx = a->dst_x + x;
                    const int alpha = mask[x] * opacity / 255;
                    if (alpha == 0 || dx < 0 || dx >= image.width())
                        continue;
                    const QRgb d = row[dx];
                    const int keep = 255 - alpha;
                    row[dx] = qRgba(r * alpha / 255 + qRed(d) * keep / 255,
                                    g * alpha / 255 + qGreen(d) * keep / 255,
                                    b * alpha / 255 + qBlue(d) * keep / 255,
                                    alpha + qAlpha(d) * keep / 255);
                }
            }
        }
    }
    cached_ = image;
    cachedEvents_ = std::move(events);
    cacheValid_ = true;
    return cached_;
}

}  // namespace Captions
