#include "OnboardingGuide.h"

#include <QHash>

namespace quorvane::app::OnboardingGuide {

namespace {
const QHash<QString, QString> &paths()
{
    static const QHash<QString, QString> table{
        {QStringLiteral("Samsung"),
         QStringLiteral("Settings → About phone → tap 'Software information' → tap 'Build number' 7 times → "
                        "back → Developer options → USB debugging")},
        {QStringLiteral("Xiaomi"),
         QStringLiteral("Settings → About phone → tap 'MIUI version' 7 times → back → "
                        "Additional settings → Developer options → USB debugging")},
        {QStringLiteral("OnePlus"),
         QStringLiteral("Settings → About device → tap 'Build number' 7 times → back → "
                        "System → Developer options → USB debugging")},
        {QStringLiteral("Pixel"),
         QStringLiteral("Settings → About phone → tap 'Build number' 7 times → back → "
                        "System → Developer options → USB debugging")},
        {QStringLiteral("Vivo"),
         QStringLiteral("Settings → More settings → About phone → tap 'Software version' 7 "
                        "times → back → Developer options → USB debugging")},
        {QStringLiteral("Oppo"), QStringLiteral("Settings → About phone → tap 'Version' 7 times → back → "
                                                "Additional settings → Developer options → USB debugging")},
        {QStringLiteral("Other"), QStringLiteral("Settings → About phone → tap 'Build number' (or version) 7 "
                                                 "times → back → Developer options → USB debugging")},
    };
    return table;
}
} // namespace

const QStringList &vendors()
{
    static const QStringList list{QStringLiteral("Samsung"), QStringLiteral("Xiaomi"),
                                  QStringLiteral("OnePlus"), QStringLiteral("Pixel"),
                                  QStringLiteral("Vivo"),    QStringLiteral("Oppo"),
                                  QStringLiteral("Other")};
    return list;
}

QString vendorPath(const QString &vendor)
{
    return paths().value(vendor, paths().value(QStringLiteral("Other")));
}

} // namespace quorvane::app::OnboardingGuide
