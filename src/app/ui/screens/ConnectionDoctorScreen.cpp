#include "ConnectionDoctorScreen.h"

#include "AppModel.h"
#include "BusyIndicator.h"
#include "ScreenBindings.h"
#include "ScreenPage.h"
#include "SectionCard.h"
#include "Theme.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace quorvane::app {

namespace {

std::pair<QString, Tone> levelLook(DoctorFinding::Level level)
{
    switch (level) {
    case DoctorFinding::Level::Ok:
        return {QStringLiteral("checkmark.circle.fill"), Tone::Success};
    case DoctorFinding::Level::Warning:
        return {QStringLiteral("exclamationmark.triangle.fill"), Tone::Warning};
    case DoctorFinding::Level::Error:
        return {QStringLiteral("xmark.octagon.fill"), Tone::Danger};
    case DoctorFinding::Level::Info:
        break;
    }
    return {QStringLiteral("info.circle.fill"), Tone::Accent};
}

int severity(DoctorFinding::Level level)
{
    switch (level) {
    case DoctorFinding::Level::Error:
        return 3;
    case DoctorFinding::Level::Warning:
        return 2;
    case DoctorFinding::Level::Ok:
        return 1;
    case DoctorFinding::Level::Info:
        break;
    }
    return 0;
}

QWidget *findingRow(const DoctorFinding &finding, QWidget *parent)
{
    auto *row = new QWidget(parent);
    row->setObjectName(QStringLiteral("doctorFinding"));
    row->setAccessibleName(finding.title);
    // A named pair, not a structured binding: clang 14 cannot capture bindings in the lambda below.
    const std::pair<QString, Tone> look = levelLook(finding.level);
    auto *icon = new QLabel(row);
    icon->setObjectName(QStringLiteral("doctorFindingSymbol"));
    icon->setAccessibleName(look.first);
    Theme::follow(icon, [icon, look] {
        icon->setPixmap(
            Theme::pixmap(look.first, Theme::color(look.second), Theme::iconSize, icon->devicePixelRatioF()));
    });
    auto *text = new QVBoxLayout;
    text->setSpacing(Theme::spacingXS);
    QLabel *title = bind::label(finding.title, QStringLiteral("doctorFindingTitle"), row);
    title->setFont(Theme::headlineFont());
    text->addWidget(title);
    text->addWidget(bind::label(finding.detail, QStringLiteral("doctorFindingDetail"), row));
    if (finding.action)
        text->addWidget(bind::note(*finding.action, QStringLiteral("doctorFindingAction"), row));
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(icon, 0, Qt::AlignTop);
    layout->addLayout(text, 1);
    return row;
}

} // namespace

ConnectionDoctorScreen::ConnectionDoctorScreen(AppModel *model, QWidget *parent)
    : QWidget(parent)
    , m_model(model)
{
    setObjectName(QStringLiteral("connectionDoctorScreen"));
    QVBoxLayout *column = scrollingColumn(this);
    auto *card = new SectionCard(QStringLiteral("Connection Doctor"), QStringLiteral("stethoscope"), this);
    m_summary = bind::label(QString(), QStringLiteral("doctorSummary"), card);
    m_summary->setFont(Theme::titleFont());
    m_count = bind::note(QString(), QStringLiteral("doctorCount"), card);
    auto *header = new QHBoxLayout;
    header->addWidget(m_summary, 1);
    header->addWidget(m_count);
    card->contentLayout()->addLayout(header);
    // The session bar holds the page's one primary button; this one is an ordinary command.
    m_run = bind::button(QStringLiteral("Run Diagnosis"), QStringLiteral("doctorRun"), card,
                         QStringLiteral("play.fill"));
    m_runBusy = new BusyIndicator(16, card);
    m_runBusy->setObjectName(QStringLiteral("doctorRunBusy"));
    auto *run = new QHBoxLayout;
    run->addWidget(m_run);
    run->addWidget(m_runBusy);
    run->addWidget(bind::note(QStringLiteral("Checks scrcpy, ADB, and every connected device."),
                              QStringLiteral("doctorRunCaption"), card),
                   1);
    card->contentLayout()->addLayout(run);
    column->addWidget(card);

    m_results = new SectionCard(QStringLiteral("Findings"), QStringLiteral("questionmark.circle"), this);
    m_results->setObjectName(QStringLiteral("doctorFindingsCard"));
    m_empty =
        bind::note(QStringLiteral("Run the diagnosis to check scrcpy, ADB, and every connected device."),
                   QStringLiteral("doctorEmpty"), m_results);
    m_results->addWidget(m_empty);
    m_findings = new QVBoxLayout;
    m_findings->setSpacing(Theme::spacingM);
    m_results->contentLayout()->addLayout(m_findings);
    column->addWidget(m_results);
    column->addStretch(1);

    connect(m_run, &QPushButton::clicked, this, [this] { m_model->runDoctor(); });
    connect(m_model, &AppModel::doctorRunningChanged, this, &ConnectionDoctorScreen::refresh);
    connect(m_model, &AppModel::doctorFindingsChanged, this, &ConnectionDoctorScreen::rebuildFindings);
    rebuildFindings();
}

void ConnectionDoctorScreen::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    m_model->runDoctor();
}

QString ConnectionDoctorScreen::summary() const
{
    const QList<DoctorFinding> &findings = m_model->doctorFindings();
    const auto any = [&findings](DoctorFinding::Level level) {
        return std::any_of(findings.begin(), findings.end(),
                           [level](const DoctorFinding &finding) { return finding.level == level; });
    };
    if (m_model->doctorRunning())
        return QStringLiteral("Running checks…");
    if (findings.isEmpty())
        return QStringLiteral("Not checked yet");
    if (any(DoctorFinding::Level::Error))
        return QStringLiteral("Blocking problems found");
    if (any(DoctorFinding::Level::Warning))
        return QStringLiteral("Ready with warnings");
    return QStringLiteral("Ready to connect");
}

void ConnectionDoctorScreen::refresh()
{
    const bool running = m_model->doctorRunning();
    m_summary->setText(summary());
    m_count->setText(QString::number(m_model->doctorFindings().size()) + QStringLiteral(" findings"));
    m_run->setText(running ? QStringLiteral("Running diagnosis") : QStringLiteral("Run Diagnosis"));
    m_run->setEnabled(!running);
    m_runBusy->setRunning(running);
    m_runBusy->setVisible(running);
    // The card's mark is the worst finding's: a green tick over a blocking problem would say the opposite.
    const QList<DoctorFinding> &findings = m_model->doctorFindings();
    const auto worst = std::max_element(
        findings.cbegin(), findings.cend(),
        [](const DoctorFinding &a, const DoctorFinding &b) { return severity(a.level) < severity(b.level); });
    if (worst == findings.cend()) {
        m_results->setSymbol(QStringLiteral("questionmark.circle"), Tone::Neutral);
    } else {
        const auto [symbol, tone] = levelLook(worst->level);
        m_results->setSymbol(symbol, tone);
    }
    m_empty->setVisible(m_model->doctorFindings().isEmpty());
}

void ConnectionDoctorScreen::rebuildFindings()
{
    while (QLayoutItem *item = m_findings->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    for (const DoctorFinding &finding : m_model->doctorFindings())
        m_findings->addWidget(findingRow(finding, this));
    refresh();
}

} // namespace quorvane::app
