#include "Quorvanectl.h"

#include "Await.h"

#include <QtGlobal>

namespace quorvane::test {

ProcessResult runQuorvanectl(const QStringList &arguments)
{
    const QString binDir = qEnvironmentVariable("QUORVANE_BIN_DIR");
    if (binDir.isEmpty())
        qFatal("QUORVANE_BIN_DIR is not set; run the tests through ctest");
    return await(ProcessRunner::runCollect(binDir + QStringLiteral("/quorvanectl"), arguments));
}

QJsonDocument jsonOutput(const ProcessResult &result)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(result.stdout_.toUtf8(), &error);
    if (error.error != QJsonParseError::NoError)
        qWarning("quorvanectl printed no JSON: %s\n%s", qPrintable(error.errorString()),
                 qPrintable(result.stdout_));
    return document;
}

} // namespace quorvane::test
