#pragma once

// Helpers for the opener's and converter's tests: the failure an operation
// ends with, and the status calls it makes.

#include "common/testutil.h"
#include "media/converter.h"
#include "model/mwerror.h"

#include <QCoreApplication>
#include <QCoroTask>
#include <QThread>
#include <gtest/gtest.h>
#include <iterator>
#include <optional>
#include <utility>
#include <vector>

namespace support {

using testutil::await;

// The message of the MWError an operation ends with; empty when it succeeds.
template <typename T> QString failure(QCoro::Task<T> task)
{
    try {
        await(std::move(task));
    } catch (const MWError& e) {
        return e.message;
    }
    return {};
}

struct Status {
    QString text;
    std::optional<double> fraction;
};

// Records status calls, and that each came on the main thread.
struct StatusLog {
    std::shared_ptr<std::vector<Status>> calls = std::make_shared<std::vector<Status>>();
    std::shared_ptr<bool> offMainThread = std::make_shared<bool>(false);

    MWStatus callback() const
    {
        return [calls = calls, off = offMainThread](const QString& text,
                                                    std::optional<double> fraction) {
            if (QThread::currentThread() != qApp->thread())
                *off = true;
            calls->push_back({text, fraction});
        };
    }
};

// Expects the status of a conversion: first says what is converted, at 0; then
// "Converting…" with fractions from 0 to 1.
inline void expectConverting(const StatusLog& log, const QString& first)
{
    QCoreApplication::processEvents();  // progress is posted, not called
    EXPECT_FALSE(*log.offMainThread);
    ASSERT_FALSE(log.calls->empty());
    EXPECT_EQ(log.calls->front().text, first);
    EXPECT_EQ(log.calls->front().fraction, 0.0);
    for (auto s = std::next(log.calls->begin()); s != log.calls->end(); ++s) {
        EXPECT_EQ(s->text, "Converting…");
        EXPECT_TRUE(s->fraction >= 0.0 && s->fraction <= 1.0);
    }
}

}  // namespace support
