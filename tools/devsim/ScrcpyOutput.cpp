#include "ScrcpyOutput.h"

#include "Reply.h"

namespace devsim {

namespace {

// The stdio buffer size of a pipe.
constexpr qsizetype bufferSize = 4096;

} // namespace

ScrcpyOutput::ScrcpyOutput(bool blockBuffered)
    : m_blockBuffered(blockBuffered)
{
}

void ScrcpyOutput::own(const QString &line)
{
    m_pending += line.toUtf8() + '\n';
    if (!m_blockBuffered || m_pending.size() >= bufferSize)
        flush();
}

void ScrcpyOutput::passthrough(const QString &line)
{
    Reply{line.toUtf8() + '\n', {}, 0}.print();
}

void ScrcpyOutput::error(const QString &line)
{
    Reply{{}, line.toUtf8() + '\n', 0}.print();
}

void ScrcpyOutput::flush()
{
    Reply{m_pending, {}, 0}.print();
    m_pending.clear();
}

} // namespace devsim
