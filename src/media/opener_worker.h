#pragma once

#include <QCoroFuture>
#include <QCoroTask>
#include <QtConcurrent/QtConcurrentRun>
#include <exception>
#include <optional>
#include <type_traits>
#include <utility>

namespace MWMediaOpener {

// Runs blocking work (libav, the file system) on a worker thread and resumes
// the awaiting coroutine on its own thread with the result, or rethrows there
// whatever the work threw. QtConcurrent alone would turn a thrown MWError into
// an opaque QUnhandledException.
//
// GCC 12 destroys a lambda that is a temporary inside a co_await expression
// twice (and at a wrong address), corrupting whatever it captured. So work is
// taken only as a named object: write `auto job = [..] {..}; co_await
// onWorker(job);`, never `co_await onWorker([..] {..})`.
template <typename F> QCoro::Task<std::invoke_result_t<const F&>> onWorker(const F& work)
{
    using R = std::invoke_result_t<const F&>;
    if constexpr (std::is_void_v<R>) {
        auto job = [work]() -> std::exception_ptr {
            try {
                work();
                return nullptr;
            } catch (...) {
                return std::current_exception();
            }
        };
        const QFuture<std::exception_ptr> future = QtConcurrent::run(std::move(job));
        const std::exception_ptr error = co_await future;
        if (error)
            std::rethrow_exception(error);
    } else {
        using Outcome = std::pair<std::optional<R>, std::exception_ptr>;
        auto job = [work]() -> Outcome {
            try {
                return {work(), nullptr};
            } catch (...) {
                return {std::nullopt, std::current_exception()};
            }
        };
        const QFuture<Outcome> future = QtConcurrent::run(std::move(job));
        Outcome outcome = co_await future;
        if (outcome.second)
            std::rethrow_exception(outcome.second);
        co_return std::move(*outcome.first);
    }
}

template <typename F> void onWorker(const F&& work) = delete;

}  // namespace MWMediaOpener
