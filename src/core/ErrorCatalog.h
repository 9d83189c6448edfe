#pragma once

#include "DoctorFinding.h"

#include <QJsonObject>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace quorvane {

// A line adb or scrcpy prints when something is wrong, with what it means and what helps. In a pattern,
// %s stands for any text and %d for a number; the rest is matched literally anywhere in a line.
struct KnownError
{
    QString id;
    QStringList patterns;
    DoctorFinding::Level level = DoctorFinding::Level::Error;
    QString title;
    QString cause;
    QString fix;
};

// One known line found in what a tool printed.
struct KnownErrorMatch
{
    KnownError error;
    QString line;
    // The parts the %s and %d of the pattern stood for, in order.
    QStringList parts;

    DoctorFinding finding() const;
    // What the user reads first: the title, the cause and the fix in one run of text.
    QString sentence() const;
    // The finding's fields plus "id" and the original "line".
    QJsonObject toJson() const;
};

namespace ErrorCatalog {

// Ids the code acts on besides explaining.
inline const QString encoderRefused = QStringLiteral("encoder-refused");
inline const QString decoderMissing = QStringLiteral("decoder-missing");
inline const QString serverVersionMismatch = QStringLiteral("server-version-mismatch");
inline const QString adbServerMismatch = QStringLiteral("adb-server-mismatch");

// Our own line, added to what scrcpy printed when a launch failed at once while the phone showed its lock
// screen (the window manager's dump says so).
inline const QString screenLockedLine = QStringLiteral("dumpsys window: the keyguard is showing");

const QList<KnownError> &entries();

// The most telling known line in text: entries earlier in the table win, so a line that only follows
// the real cause (scrcpy's "Server connection failed") is chosen when nothing else is known.
std::optional<KnownErrorMatch> find(const QString &text);

// The finding's sentence above the raw text, which is kept as it is; text alone when nothing is known
// or the sentence is already there.
QString explained(const QString &text);

} // namespace ErrorCatalog
} // namespace quorvane
