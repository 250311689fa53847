// The media opener for bench/opener.sh.
//   bench_opener open FILE N     opens FILE N times in this process (a picture
//                                wanted) and prints the seconds each took
//   bench_opener args SRC DST    prints the converter's second-attempt command
//                                line for SRC, one argument a line
#include "media/converter.h"
#include "media/opener.h"
#include "model/mwerror.h"
#include "platform/services.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <cstdio>

namespace {

QCoro::Task<void> openRepeatedly(QString file, int count, int* status)
{
    try {
        for (int i = 0; i < count; ++i) {
            QElapsedTimer clock;
            clock.start();
            co_await MWMediaOpener::open(file, true, {});
            std::printf("%.6f\n", clock.nsecsElapsed() / 1e9);
        }
        *status = 0;
    } catch (const MWError& e) {
        std::fprintf(stderr, "%s\n", qPrintable(e.message));
        *status = 1;
    }
    QCoreApplication::quit();
}

}  // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    cwNameApplication();
    const QStringList args = QCoreApplication::arguments();
    if (args.size() == 4 && args[1] == QLatin1String("args")) {
        for (const QString& arg : MWMediaOpener::secondAttempt(args[2], args[3], true))
            std::printf("%s\n", qPrintable(arg));
        return 0;
    }
    if (args.size() != 4 || args[1] != QLatin1String("open")) {
        std::fprintf(stderr, "usage: bench_opener open FILE N | args SRC DST\n");
        return 2;
    }
    int status = 1;
    const QString file = args[2];
    const int count = args[3].toInt();
    QTimer::singleShot(0, &app, [file, count, &status] { openRepeatedly(file, count, &status); });
    app.exec();
    return status;
}
