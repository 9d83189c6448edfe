#pragma once

#include "Reply.h"

#include <QJsonObject>
#include <QStringList>

#include <optional>

namespace devsim {

// A behaviour the world imposes on one command: a delay, a canned answer, or both.
struct Fault
{
    int delayMs = 0;
    std::optional<Reply> reply;
};

// Faults are listed in the world's "faults" array. One matches when its "tool" equals tool, its
// optional "serial" equals serial and its "args" are the first words of the command. A fault with
// "times" fires that many times and is then used up (the count is kept in the world).
class Faults
{
public:
    static std::optional<Fault> take(const QString &worldPath, const QString &tool, const QString &serial,
                                     const QStringList &words);
};

} // namespace devsim
