#include "AboutWindow.h"

#include "RuntimeLocator.h"
#include "Theme.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace quorvane::app {

namespace {

const QList<std::pair<QString, QString>> &components()
{
    static const QList<std::pair<QString, QString>> list{
        {QStringLiteral("scrcpy"), QStringLiteral("Apache-2.0")},
        {QStringLiteral("Android adb"), QStringLiteral("AOSP")},
        {QStringLiteral("SDL3"), QStringLiteral("zlib")},
        {QStringLiteral("FFmpeg"), QStringLiteral("FFmpeg project, LGPL/GPL")}};
    return list;
}

QLabel *centred(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    return label;
}

} // namespace

AboutWindow::AboutWindow(QWidget *parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("aboutWindow"));
    setWindowTitle(QStringLiteral("About"));
    setMinimumSize(420, 360);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(Theme::spacingXL, Theme::spacingXL, Theme::spacingXL, Theme::spacingXL);
    layout->setSpacing(Theme::spacingS);
    auto *icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("aboutIcon"));
    icon->setAlignment(Qt::AlignCenter);
    icon->setPixmap(Theme::applicationIcon().pixmap(QSize(64, 64), devicePixelRatioF()));
    layout->addWidget(icon);
    auto *name = centred(QStringLiteral("Quorvane"), this);
    name->setFont(Theme::titleFont());
    layout->addWidget(name);
    layout->addWidget(centred(QStringLiteral("Mirror and control your Android phone on your Mac."), this));
    layout->addWidget(centred(QStringLiteral("Runtime: scrcpy 5.0.1 (bundled)"), this));
    auto *source = centred(QStringLiteral("Runtime source: ") + runtimeSource(), this);
    source->setObjectName(QStringLiteral("runtimeSource"));
    layout->addWidget(source);
    layout->addSpacing(Theme::spacingM);
    auto *heading = new QLabel(QStringLiteral("Built on open source"), this);
    heading->setFont(Theme::headlineFont());
    layout->addWidget(heading);
    auto *grid = new QGridLayout;
    for (int row = 0; row < components().size(); ++row) {
        grid->addWidget(new QLabel(components().at(row).first, this), row, 0);
        grid->addWidget(new QLabel(components().at(row).second, this), row, 1);
    }
    layout->addLayout(grid);
    layout->addStretch();
    auto *button = new QPushButton(QStringLiteral("Open-Source Notices"), this);
    button->setObjectName(QStringLiteral("noticesButton"));
    connect(button, &QPushButton::clicked, this, &AboutWindow::showNotices);
    layout->addWidget(button, 0, Qt::AlignCenter);
}

QString AboutWindow::runtimeSource()
{
    return RuntimeLocator::bundledDirectory() ? QStringLiteral("bundled") : QStringLiteral("external");
}

QString AboutWindow::notices()
{
    QString text;
    for (const auto &[component, licence] : components())
        text += component + QStringLiteral(" — ") + licence + QLatin1Char('\n');
    text += QStringLiteral("\nSymbols: Bootstrap Icons\n\n") + Theme::symbolLicense();
    return text;
}

void AboutWindow::showNotices()
{
    auto *browser = new QTextBrowser(this);
    browser->setWindowFlag(Qt::Window);
    browser->setAttribute(Qt::WA_DeleteOnClose);
    browser->setObjectName(QStringLiteral("noticesView"));
    browser->setWindowTitle(QStringLiteral("Open-Source Notices"));
    browser->setPlainText(notices());
    browser->resize(520, 420);
    browser->show();
}

} // namespace quorvane::app
