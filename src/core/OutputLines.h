#pragma once

#include <QByteArray>
#include <QStringList>

namespace quorvane {

// Cuts a child's output into lines as it arrives. A pipe hands over whatever was written so far, so a read
// may end inside a line or inside a UTF-8 character: what follows the last newline waits for the rest.
class OutputLines
{
public:
    // The lines completed by chunk, without their line ends; blank lines are left out.
    QStringList take(const QByteArray &chunk);
    // What is left once the child has ended: its last line, when that had no newline.
    QStringList finish();

private:
    static QStringList split(const QByteArray &bytes);

    QByteArray m_pending;
};

} // namespace quorvane
