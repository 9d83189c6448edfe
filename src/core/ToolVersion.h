#pragma once

#include <QString>

#include <compare>
#include <optional>

namespace quorvane {

// A release number of adb or scrcpy as the tools print it, and the releases a feature needs. Only the
// numbers order two versions: "29.0.6-debian" is 29.0.6.
struct ToolVersion
{
    int major = 0;
    int minor = 0;
    int patch = 0;
    // The numbers as printed ("29.0.6"), for sentences.
    QString text;

    // Reads "MAJOR[.MINOR[.PATCH]]" at the start of the text; anything after the numbers is ignored.
    static std::optional<ToolVersion> parse(const QString &text);
    // adb's first line names its protocol ("version 1.0.41"); the release is on the "Version" line.
    static std::optional<ToolVersion> fromAdbVersionOutput(const QString &output);
    // scrcpy names itself first: "scrcpy 4.1 <https://github.com/Genymobile/scrcpy>".
    static std::optional<ToolVersion> fromScrcpyVersionLine(const QString &line);

    // `adb pair` arrived with platform-tools 30.
    static ToolVersion adbPairingMinimum();
    // Every option we pass to scrcpy exists since 4.0; an older one rejects them.
    static ToolVersion scrcpyMinimum();

    std::strong_ordering operator<=>(const ToolVersion &other) const;
    bool operator==(const ToolVersion &other) const { return (*this <=> other) == 0; }
};

} // namespace quorvane
