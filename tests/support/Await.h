#pragma once

#include <QEventLoop>

#include <QCoroTask>

#include <exception>
#include <optional>

namespace quorvane::test {

namespace detail {

template<typename T>
QCoro::Task<void> capture(QCoro::Task<T> task, std::optional<T> *result, std::exception_ptr *error,
                          bool *done, QEventLoop *loop)
{
    try {
        *result = co_await task;
    } catch (...) {
        *error = std::current_exception();
    }
    *done = true;
    loop->quit();
}

inline QCoro::Task<void> capture(QCoro::Task<void> task, std::exception_ptr *error, bool *done,
                                 QEventLoop *loop)
{
    try {
        co_await task;
    } catch (...) {
        *error = std::current_exception();
    }
    *done = true;
    loop->quit();
}

} // namespace detail

// Runs the event loop until the task ends and hands back its value or rethrows its exception. Tests only:
// QCoro::waitFor loses exceptions, and the application itself never waits like this.
template<typename T>
T await(QCoro::Task<T> task)
{
    QEventLoop loop;
    std::optional<T> result;
    std::exception_ptr error;
    bool done = false;
    detail::capture(std::move(task), &result, &error, &done, &loop);
    if (!done)
        loop.exec();
    if (error)
        std::rethrow_exception(error);
    return std::move(*result);
}

inline void await(QCoro::Task<void> task)
{
    QEventLoop loop;
    std::exception_ptr error;
    bool done = false;
    detail::capture(std::move(task), &error, &done, &loop);
    if (!done)
        loop.exec();
    if (error)
        std::rethrow_exception(error);
}

} // namespace quorvane::test
