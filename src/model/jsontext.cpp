#include "model/jsontext.h"

#include <QLocale>
#include <QUuid>
#include <algorithm>
#include <charconv>
#include <cmath>

void JsonText::separate()
{
    if (!first_)
        out_ += ',';
    first_ = false;
}

void JsonText::beginObject()
{
    separate();
    out_ += '{';
    first_ = true;
}

void JsonText::endObject()
{
    out_ += '}';
    first_ = false;
}

void JsonText::beginArray(const char* name)
{
    if (name)
        key(name);
    else
        separate();
    out_ += '[';
    first_ = true;
}

void JsonText::endArray()
{
    out_ += ']';
    first_ = false;
}

void JsonText::key(const char* name)
{
    separate();
    out_ += '"';
    out_ += name;
    out_ += "\":";
    first_ = true;  // the value follows without a comma
}

void JsonText::string(const char* name, const QString& value)
{
    key(name);
    quoted(value);
    first_ = false;
}

void JsonText::number(const char* name, double value)
{
    key(name);
    // Shortest text that reads back as the same double; JSON has no NaN or infinity.
    if (!std::isfinite(value)) {
        out_ += '0';
    } else {
        char buffer[32];
        const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
        out_.append(buffer, end - buffer);
    }
    first_ = false;
}

void JsonText::boolean(const char* name, bool value)
{
    key(name);
    out_ += value ? "true" : "false";
    first_ = false;
}

void JsonText::quoted(const QString& text)
{
    // Most names and paths need no escapes: copy them straight.
    const bool plain = std::none_of(text.begin(), text.end(), [](QChar c) {
        return c.unicode() < 0x20 || c == u'"' || c == u'\\' || c.isSurrogate();
    });
    if (plain) {
        out_ += '"';
        out_ += text.toUtf8();
        out_ += '"';
        return;
    }
    QString escaped;
    escaped.reserve(text.size() + 2);
    escaped += QLatin1Char('"');
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        const char16_t u = c.unicode();
        switch (u) {
        case '"':
            escaped += QLatin1String("\\\"");
            break;
        case '\\':
            escaped += QLatin1String("\\\\");
            break;
        case '\b':
            escaped += QLatin1String("\\b");
            break;
        case '\f':
            escaped += QLatin1String("\\f");
            break;
        case '\n':
            escaped += QLatin1String("\\n");
            break;
        case '\r':
            escaped += QLatin1String("\\r");
            break;
        case '\t':
            escaped += QLatin1String("\\t");
            break;
        default:
            // A lone surrogate (a session file may carry "\ud800") has no UTF-8
            // form: the conversion would put a "?" in its place and the next
            // save would silently change what was read. Its escape keeps it.
            if (u < 0x20 ||
                (c.isHighSurrogate() && !(i + 1 < text.size() && text[i + 1].isLowSurrogate())) ||
                (c.isLowSurrogate() && !(i > 0 && text[i - 1].isHighSurrogate())))
                escaped += QStringLiteral("\\u%1").arg(int(u), 4, 16, QLatin1Char('0'));
            else
                escaped += c;  // surrogate pairs stay together for the UTF-8 conversion
        }
    }
    escaped += QLatin1Char('"');
    out_ += escaped.toUtf8();
}

QString uuidText(const QUuid& id)
{
    return QString::fromLatin1(id.toByteArray(QUuid::WithoutBraces).toUpper());
}
