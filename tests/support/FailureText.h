#pragma once

#include "Await.h"
#include "Errors.h"

#include <QString>

#include <QCoroTask>

namespace quorvane::test {

// The text of the error a call ends with, prefixed by its family or kind; "" when it succeeds.
template<typename T>
QString failureOf(QCoro::Task<T> task)
{
    try {
        await(std::move(task));
    } catch (const ScrcpyError &error) {
        static const char *const kinds[] = {"runtimeMissing", "deviceState", "invalidInput", "unchecked"};
        return QString::fromLatin1(kinds[static_cast<int>(error.kind())]) + QStringLiteral(": ") +
               error.text();
    } catch (const SessionError &error) {
        return QStringLiteral("session: ") + error.text();
    } catch (const ProcessError &error) {
        return QStringLiteral("process: ") + error.text();
    } catch (const Error &error) {
        return QStringLiteral("error: ") + error.text();
    }
    return {};
}

} // namespace quorvane::test
