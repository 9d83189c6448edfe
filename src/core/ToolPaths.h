#pragma once

#include <QString>

#include <optional>

namespace quorvane {

// Where to find adb and scrcpy, as given by the user's two optional overrides. Resolved afresh before
// every command, so a changed override applies to the next one.
struct ToolPaths
{
    std::optional<QString> adbOverride;
    std::optional<QString> scrcpyOverride;

    // The resolved adb, or the bare name "adb" (which then fails to run with a clear sentence).
    QString adb() const;
    // The resolved scrcpy; ScrcpyError::runtimeMissing when there is none.
    QString scrcpy() const;

    bool operator==(const ToolPaths &) const = default;
};

// Where a damaged copy of the application can be downloaded again.
inline constexpr char16_t downloadSite[] = u"https://quorvane.app/download";

} // namespace quorvane
