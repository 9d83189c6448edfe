#pragma once

#include <QString>
#include <QStringList>

namespace quorvane::app {

// The phone makers the setup sheet offers, with where each hides USB debugging.
namespace OnboardingGuide {

// In the order the sheet lists them.
const QStringList &vendors();
// The developer-options path for a maker; "Other"'s path for a maker not in the list.
QString vendorPath(const QString &vendor);

} // namespace OnboardingGuide
} // namespace quorvane::app
