#include "browser_support.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>
#include <unistd.h>

namespace browsertest {

namespace {

// Generous: it catches a browser that hangs, never a slow one.
constexpr int kPlayMs = 360000;

// The page writes each file's record to its console as the file ends, then
// "cw-done"; with --enable-logging=stderr Chromium prints every console
// message on a line of its own: [...:INFO:CONSOLE:n] "message", source: page (n)
QByteArray consoleMessage(const QByteArray& line)
{
    const qsizetype start = line.indexOf("] \"cw-"), end = line.lastIndexOf("\", source: ");
    return start < 0 || end < start ? QByteArray() : line.mid(start + 3, end - start - 3);
}

Played playedFrom(const QJsonObject& r)
{
    Played p;
    p.name = r.value("name").toString();
    p.loaded = r.value("loaded").toBool();
    p.ended = r.value("ended").toBool();
    p.error = r.value("error").toString();
    p.duration = r.value("duration").toDouble();
    p.currentTime = r.value("currentTime").toDouble();
    p.size = QSize(r.value("width").toInt(), r.value("height").toInt());
    p.frames = r.value("frames").toInt();
    p.soundBytes = qint64(r.value("soundBytes").toDouble());
    return p;
}

// The page shows no text, yet the browser opens fonts as it starts: one set,
// the interface's own, keeps it from whatever fonts this machine happens to
// have, which a clean one would not.
QProcessEnvironment fontsOfItsOwn(const QString& folder)
{
    const QString conf = folder + "/fonts.conf";
    QFile file(conf);
    if (file.open(QIODevice::WriteOnly)) {
        file.write("<?xml version=\"1.0\"?>\n<fontconfig>\n"
                   "  <dir>/usr/share/fonts/opentype/inter</dir>\n"
                   "  <cachedir>" +
                   (folder + "/fontconfig").toHtmlEscaped().toUtf8() + "</cachedir>\n" +
                   "</fontconfig>\n");
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("FONTCONFIG_FILE", conf);
    return env;
}

}  // namespace

QString chromium()
{
    return QStandardPaths::findExecutable(QStringLiteral("chromium"));
}

Playback playInChromium(const QString& folder, const QStringList& names)
{
    Playback result;
    const QString page = folder + "/playback.html";
    QFile::remove(page);
    if (!QFile::copy(QStringLiteral(CW_SOURCE_DIR "/tests/export/playback.html"), page)) {
        result.failure = "cannot copy the playback page into " + folder;
        return result;
    }
    QUrl url = QUrl::fromLocalFile(page);
    url.setFragment(QString::fromUtf8(
        QJsonDocument(QJsonArray::fromStringList(names)).toJson(QJsonDocument::Compact)));
    QStringList args{"--headless=new", "--disable-gpu", "--enable-logging=stderr", "--v=0",
                     "--user-data-dir=" + folder + "/chromium-profile",
                     "--autoplay-policy=no-user-gesture-required",
                     // No sound device is needed to decode sound.
                     "--disable-audio-output",
                     // Nothing reaches out to the network while it plays.
                     "--no-first-run", "--disable-background-networking",
                     "--disable-component-update", "--disable-sync", "--disable-extensions"};
    if (::geteuid() == 0)
        args << "--no-sandbox";  // Chromium refuses its sandbox to root
    args << url.toString(QUrl::FullyEncoded);
    QProcess browser;
    browser.setProcessEnvironment(fontsOfItsOwn(folder));
    browser.setStandardOutputFile(QProcess::nullDevice());
    browser.setReadChannel(QProcess::StandardError);
    browser.start(chromium(), args);
    if (!browser.waitForStarted()) {
        result.failure = "Chromium did not start: " + browser.errorString();
        return result;
    }

    std::map<QString, Played> played;
    QByteArray log;  // the rest of what it said, for a failure
    bool done = false;
    const QDeadlineTimer deadline(kPlayMs);
    while (!done && !deadline.hasExpired()) {
        if (!browser.canReadLine() &&
            !browser.waitForReadyRead(int(std::min<qint64>(deadline.remainingTime(), 10000))) &&
            browser.state() == QProcess::NotRunning)
            break;
        while (!done && browser.canReadLine()) {
            const QByteArray line = browser.readLine();
            const QByteArray message = consoleMessage(line);
            if (message.startsWith("cw-played ")) {
                const Played p = playedFrom(QJsonDocument::fromJson(message.mid(10)).object());
                played[p.name] = p;
            } else if (message.startsWith("cw-failed ")) {
                result.failure = "the page failed: " + QString::fromUtf8(message.mid(10));
            } else {
                done = message == "cw-done";
                log = (log + line).right(1500);
            }
        }
    }
    if (!done && result.failure.isEmpty())
        result.failure =
            browser.state() == QProcess::NotRunning ? "the browser ended" : "no end in time";
    browser.terminate();
    if (!browser.waitForFinished(20000)) {
        browser.kill();
        browser.waitForFinished(20000);
    }
    if (!result.failure.isEmpty())
        result.failure += "\nChromium's last words:\n" + QString::fromLocal8Bit(log);
    for (const QString& name : names) {
        Played never;
        never.name = name;
        never.error = QStringLiteral("the browser never finished it");
        result.clips.push_back(played.count(name) ? played[name] : never);
    }
    return result;
}

QString fault(const Played& p)
{
    if (!p.error.isEmpty())
        return p.name + ": " + p.error;
    if (!p.loaded)
        return p.name + ": never loaded";
    // An end reported before the last frame is a file that stops short.
    if (!p.ended || p.currentTime < p.duration - 0.05)
        return p.name +
               QStringLiteral(": stopped at %1 s of %2 s").arg(p.currentTime).arg(p.duration);
    if (p.frames == 0)
        return p.name + ": ended without a picture";
    return {};
}

}  // namespace browsertest
