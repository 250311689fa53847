#include "browser_support.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>
#include <algorithm>
#include <csignal>
#include <deque>
#include <fcntl.h>
#include <functional>
#include <optional>
#include <poll.h>
#include <unistd.h>

namespace browsertest {

namespace {

// Generous: they catch a browser that hangs, never a slow one.
constexpr int kStartMs = 60000;
constexpr int kPlayMs = 300000;

// Chromium's DevTools protocol over --remote-debugging-pipe: JSON messages,
// each ended by a NUL byte, that the browser reads on its descriptor 3 and
// writes on its descriptor 4. No port, so no clash with anything else running.
class DevTools {
public:
    DevTools()
    {
        int down[2], up[2];
        if (::pipe2(down, O_CLOEXEC) != 0 || ::pipe2(up, O_CLOEXEC) != 0)
            return;
        // The browser's ends move above 4, so that putting them in place as 3
        // and 4 in the child never overwrites one with the other.
        browserIn_ = ::fcntl(down[0], F_DUPFD_CLOEXEC, 10);
        browserOut_ = ::fcntl(up[1], F_DUPFD_CLOEXEC, 10);
        ::close(down[0]);
        ::close(up[1]);
        out_ = down[1];
        in_ = up[0];
        // A browser that dies must fail the test, not end it with SIGPIPE.
        std::signal(SIGPIPE, SIG_IGN);
    }
    ~DevTools()
    {
        for (int fd : {browserIn_, browserOut_, in_, out_})
            if (fd >= 0)
                ::close(fd);
    }
    DevTools(const DevTools&) = delete;
    DevTools& operator=(const DevTools&) = delete;

    bool ok() const { return browserIn_ >= 0 && browserOut_ >= 0; }

    // Runs in the child between fork and exec: only async-signal-safe calls.
    std::function<void()> childSetup() const
    {
        return [in = browserIn_, out = browserOut_] {
            ::dup2(in, 3);
            ::dup2(out, 4);
        };
    }
    // The parent keeps only its own ends, so that a browser gone reads as the end.
    void started()
    {
        ::close(browserIn_);
        ::close(browserOut_);
        browserIn_ = browserOut_ = -1;
    }

    // Sends a command; returns its id.
    int send(const QString& method, const QJsonObject& params = {}, const QString& session = {})
    {
        QJsonObject m{{"id", ++lastId_}, {"method", method}, {"params", params}};
        if (!session.isEmpty())
            m.insert("sessionId", session);
        QByteArray bytes = QJsonDocument(m).toJson(QJsonDocument::Compact);
        bytes.append('\0');
        for (qsizetype done = 0; done < bytes.size();) {
            const ssize_t n = ::write(out_, bytes.constData() + done, size_t(bytes.size() - done));
            if (n <= 0)
                break;  // gone: the wait for the answer says so
            done += n;
        }
        return lastId_;
    }

    // The first message (kept back or new) that pred accepts, or nothing when
    // the deadline passes or the browser goes; any other message is kept.
    std::optional<QJsonObject> until(const std::function<bool(const QJsonObject&)>& pred,
                                     QDeadlineTimer deadline)
    {
        for (;;) {
            for (auto it = kept_.begin(); it != kept_.end(); ++it) {
                if (pred(*it)) {
                    const QJsonObject m = *it;
                    kept_.erase(it);
                    return m;
                }
            }
            if (!readSome(deadline))
                return std::nullopt;
        }
    }

    // The answer to command id: its "result", or nothing, with why in error().
    std::optional<QJsonObject> answer(int id, QDeadlineTimer deadline)
    {
        const auto reply =
            until([id](const QJsonObject& m) { return m.value("id").toInt() == id; }, deadline);
        if (!reply) {
            error_ = gone_ ? "the browser ended" : "no answer in time";
            return std::nullopt;
        }
        if (reply->contains("error")) {
            error_ = reply->value("error").toObject().value("message").toString();
            return std::nullopt;
        }
        return reply->value("result").toObject();
    }

    QString error() const { return error_; }

private:
    // Reads what has come and keeps every complete message; false at the
    // deadline or the end of the pipe.
    bool readSome(QDeadlineTimer deadline)
    {
        if (gone_)
            return false;
        pollfd p{in_, POLLIN, 0};
        const int ready = ::poll(&p, 1, int(std::max<qint64>(0, deadline.remainingTime())));
        if (ready <= 0)
            return false;
        char chunk[65536];
        const ssize_t n = ::read(in_, chunk, sizeof chunk);
        if (n <= 0) {
            gone_ = true;
            return false;
        }
        buffer_.append(chunk, n);
        for (qsizetype end; (end = buffer_.indexOf('\0')) >= 0;) {
            kept_.push_back(QJsonDocument::fromJson(buffer_.left(end)).object());
            buffer_.remove(0, end + 1);
        }
        return true;
    }

