#pragma once

#include <QEventLoop>

#include <QCoroTask>

#include <exception>
#include <optional>
#include <type_traits>
#include <variant>

namespace quorvane::test {

namespace detail {

// What a task hands back, with an empty stand-in for a task that hands back nothing.
template<typename T>
using Outcome = std::conditional_t<std::is_void_v<T>, std::monostate, T>;

template<typename T>
QCoro::Task<void> capture(QCoro::Task<T> task, std::optional<Outcome<T>> *result, std::exception_ptr *error,
                          QEventLoop *loop)
{
    try {
        if constexpr (std::is_void_v<T>) {
            co_await task;
            result->emplace();
        } else {
            result->emplace(co_await task);
        }
    } catch (...) {
        *error = std::current_exception();
    }
    loop->quit();
}

} // namespace detail

// Runs the event loop until the task ends and hands back its value or rethrows its exception. Tests only:
// QCoro::waitFor loses exceptions, and the application itself never waits like this.
template<typename T>
T await(QCoro::Task<T> task)
{
    QEventLoop loop;
    std::optional<detail::Outcome<T>> result;
    std::exception_ptr error;
    detail::capture(std::move(task), &result, &error, &loop);
    if (!result && !error)
        loop.exec();
    if (error)
        std::rethrow_exception(error);
    if constexpr (!std::is_void_v<T>)
        return std::move(*result);
}

} // namespace quorvane::test
