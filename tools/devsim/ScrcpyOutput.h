#pragma once

#include <QByteArray>
#include <QString>

namespace devsim {

// scrcpy's own lines go through stdio, which is block-buffered when standard output is a pipe: they
// reach a reader late, all at once, and are lost if the process is killed. Lines printed by adb and by
// the server on the phone come from other processes sharing the descriptor and arrive at once.
// Standard error is unbuffered.
class ScrcpyOutput
{
public:
    explicit ScrcpyOutput(bool blockBuffered);

    void own(const QString &line);
    void passthrough(const QString &line);
    void error(const QString &line);
    void flush();

private:
    bool m_blockBuffered;
    QByteArray m_pending;
};

} // namespace devsim
