#include "media/captiontext.h"

#include <QList>
#include <QStringDecoder>
#include <QStringView>
#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <optional>
#include <type_traits>
#include <uchardet/uchardet.h>
#include <vector>

namespace {

// Windows-1252's letters at 0x80–0x9F; the five codes it leaves unassigned
// keep their Latin-1 value, as browsers do.
constexpr char16_t kWindows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QString windows1252(const QByteArray& bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        *out++ = (b >= 0x80 && b < 0xA0) ? QChar(kWindows1252High[b - 0x80]) : QChar(b);
    }
    return text;
}

QByteArray utf8From(QStringConverter::Encoding encoding, QByteArrayView bytes)
{
    QStringDecoder decoder(encoding, QStringConverter::Flag::Stateless);
    return QString(decoder.decode(bytes)).toUtf8();
}

// Little or big endian when most characters of the first few thousand have a
// zero byte on one side and almost none on the other, as Latin text in UTF-16
// does.
std::optional<QStringConverter::Encoding> utf16Order(QByteArrayView bytes)
{
    const qsizetype pairs = std::min<qsizetype>(bytes.size(), 4096) / 2;
    if (pairs < 8)
        return std::nullopt;
    qsizetype evenZeros = 0, oddZeros = 0;
    for (qsizetype i = 0; i < pairs; ++i) {
        evenZeros += bytes[2 * i] == 0;
        oddZeros += bytes[2 * i + 1] == 0;
    }
    if (oddZeros * 2 > pairs && evenZeros * 16 < pairs)
        return QStringConverter::Utf16LE;
    if (evenZeros * 2 > pairs && oddZeros * 16 < pairs)
        return QStringConverter::Utf16BE;
    return std::nullopt;
}

// uchardet's guess from the first 64 KiB; nothing when it has none or calls
// it ASCII or UTF-8 (which the caller has ruled out).
std::optional<QByteArray> guessedCharset(QByteArrayView bytes)
{
    const std::unique_ptr<std::remove_pointer_t<uchardet_t>, void (*)(uchardet_t)> detector(
        uchardet_new(), uchardet_delete);
    if (!detector ||
        uchardet_handle_data(detector.get(), bytes.data(),
                             size_t(std::min<qsizetype>(bytes.size(), 64 * 1024))) != 0)
        return std::nullopt;
    uchardet_data_end(detector.get());
    const QByteArray name(uchardet_get_charset(detector.get()));
    if (name.isEmpty() || name == "ASCII" || name == "UTF-8")
        return std::nullopt;
    return name;
}

QByteArray rawUtf8(const QByteArray& bytes, QString* encoding)
{
    const QByteArrayView view(bytes);
    if (view.startsWith("\xEF\xBB\xBF")) {
        *encoding = QStringLiteral("UTF-8");
        return utf8From(QStringConverter::Utf8, view.sliced(3));
    }
    if (view.startsWith("\xFF\xFE")) {
        *encoding = QStringLiteral("UTF-16");
        return utf8From(QStringConverter::Utf16LE, view.sliced(2));
    }
    if (view.startsWith("\xFE\xFF")) {
        *encoding = QStringLiteral("UTF-16");
        return utf8From(QStringConverter::Utf16BE, view.sliced(2));
    }
    // Without a mark, UTF-16 shows as a zero byte beside nearly every letter
    // (zero bytes are valid UTF-8, so this comes first).
    if (const auto order = utf16Order(view)) {
        *encoding = QStringLiteral("UTF-16 (guessed)");
        return utf8From(*order, view);
    }
    if (view.isValidUtf8()) {
        *encoding = QStringLiteral("UTF-8");
        return bytes;
    }
    // A legacy code page: uchardet names the likeliest (Windows-1251 for
    // Russian, GB18030, Shift_JIS, …), when Qt can decode it.
    if (const std::optional<QByteArray> name = guessedCharset(view)) {
        QStringDecoder decoder(name->constData(), QStringConverter::Flag::Stateless);
        if (decoder.isValid()) {
            const QString text = decoder.decode(view);
            if (!decoder.hasError()) {
                *encoding = QString::fromLatin1(*name) + QStringLiteral(" (guessed)");
                return text.toUtf8();
            }
        }
    }
    // Else the Windows code page of Western Europe: it reads every byte, and
    // Latin-1 is the same outside 0x80–0x9F.
    *encoding = QStringLiteral("Windows-1252 (guessed)");
    return windows1252(bytes).toUtf8();
}

