#pragma once

#include <QMap>
#include <QWidget>

class QLabel;
class QLayout;
class QPlainTextEdit;
class QPushButton;

namespace quorvane {
struct LaunchConfig;
}

namespace quorvane::app {

class AppModel;

// The running scrcpy command and its output, with the settings that can change while a session runs.
class SessionTerminal final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SessionTerminal)

public:
    explicit SessionTerminal(AppModel *model, QWidget *parent = nullptr);

    // The live settings in the order of their buttons, with their titles.
    static const QList<std::pair<QString, QString>> &liveToggles();
    // The config with that one live setting switched to its other value.
    static LaunchConfig inverted(LaunchConfig config, const QString &setting);
    // Whether the session runs with that live setting on.
    static bool isOn(LaunchConfig config, const QString &setting);

private:
    void addLiveButtons(QLayout *layout);
    void toggle(const QString &setting);
    void refreshSession();
    QLayout *outputHeaderRow();
    void appendLine(const QString &line);
    void refreshLogState();
    void copyLog();
    void saveLog();
    void writeLog(const QString &path);
    void restyleSaveStatus();

    AppModel *m_model;
    QLabel *m_sessionLine;
    QLabel *m_pendingLine;
    QLabel *m_command;
    QWidget *m_liveControls;
    QMap<QString, QPushButton *> m_liveButtons;
    QLabel *m_outputHeader;
    QPlainTextEdit *m_log;
    QLabel *m_emptyLog;
    QLabel *m_saveStatus;
    bool m_saveFailed = false;
};

} // namespace quorvane::app
