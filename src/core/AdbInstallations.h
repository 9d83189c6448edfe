#pragma once

#include "ToolVersion.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <QCoroTask>

#include <optional>

namespace quorvane {

// The adb executables on this computer that another program (a shell, an IDE) may start besides ours.
// Two of different versions restart each other's server, and phones keep dropping off.
namespace AdbInstallations {

struct Installed
{
    QString path;
    ToolVersion release;
};

// The adb of the well-known install folders, the folders Android SDKs live in and PATH, each path once.
QStringList candidates();
// Tests name the only folders searched, so the computer's own adb copies stay out of them.
void setFoldersOverride(std::optional<QStringList> folders);

// The candidates whose release differs from that of `configured`; those whose version cannot be read are
// left out, and so is everything when the configured one's cannot.
QCoro::Task<QList<Installed>> otherVersions(QString configured);

} // namespace AdbInstallations
} // namespace quorvane
