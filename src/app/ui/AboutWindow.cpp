#include "AboutWindow.h"

#include "AppModel.h"
#include "ApplicationVersion.h"
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
    // Version lines carry URLs in angle brackets, which rich text would swallow as tags.
    label->setTextFormat(Qt::PlainText);
    return label;
}

// What was found of one tool: its version line, then where it is and how it was reached.
QString toolText(const AppModel &model, const QString &tool, bool found,
                 const std::optional<QString> &version, const std::optional<QString> &path)
{
    if (!found)
        return QStringLiteral("%1 was not found.").arg(tool);
    if (!version || !path)
        return QStringLiteral("%1 was found but did not report its version.").arg(tool);
    return QStringLiteral("%1\n%2 (%3)").arg(*version, *path, model.toolOrigin(*path));
}

} // namespace

AboutWindow::AboutWindow(AppModel *model, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_model(model)
{
    setObjectName(QStringLiteral("aboutWindow"));
    setWindowTitle(QStringLiteral("About"));
    // Tall enough for the application icon above the name as well.
    setMinimumSize(420, 440);
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
    auto *version = centred(QStringLiteral("Version %1").arg(QLatin1String(applicationVersion)), this);
    version->setObjectName(QStringLiteral("appVersion"));
    layout->addWidget(version);
    layout->addWidget(
        centred(QStringLiteral("Mirror and control your Android phone from your computer."), this));
    layout->addSpacing(Theme::spacingS);
    m_scrcpy = centred(QString(), this);
    m_scrcpy->setObjectName(QStringLiteral("scrcpyRuntime"));
    layout->addWidget(m_scrcpy);
    m_adb = centred(QString(), this);
    m_adb->setObjectName(QStringLiteral("adbRuntime"));
    layout->addWidget(m_adb);
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
    // The runtime changes when a path is set in Settings, which may happen while this window is open.
    for (auto signal :
         {&AppModel::runtimeChanged, &AppModel::customADBPathChanged, &AppModel::customScrcpyPathChanged})
        connect(model, signal, this, &AboutWindow::refresh);
    refresh();
}

void AboutWindow::refresh()
{
    const RuntimeStatus &runtime = m_model->runtime();
    m_scrcpy->setText(toolText(*m_model, QStringLiteral("scrcpy"), runtime.scrcpyFound, runtime.scrcpyVersion,
                               runtime.scrcpyPath));
    m_adb->setText(
        toolText(*m_model, QStringLiteral("adb"), runtime.adbFound, runtime.adbVersion, runtime.adbPath));
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