    int browserIn_ = -1, browserOut_ = -1, in_ = -1, out_ = -1;
    int lastId_ = 0;
    bool gone_ = false;
    QByteArray buffer_;
    std::deque<QJsonObject> kept_;
    QString error_;
};

std::vector<Played> playedFrom(const QJsonArray& records)
{
    std::vector<Played> clips;
    for (const QJsonValue& v : records) {
        const QJsonObject r = v.toObject();
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
        clips.push_back(p);
    }
    return clips;
}

QString logTail(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray all = f.readAll();
    return QString::fromLocal8Bit(all.right(1500));
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

// Plays names with a started browser; fills result.
void play(DevTools& tools, const QUrl& page, const QStringList& names, Playback& result)
{
    const QDeadlineTimer starting(kStartMs);
    const auto fail = [&](const QString& step) { result.failure = step + ": " + tools.error(); };
    const auto target =
        tools.answer(tools.send("Target.createTarget", {{"url", "about:blank"}}), starting);
    if (!target)
        return fail("opening a tab");
    const auto attached =
        tools.answer(tools.send("Target.attachToTarget",
                                {{"targetId", target->value("targetId")}, {"flatten", true}}),
                     starting);
    if (!attached)
        return fail("attaching to the tab");
    const QString session = attached->value("sessionId").toString();
    for (const auto& [method, params] : {std::pair<const char*, QJsonObject>{"Page.enable", {}},
                                         {"Page.setLifecycleEventsEnabled", {{"enabled", true}}}}) {
        if (!tools.answer(tools.send(method, params, session), starting))
            return fail(method);
    }
    const auto navigated =
        tools.answer(tools.send("Page.navigate", {{"url", page.toString()}}, session), starting);
    if (!navigated || navigated->contains("errorText"))
        return fail("loading " + page.toString() + " " +
                    (navigated ? navigated->value("errorText").toString() : QString()));
    // The page's own load, not the blank one's before it.
    const QJsonValue loader = navigated->value("loaderId");
    if (!tools.until(
            [&](const QJsonObject& m) {
                const QJsonObject p = m.value("params").toObject();
                return m.value("method") == "Page.lifecycleEvent" && p.value("name") == "load" &&
                       p.value("loaderId") == loader;
            },
            starting))
        return fail("waiting for the page to load");

    const auto evaluate = [&](const QString& expression, int ms) {
        return tools.answer(
            tools.send(
                "Runtime.evaluate",
                {{"expression", expression}, {"awaitPromise", true}, {"returnByValue", true}},
                session),
            QDeadlineTimer(ms));
    };
    const QString list = QString::fromUtf8(
        QJsonDocument(QJsonArray::fromStringList(names)).toJson(QJsonDocument::Compact));
    auto done = evaluate("playAll(" + list + ")", kPlayMs);
    if (!done) {
        fail("playing");
        done = evaluate("played()", 10000);  // where it got to
    } else if (done->contains("exceptionDetails")) {
        result.failure = "the page failed: " + done->value("exceptionDetails")
                                                   .toObject()
                                                   .value("exception")
                                                   .toObject()
                                                   .value("description")
                                                   .toString();
    }
    const std::vector<Played> records =
        done ? playedFrom(done->value("result").toObject().value("value").toArray())
             : std::vector<Played>();
    for (const QString& name : names) {
        const auto it = std::find_if(records.begin(), records.end(),
                                     [&](const Played& p) { return p.name == name; });
        Played never;
        never.name = name;
        never.error = QStringLiteral("the browser never began it");
        result.clips.push_back(it != records.end() ? *it : never);
    }
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
    const QString log = folder + "/chromium.log";
    QFile::remove(page);
    if (!QFile::copy(QStringLiteral(CW_SOURCE_DIR "/tests/export/playback.html"), page)) {
        result.failure = "cannot copy the playback page into " + folder;
        return result;
    }
    DevTools tools;
    if (!tools.ok()) {
        result.failure = "cannot make the pipes to the browser";
        return result;
    }
    QStringList args{"--headless=new", "--disable-gpu", "--remote-debugging-pipe",
                     "--user-data-dir=" + folder + "/chromium-profile",
                     "--autoplay-policy=no-user-gesture-required",
                     // No sound device is needed to decode sound.
                     "--disable-audio-output",
                     // Nothing reaches out to the network while it plays.
                     "--no-first-run", "--disable-background-networking",
                     "--disable-component-update", "--disable-sync", "--disable-extensions"};
    if (::geteuid() == 0)
        args << "--no-sandbox";  // Chromium refuses its sandbox to root
    args << "about:blank";
    QProcess browser;
    browser.setProcessEnvironment(fontsOfItsOwn(folder));
    browser.setStandardOutputFile(QProcess::nullDevice());
    browser.setStandardErrorFile(log);  // never a full pipe that stalls it
    browser.setChildProcessModifier(tools.childSetup());
    browser.start(chromium(), args);
    if (!browser.waitForStarted()) {
        result.failure = "Chromium did not start: " + browser.errorString();
        return result;
    }
    tools.started();

    play(tools, QUrl::fromLocalFile(page), names, result);

    tools.send("Browser.close");
    if (!browser.waitForFinished(20000)) {
        browser.kill();
        browser.waitForFinished(20000);
    }
    if (!result.failure.isEmpty())
        result.failure += "\nChromium's last words:\n" + logTail(log);
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
