#pragma once

#include <QByteArray>
#include <QString>

// Compact JSON written in the caller's key order. QJsonDocument sorts keys,
// which would make the session file's records read out of field order.
class JsonText {
public:
    void beginObject();
    void endObject();
    void beginArray(const char* key = nullptr);
    void endArray();
    void key(const char* name);
    void string(const char* key, const QString& value);
    void number(const char* key, double value);
    void boolean(const char* key, bool value);

    QByteArray take() { return std::move(out_); }

private:
    void separate();
    void quoted(const QString& text);

    QByteArray out_;
    bool first_ = true;
};

// A UUID in the standard upper-case 8-4-4-4-12 text form.
class QUuid;
QString uuidText(const QUuid& id);
