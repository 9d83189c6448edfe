#pragma once

#include "ScrcpyOutput.h"

#include <QList>
#include <QString>

#include <optional>

namespace devsim {

// How scrcpy reaches the phone: the adb named by ADB, else the first adb on PATH. It runs
// "adb start-server" and "adb devices -l" as real child processes, so the call log shows them with the
// environment scrcpy was given. An adb that is not this simulator stands for a real adb on a machine
// without phones: it is not run, and it lists nothing.
class ScrcpyAdb
{
public:
    struct Device
    {
        QString serial;
        QString state;
        QString model;
    };

    explicit ScrcpyAdb(ScrcpyOutput &output);

    // The device list, or nothing after printing scrcpy's error lines when adb cannot be run.
    std::optional<QList<Device>> devices();

private:
    std::optional<QString> locate() const;
    bool isSimulator(const QString &path) const;
    // Runs adb with the words; its standard error reaches ours, its standard output is returned.
    std::optional<QByteArray> run(const QString &adb, const QStringList &words);

    ScrcpyOutput &m_output;
};

} // namespace devsim
