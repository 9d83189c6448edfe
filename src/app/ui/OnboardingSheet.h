#pragma once

#include <QDialog>
#include <QList>

class QComboBox;
class QLabel;

namespace quorvane::app {

class AppModel;

// The first-use setup: plug in, switch on USB debugging (with the brand's menu path), allow the computer.
// The model moves the steps on as the device list changes; the sheet only shows where it stands.
class OnboardingSheet final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(OnboardingSheet)

public:
    explicit OnboardingSheet(AppModel *model, QWidget *parent = nullptr);

    static const QStringList &vendors();
    static QString vendorPath(const QString &vendor);

protected:
    void showEvent(QShowEvent *event) override;
    void reject() override;

private:
    QWidget *stepRow(int step, const QString &title);
    void refreshStep();

    AppModel *m_model;
    QList<QLabel *> m_stepMarks;
    QList<QLabel *> m_stepTitles;
    QComboBox *m_vendor;
    QLabel *m_vendorPath;
};

} // namespace quorvane::app