// The text's lines, without their "\n".
std::vector<QByteArrayView> linesOf(QByteArrayView text)
{
    std::vector<QByteArrayView> lines;
    lines.reserve(size_t(std::count(text.begin(), text.end(), '\n')) + 1);
    qsizetype from = 0;
    for (qsizetype nl; (nl = text.indexOf('\n', from)) >= 0; from = nl + 1)
        lines.push_back(text.sliced(from, nl - from));
    lines.push_back(text.sliced(from));
    return lines;
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

constexpr double kUnreadable = std::numeric_limits<double>::quiet_NaN();

// One time of a timing line from at on, as libav's demuxers read it: hours
// (required but in WebVTT), minutes and seconds, then ',' or '.' and a whole
// number of fraction units (milliseconds; hundredths in ASS). NaN when it
// does not read; negative when it is.
double timeAt(QByteArrayView line, qsizetype& at, bool hoursOptional, double perSecond)
{
    while (at < line.size() && (line[at] == ' ' || line[at] == '\t'))
        ++at;
    if (at < line.size() && line[at] == '-')
        return -1;
    double parts[3] = {};
    int count = 0;
    for (;;) {
        const qsizetype first = at;
        double value = 0;
        while (at < line.size() && isDigit(line[at]) && at - first < 12)
            value = value * 10 + (line[at++] - '0');
        if (at == first || count == 3)
            return kUnreadable;
        parts[count++] = value;
        if (at < line.size() && line[at] == ':') {
            ++at;
            continue;
        }
        break;
    }
    if (count < (hoursOptional ? 2 : 3) || at >= line.size() ||
        (line[at] != ',' && line[at] != '.'))
        return kUnreadable;
    const qsizetype first = ++at;
    double fraction = 0;
    while (at < line.size() && isDigit(line[at]) && at - first < 12)
        fraction = fraction * 10 + (line[at++] - '0');
    if (at == first)
        return kUnreadable;
    const double hours = count == 3 ? parts[0] : 0;
    return hours * 3600 + parts[count - 2] * 60 + parts[count - 1] + fraction / perSecond;
}

// NaN fails each of these.
bool inOrder(double start, double end, double latest)
{
    return start >= 0 && end > start && end <= latest;
}

bool readableTiming(QByteArrayView line, bool webvtt, double latest)
{
    qsizetype at = 0;
    const double start = timeAt(line, at, webvtt, 1000);
    while (at < line.size() && (line[at] == ' ' || line[at] == '\t'))
        ++at;
    if (!line.sliced(at).startsWith("-->"))
        return false;
    at += 3;
    const double end = timeAt(line, at, webvtt, 1000);
    return inOrder(start, end, latest);
}

// "Dialogue: Layer,Start,End,…" (the first field is "Marked=0" in SSA).
bool readableDialogue(QByteArrayView line, double latest)
{
    qsizetype at = line.indexOf(',');
    if (at < 0)
        return false;
    const double start = timeAt(line, ++at, false, 100);
    if (at >= line.size() || line[at] != ',')
        return false;
    const double end = timeAt(line, ++at, false, 100);
    return inOrder(start, end, latest);
}

bool isTiming(QByteArrayView line)
{
    return line.contains("-->");
}

bool isNumber(QByteArrayView line)
{
    const QByteArrayView t = line.trimmed();
    return !t.isEmpty() && std::all_of(t.begin(), t.end(), isDigit);
}

}  // namespace

