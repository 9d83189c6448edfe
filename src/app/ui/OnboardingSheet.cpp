#include "OnboardingSheet.h"

#include "OnboardingGuide.h"

#include "AppModel.h"
#include "Theme.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace quorvane::app {

OnboardingSheet::OnboardingSheet(AppModel *model, QWidget *parent)
    : QDialog(parent)
    , m_model(model)
    , m_vendor(new QComboBox(this))
    , m_vendorPath(new QLabel(this))
{
    setObjectName(QStringLiteral("onboardingSheet"));
    setWindowTitle(QStringLiteral("Set up your phone"));
    setMinimumWidth(520);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(Theme::spacingXL, Theme::spacingXL, Theme::spacingXL, Theme::spacingXL);
    layout->setSpacing(Theme::spacingM);
    auto *title = new QLabel(QStringLiteral("Connect your Android phone"), this);
    title->setFont(Theme::titleFont());
    layout->addWidget(title);
    layout->addWidget(stepRow(1, QStringLiteral("Plug in your phone")));
    layout->addWidget(stepRow(2, QStringLiteral("Turn on USB debugging")));
    m_vendor->setObjectName(QStringLiteral("onboardingVendor"));
    m_vendor->addItems(vendors());
    m_vendorPath->setObjectName(QStringLiteral("onboardingVendorPath"));
    m_vendorPath->setWordWrap(true);
    m_vendorPath->setFont(Theme::captionFont());
    layout->addWidget(m_vendor);
    layout->addWidget(m_vendorPath);
    layout->addWidget(stepRow(3, QStringLiteral("Allow ") + model->desktop().thisComputer()));
    layout->addStretch();

    auto *buttons = new QHBoxLayout;
    auto *stuck = new QPushButton(QStringLiteral("I'm stuck — open Connection Doctor"), this);
    stuck->setObjectName(QStringLiteral("onboardingStuckButton"));
    auto *skip = new QPushButton(QStringLiteral("Skip for now"), this);
    skip->setObjectName(QStringLiteral("onboardingSkipButton"));
    buttons->addWidget(stuck);
    buttons->addStretch();
    buttons->addWidget(skip);
    layout->addLayout(buttons);

    connect(stuck, &QPushButton::clicked, model, &AppModel::openDoctorFromOnboarding);
    connect(skip, &QPushButton::clicked, model, &AppModel::skipOnboarding);
    connect(m_vendor, &QComboBox::currentTextChanged, this, [this](const QString &vendor) {
        m_vendorPath->setText(vendorPath(vendor));
        m_model->setOnboardingVendor(vendor);
    });
    connect(model, &AppModel::onboardingStepChanged, this, &OnboardingSheet::refreshStep);
    // The step marks' style sheets carry the colours of the theme they were made in.
    Theme::follow(this, [this] { refreshStep(); });
}

const QStringList &OnboardingSheet::vendors()
{
    static const QStringList list{QStringLiteral("Samsung"), QStringLiteral("Xiaomi"),
                                  QStringLiteral("OnePlus"), QStringLiteral("Pixel"),
                                  QStringLiteral("Vivo"),    QStringLiteral("Oppo"),
                                  QStringLiteral("Other")};
    return list;
}

QString OnboardingSheet::vendorPath(const QString &vendor)
{
    return OnboardingGuide::vendorPath(vendor);
}

QWidget *OnboardingSheet::stepRow(int step, const QString &title)
{
    auto *row = new QWidget(this);
    row->setObjectName(QStringLiteral("onboardingStep%1").arg(step));
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *mark = new QLabel(QString::number(step), row);
    mark->setFixedSize(Theme::badgeSize, Theme::badgeSize);
    mark->setAlignment(Qt::AlignCenter);
    auto *label = new QLabel(title, row);
    label->setFont(Theme::headlineFont());
    layout->addWidget(mark);
    layout->addWidget(label, 1);
    m_stepMarks.append(mark);
    m_stepTitles.append(label);
    return row;
}

void OnboardingSheet::showEvent(QShowEvent *event)
{
    m_vendor->setCurrentText(m_model->onboardingVendor());
    m_vendorPath->setText(vendorPath(m_vendor->currentText()));
    QDialog::showEvent(event);
}

// Closing the sheet by hand hides it for now; setup is only completed by a phone or by "Skip for now".
void OnboardingSheet::reject()
{
    m_model->setShowOnboarding(false);
    QDialog::reject();
}

void OnboardingSheet::refreshStep()
{
    const int current = m_model->onboardingStep();
    for (int i = 0; i < m_stepMarks.size(); ++i) {
        const int step = i + 1;
        const Tone tone = step < current ? Tone::Success : step == current ? Tone::Accent : Tone::Neutral;
        const QColor colour = Theme::color(tone);
        const QString style = step <= current
                                  ? QStringLiteral("background: %1; color: white;").arg(colour.name())
                                  : QStringLiteral("border: 2px solid %1; color: %2;")
                                        .arg(Theme::separator().name(), Theme::secondaryText().name());
        m_stepMarks.at(i)->setStyleSheet(
            QStringLiteral("border-radius: %1px; font-weight: 600; ").arg(Theme::badgeSize / 2) + style);
        m_stepMarks.at(i)->setText(step < current ? QStringLiteral("✓") : QString::number(step));
        QFont font = Theme::headlineFont();
        font.setBold(step == current);
        m_stepTitles.at(i)->setFont(font);
        m_stepTitles.at(i)->setProperty("current", step == current);
    }
}

} // namespace quorvane::app
