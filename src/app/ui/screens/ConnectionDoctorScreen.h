#pragma once

#include <QWidget>

class QLabel;
class QPushButton;
class QVBoxLayout;

namespace quorvane::app {

class AppModel;
class BusyIndicator;
class SectionCard;

// The Connection Doctor: the summary of the last diagnosis and one row per finding; diagnoses each time
// it is shown.
class ConnectionDoctorScreen final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ConnectionDoctorScreen)

public:
    explicit ConnectionDoctorScreen(AppModel *model, QWidget *parent = nullptr);

protected:
    void showEvent(QShowEvent *event) override;

private:
    QString summary() const;
    void refresh();
    void rebuildFindings();

    AppModel *m_model;
    QLabel *m_summary;
    QLabel *m_count;
    QPushButton *m_run;
    BusyIndicator *m_runBusy;
    SectionCard *m_results;
    QLabel *m_empty;
    QVBoxLayout *m_findings;
};

} // namespace quorvane::app
