#pragma once

#include <QEventLoop>

#include <QCoro/QCoroTask>

#include <optional>

// Runs the event loop until the task is done and returns its result. Unlike QCoro::waitFor, the
// result type needs no default value.
template <typename T>
T awaitTask(QCoro::Task<T> &&task)
{
    QEventLoop loop;
    std::optional<T> result;
    auto continuation = task.then([&](T value) {
        result.emplace(std::move(value));
        loop.quit();
    });
    if (!result)
        loop.exec();
    return std::move(*result);
}
