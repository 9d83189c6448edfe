#pragma once

#include <QByteArray>
#include <QString>

namespace devsim {

// What one simulated command prints and how it exits.
struct Reply
{
    QByteArray out;
    QByteArray err;
    int exitCode = 0;

    static Reply ok(const QString &out = {}) { return {out.toUtf8(), {}, 0}; }
    static Reply error(const QString &err, int exitCode = 1) { return {{}, err.toUtf8(), exitCode}; }

    // Writes both streams in full to file descriptors 1 and 2.
    void print() const;
};

} // namespace devsim
