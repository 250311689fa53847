// The session decoder reads a file that may have been hand-edited, cut short
// by a full disk, or written by another version.
#include "model/session.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const std::optional<CWSession> read = CWSession::decode(bytes);
    if (!read)
        return 0;
    (void)read->allSources();

    // Whatever was accepted must survive the next save unchanged: a save that
    // drops or alters a clip loses the user's work without a word.
    const QByteArray saved = read->encode();
    const std::optional<CWSession> again = CWSession::decode(saved);
    if (!again)
        std::abort();
    if (again->clips != read->clips)
        std::abort();
    if (again->sources.value_or(QList<CWSession::Source>{}) !=
        read->sources.value_or(QList<CWSession::Source>{}))
        std::abort();
    if (again->encode() != saved)
        std::abort();
    return 0;
}