QByteArray CaptionText::decode(const QByteArray& bytes, QString* encoding)
{
    QByteArray text = rawUtf8(bytes, encoding);
    if (text.contains('\r')) {
        text.replace("\r\n", "\n");
        text.replace('\r', '\n');
    }
    return text;
}

CaptionText::Blocks CaptionText::timedBlocks(QByteArrayView text, bool webvtt, int mostCues,
                                             int longestBlock, double latest)
{
    Blocks out;
    out.utf8.reserve(text.size() + 8);
    if (webvtt)
        out.utf8 = "WEBVTT\n\n";
    const std::vector<QByteArrayView> lines = linesOf(text);
    const size_t n = lines.size();
    size_t i = 0;
    while (i < n) {
        if (!isTiming(lines[i])) {
            ++i;
            continue;
        }
        const size_t timing = i;
        size_t j = i + 1;
        while (j < n && !lines[j].trimmed().isEmpty() && !isTiming(lines[j]))
            ++j;
        // With no blank line before the next block, its number ends this one.
        size_t end = j;
        if (j < n && isTiming(lines[j]) && end > timing + 1 && isNumber(lines[end - 1]))
            --end;
        i = j;
        if (!readableTiming(lines[timing], webvtt, latest)) {
            ++out.skipped;
            continue;
        }
        if (end == timing + 1)
            continue;
        qsizetype size = 0;
        for (size_t k = timing; k < end; ++k)
            size += lines[k].size() + 1;
        if (out.count >= mostCues || size > longestBlock) {
            ++out.skipped;
            continue;
        }
        for (size_t k = timing; k < end; ++k) {
            out.utf8 += lines[k];
            out.utf8 += '\n';
        }
        out.utf8 += '\n';
        ++out.count;
    }
    return out;
}

CaptionText::Blocks CaptionText::readableDialogues(QByteArrayView text, int mostCues,
                                                   int longestLine, double latest)
{
    Blocks out;
    out.utf8.reserve(text.size() + 1);
    for (const QByteArrayView line : linesOf(text)) {
        const QByteArrayView t = line.trimmed();
        if (t.size() >= 9 &&
            QByteArrayView(t.first(9)).compare("Dialogue:", Qt::CaseInsensitive) == 0) {
            if (!readableDialogue(line, latest) || out.count >= mostCues ||
                line.size() > longestLine) {
                ++out.skipped;
                continue;
            }
            ++out.count;
        }
        out.utf8 += line;
        out.utf8 += '\n';
    }
    return out;
}

QString CaptionText::plain(const QString& assText)
{
    QString flat;
    flat.reserve(assText.size());
    const qsizetype n = assText.size();
    // After \p1 (\p2, …) the text is a vector drawing's commands, not words,
    // until \p0.
    bool drawing = false;
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = assText[i];
        if (c == u'{') {
            // An override block left open hides the rest of the line.
            const qsizetype close = assText.indexOf(u'}', i + 1);
            if (close < 0)
                break;
            const QStringView block = QStringView(assText).sliced(i + 1, close - i - 1);
            for (qsizetype at = block.indexOf(u"\\p"); at >= 0; at = block.indexOf(u"\\p", at + 2)) {
                qsizetype end = at + 2;
                while (end < block.size() && block[end].isDigit())
                    ++end;
                if (end > at + 2)
                    drawing = block.sliced(at + 2, end - at - 2).toInt() > 0;
            }
            i = close;
        } else if (drawing) {
            continue;
        } else if (c == u'\\' && i + 1 < n && (assText[i + 1] == u'N' || assText[i + 1] == u'n')) {
            flat += u'\n';
            ++i;
        } else if (c == u'\\' && i + 1 < n && assText[i + 1] == u'h') {
            flat += u' ';
            ++i;
        } else {
            flat += c;
        }
    }
    QString out;
    for (const QStringView line : QStringView(flat).split(u'\n')) {
        const QStringView t = line.trimmed();
        if (t.isEmpty())
            continue;
        if (!out.isEmpty())
            out += u'\n';
        out += t;
    }
    return out;
}
