#pragma once

#include <QSize>
#include <QString>
#include <QStringList>
#include <vector>

// Plays files in headless Chromium's own <video> element, the way a person
// opening a clip in a browser or a site's upload preview meets it.
namespace browsertest {

// What the element reported for one file.
struct Played {
    QString name;
    bool loaded = false;  // its metadata arrived
    bool ended = false;   // it played to the end
    QString error;        // the element's error, empty when none
    double duration = 0;
    double currentTime = 0;  // where it stopped
    QSize size;
    int frames = 0;         // pictures decoded
    qint64 soundBytes = 0;  // sound decoded
};

struct Playback {
    QString failure;  // why the browser gave no answer, empty when it did
    // One for each name, in the order given; after a failure, a file the
    // browser never finished reports nothing loaded.
    std::vector<Played> clips;
};

// Chromium's program, empty when it is not installed.
QString chromium();

// Plays every file named in names (in folder) one after another in one
// browser, and reports each. Starting the browser uses folder for its
// profile and page.
Playback playInChromium(const QString& folder, const QStringList& names);

// One line about a file that did not play to its end, empty when it did.
QString fault(const Played& p);

}  // namespace browsertest
