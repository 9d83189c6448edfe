// The Connection Doctor screen against the simulator: it diagnoses when shown, its summary follows the
// worst finding, and each finding shows its level, detail and action.
#include "ConnectionDoctorScreen.h"
#include "ScreenTesting.h"
#include "SectionCard.h"

#include <QLabel>
#include <QPushButton>

using namespace quorvane;
using namespace quorvane::app;
using namespace quorvane::test;
using namespace Qt::StringLiterals;

class TestScreenDoctor final : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ScreenWorld> m_world;

    static QString text(const QWidget &screen, const char *name)
    {
        const QLabel *label = child<QLabel>(screen, QLatin1String(name));
        return label ? label->text() : u"<missing>"_s;
    }

private slots:
    void init() { m_world = std::make_unique<ScreenWorld>(); }
    void cleanup() { m_world.reset(); }

    void beforeTheFirstDiagnosisAndEachRun()
    {
        ConnectionDoctorScreen screen(&m_world->model());
        QCOMPARE(text(screen, "doctorSummary"), u"Not checked yet"_s);
        QCOMPARE(text(screen, "doctorCount"), u"0 findings"_s);
        QCOMPARE(text(screen, "doctorEmpty"),
                 u"Run the diagnosis to check scrcpy, ADB, and every connected device."_s);
        auto *run = child<QPushButton>(screen, u"doctorRun"_s);
        QCOMPARE(text(screen, "doctorRunCaption"), u"Checks scrcpy, ADB, and every connected device."_s);
        QCOMPARE(child<SectionCard>(screen, u"doctorFindingsCard"_s)->symbol(), u"questionmark.circle"_s);

        // Each showing and each press runs it again.
        QSignalSpy runs(&m_world->model(), &AppModel::doctorRunningChanged);
        ScreenWorld::show(screen);
        QTRY_COMPARE(runs.count(), 2);
        screen.hide();
        screen.show();
        QTRY_COMPARE(runs.count(), 4);
        run->click();
        QTRY_COMPARE(runs.count(), 6);
    }

    void summary_data()
    {
        QTest::addColumn<QString>("world");
        QTest::addColumn<QString>("summary");
        QTest::addColumn<QString>("finding");
        QTest::addColumn<QString>("symbol");
        QTest::newRow("ready") << u"phone"_s << u"Ready to connect"_s << u"Device authorized"_s
                               << u"checkmark.circle.fill"_s;
        QTest::newRow("no phone") << u"empty"_s << u"Ready with warnings"_s << u"No phone detected"_s
                                  << u"exclamationmark.triangle.fill"_s;
        QTest::newRow("adb fails") << u"fault"_s << u"Blocking problems found"_s << u"ADB check failed"_s
                                   << u"xmark.octagon.fill"_s;
    }

    // Showing the screen runs the diagnosis; the rows and the summary come from the model's findings.
    void summary()
    {
        QFETCH(QString, world);
        QFETCH(QString, summary);
        QFETCH(QString, finding);
        QFETCH(QString, symbol);
        if (world == QLatin1String("phone")) {
            // Debian's adb 29, the simulator's default, is itself a warning: it cannot pair over Wi-Fi.
            m_world->world.sim.setAdbVersion(u"35.0.2-12147458"_s);
            m_world->connectPhone();
        }
        if (world == QLatin1String("fault"))
            m_world->world.sim.addFault({u"devices"_s}, 1, u"daemon not running"_s);
        ConnectionDoctorScreen screen(&m_world->model());
        auto *run = child<QPushButton>(screen, u"doctorRun"_s);
        ScreenWorld::show(screen);
        QCOMPARE(text(screen, "doctorSummary"), u"Running checks…"_s);
        QCOMPARE(run->text(), u"Running diagnosis"_s);
        QVERIFY(!run->isEnabled());
        QTRY_VERIFY(!m_world->model().doctorRunning());
        QVERIFY(run->isEnabled());
        QCOMPARE(text(screen, "doctorSummary"), summary);
        // The card's mark is its worst finding's, the one the summary speaks of.
        QCOMPARE(child<SectionCard>(screen, u"doctorFindingsCard"_s)->symbol(), symbol);
        const qsizetype count = m_world->model().doctorFindings().size();
        QCOMPARE(text(screen, "doctorCount"), QString::number(count) + u" findings"_s);
        QVERIFY(!child<QLabel>(screen, u"doctorEmpty"_s)->isVisible());
        const QList<QWidget *> rows = screen.findChildren<QWidget *>(u"doctorFinding"_s);
        QCOMPARE(rows.size(), count);
        const auto row = std::find_if(rows.begin(), rows.end(), [&finding](QWidget *each) {
            return each->accessibleName() == finding;
        });
        QVERIFY2(row != rows.end(), qPrintable(finding));
        QCOMPARE(child<QLabel>(**row, u"doctorFindingSymbol"_s)->accessibleName(), symbol);
        const DoctorFinding &model =
            *std::find_if(m_world->model().doctorFindings().begin(), m_world->model().doctorFindings().end(),
                          [&finding](const DoctorFinding &each) { return each.title == finding; });
        QCOMPARE(child<QLabel>(**row, u"doctorFindingDetail"_s)->text(), model.detail);
        const QLabel *action = (*row)->findChild<QLabel *>(u"doctorFindingAction"_s);
        QCOMPARE(action ? std::optional<QString>(action->text()) : std::nullopt, model.action);
    }
};

QTEST_MAIN(TestScreenDoctor)
#include "tst_screen_doctor.moc"
