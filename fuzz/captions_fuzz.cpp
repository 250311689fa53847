// The caption reader takes subtitle files from anywhere: downloaded, written
// by hand, in any encoding, cut short. The first byte picks the format the
// rest is read as.
#include "media/captionfiles.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace {

void check(bool holds)
{
    if (!holds)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    static const QString kExtensions[] = {QStringLiteral("srt"), QStringLiteral("vtt"),
                                          QStringLiteral("ass")};
    const QByteArray bytes(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    const Captions::Reading r = Captions::readBytes(bytes, kExtensions[data[0] % 3]);

    // Either an error for the user or cues to show, never both or neither.
    check(r.error.isEmpty() != r.cues.empty());
    check(r.skipped >= 0);
    check(r.error.isEmpty() ? !r.encoding.isEmpty() : true);
    for (const Captions::Cue& c : r.cues) {
        check(std::isfinite(c.start) && std::isfinite(c.end));
        check(c.start >= 0 && c.start < c.end && c.end <= Captions::kLatestTime);
        check(!c.text.isEmpty() && c.text.size() <= Captions::kLongestText);
        // Plain words: no override block, no blank or padded line.
        check(!c.text.contains(u'{'));
        for (const QStringView line : QStringView(c.text).split(u'\n'))
            check(!line.isEmpty() && line.trimmed().size() == line.size());
    }
    if (r.cues.empty())
        return 0;

    // A clip from the first cue's start for as long as the first byte says.
    const double in = r.cues.front().start;
    const double out = in + data[0] / 8.0;
    const Captions::Cues clip = Captions::forClip(r.cues, in, out);
    for (size_t i = 0; i < clip.size(); ++i) {
        check(clip[i].start >= 0 && clip[i].start < clip[i].end && clip[i].end <= out - in);
        check(i == 0 || clip[i - 1].start <= clip[i].start);
    }
    if (out > in)
        check(!clip.empty() && clip.front().start == 0);
    return 0;
}
