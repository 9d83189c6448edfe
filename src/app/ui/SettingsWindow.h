#pragma once

#include <QWidget>

#include <functional>

class QCheckBox;
class QLabel;
class QGridLayout;
class QLineEdit;

namespace quorvane::app {

class AppModel;

// Where the tools and the media live: the user's overrides, written to the user defaults as typed.
class SettingsWindow final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SettingsWindow)

public:
    explicit SettingsWindow(AppModel *model, QWidget *parent = nullptr);

private:
    QWidget *runtimeGroup();
    QWidget *mediaGroup();
    QWidget *versionsGroup();
    QWidget *windowsGroup();
    QWidget *trayGroup();
    // A tool's path field with its Browse and Reset buttons, and under it the mark of a path that cannot
    // be used; typing, browsing and resetting all write the override.
    QLineEdit *pathRow(QGridLayout *grid, int row, const QString &title, const QString &placeholder,
                       std::function<void(const QString &)> write, QLabel **mark);
    void refresh();

    AppModel *m_model;
    QLineEdit *m_adb = nullptr;
    QLineEdit *m_scrcpy = nullptr;
    QLineEdit *m_mediaRoot = nullptr;
    QLabel *m_adbMark = nullptr;
    QLabel *m_scrcpyMark = nullptr;
    QLabel *m_adbVersion = nullptr;
    QLabel *m_scrcpyVersion = nullptr;
    QCheckBox *m_xwayland = nullptr;
    QCheckBox *m_tray = nullptr;
};

} // namespace quorvane::app
