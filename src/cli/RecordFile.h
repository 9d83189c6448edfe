#pragma once

#include "Errors.h"
#include "JsonDecoder.h"

#include <QFile>
#include <QJsonDocument>

#include <cstdio>

namespace quorvane::cli {

// A JSON record named on the command line ("-" is standard input); every failure names the source.
template<typename Record>
Record readRecord(const QString &path)
{
    const QString source = path == QLatin1String("-") ? QStringLiteral("standard input") : path;
    QFile file;
    const bool opened = path == QLatin1String("-") ? file.open(stdin, QIODevice::ReadOnly)
                                                   : (file.setFileName(path), file.open(QIODevice::ReadOnly));
    if (!opened)
        throw ScrcpyError::invalidInput(QStringLiteral("%1: %2.").arg(source, file.errorString()));
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &parseError);
    if (parseError.error != QJsonParseError::NoError)
        throw ScrcpyError::invalidInput(
            QStringLiteral("%1: not valid JSON (%2).").arg(source, parseError.errorString()));
    try {
        return Record::fromJson(JsonDecoder::of(document));
    } catch (const DecodingError &error) {
        throw ScrcpyError::invalidInput(QStringLiteral("%1: %2").arg(source, error.text()));
    }
}

} // namespace quorvane::cli
