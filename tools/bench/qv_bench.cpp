// The benchmark behind scripts/bench: what Quorvane costs on top of adb and scrcpy, each figure measured
// against the raw tool doing the same work in the same run, interleaved, on simulated phones.
#include "BenchFigure.h"
#include "MainWindow.h"
#include "ModelTesting.h"
#include "StallProbe.h"
#include "UserDefaults.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QSaveFile>
#include <QTest>
#include <QTimer>

#include <malloc.h>
#include <sys/resource.h>
#include <unistd.h>

using namespace quorvane;
using namespace quorvane::app;
using namespace quorvane::bench;
using namespace quorvane::test;
using Goal = BenchFigure::Goal;

namespace {

const QString serial = QStringLiteral("R5CT1234");

double elapsedMs(const QElapsedTimer &clock)
{
    return static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

// A whole child process, start to end: how the raw tools are timed.
double timeProcess(const QString &program, const QStringList &arguments, QProcessEnvironment environment = {})
{
    QProcess process;
    if (!environment.isEmpty())
        process.setProcessEnvironment(environment);
    process.setStandardInputFile(QProcess::nullDevice());
    QElapsedTimer clock;
    clock.start();
    process.start(program, arguments);
    process.waitForFinished(-1);
    const double time = elapsedMs(clock);
    if (process.exitStatus() != QProcess::NormalExit)
        qFatal("%s did not finish normally", qPrintable(program));
    return time;
}

template<typename Start>
double timeTask(Start start)
{
    QElapsedTimer clock;
    clock.start();
    await(start());
    return elapsedMs(clock);
}

// Turns the event loop until ready() holds, looking every millisecond.
bool waitUntil(const std::function<bool()> &ready, int timeoutMs = 30000)
{
    QElapsedTimer clock;
    clock.start();
    while (!ready() && clock.elapsed() < timeoutMs)
        QTest::qWait(1);
    return ready();
}

qint64 procField(qint64 pid, int field)
{
    QFile file(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray text = file.readAll();
    // Fields after the command name, which may hold spaces, start after its closing parenthesis.
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    return fields.value(field - 3).toLongLong();
}

double rssMb(qint64 pid)
{
    return static_cast<double>(procField(pid, 24) * sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

QList<qint64> childrenOf(qint64 pid)
{
    QList<qint64> children;
    for (const QString &entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs)) {
        bool number = false;
        const qint64 candidate = entry.toLongLong(&number);
        if (number && procField(candidate, 4) == pid)
            children.append(candidate);
    }
    return children;
}

// Processor seconds the waited-for children of this process have used so far.
double childrenCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

QList<double> differences(const QList<double> &a, const QList<double> &b)
{
    QList<double> result;
    for (qsizetype i = 0; i < std::min(a.size(), b.size()); ++i)
        result.append(a.at(i) - b.at(i));
    return result;
}

} // namespace

class Bench : public QObject
{
    Q_OBJECT

public:
    explicit Bench(bool quick)
        : m_quick(quick)
    {
    }

    QList<BenchFigure> figures;

private:
    bool m_quick;

    int runs() const { return m_quick ? 3 : 7; }

    // One warm-up round that fills caches for both, then runs() measured ones. The raw adb listing is
    // timed just before ours in each round, so a noisy machine moves both figures alike. `measure` stores
    // our time in milliseconds; a failed check inside it ends the rounds.
    template<typename Measure>
    void interleaveWithListing(BenchFigure &figure, const ModelWorld &world, Measure measure)
    {
        for (int run = -1; run < runs(); ++run) {
            const double raw =
                timeProcess(world.sim.adbPath(), {QStringLiteral("devices"), QStringLiteral("-l")});
            double ours = 0;
            measure(ours);
            if (QTest::currentTestFailed())
                return;
            if (run >= 0) {
                figure.raw.append(raw);
                figure.ours.append(ours);
            }
        }
    }

    void add(BenchFigure figure)
    {
        qInfo("%s: median %.2f %s", qPrintable(figure.name), median(figure.ours), qPrintable(figure.unit));
        figures.append(std::move(figure));
    }

    static void readyForLaunch(ModelWorld &world)
    {
        AppModel &model = world.model();
        model.refreshRuntimeStatus();
        QTRY_VERIFY_WITH_TIMEOUT(model.runtimeHealthy(), 10000);
        await(model.refreshDevices());
        QTRY_VERIFY(model.canLaunch());
    }

    static QProcessEnvironment applicationEnvironment(const ModelWorld &world, bool probe)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("HOME"), world.home.path());
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), world.home.path() + QStringLiteral("/.config"));
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        if (probe)
            environment.insert(QStringLiteral("QUORVANE_STALL_PROBE"), QStringLiteral("1"));
        return environment;
    }

    static QString program(const QString &name)
    {
        return QCoreApplication::applicationDirPath() + u'/' + name;
    }

private slots:
    void deviceRefresh()
    {
        QMap<int, std::pair<QList<double>, QList<double>>> byCount;
        for (const int count : {1, 10, 50}) {
            ModelWorld world;
            for (int phone = 0; phone < count; ++phone)
                world.sim.addPhone(QStringLiteral("SIM%1").arg(phone, 4, 10, QLatin1Char('0')));
            AppModel &model = world.model();
            BenchFigure figure(QStringLiteral("device refresh, %1 phone(s)").arg(count), QStringLiteral("ms"),
                               Goal::OverRawAtMost, 15);
            interleaveWithListing(figure, world, [&](double &ours) {
                ours = timeTask([&] { return model.refreshDevices(); });
            });
            QCOMPARE(model.devices().size(), count);
            byCount[count] = {figure.ours, figure.raw};
            add(figure);
        }
        BenchFigure growth(QStringLiteral("refresh growth, 1 → 50 phones"), QStringLiteral("ms"),
                           Goal::OverRawAtMost, 15,
                           QStringLiteral("ours grows no faster than adb's own listing"));
        growth.ours = differences(byCount[50].first, byCount[1].first);
        growth.raw = differences(byCount[50].second, byCount[1].second);
        add(growth);
    }

    void launchToScrcpyStarted()
    {
        ModelWorld world;
        world.sim.addPhone(serial);
        readyForLaunch(world);
        AppModel &model = world.model();
        BenchFigure figure(QStringLiteral("launch → scrcpy started"), QStringLiteral("ms"),
                           Goal::OverRawAtMost, 20, QStringLiteral("raw: one adb device listing"));
        interleaveWithListing(figure, world, [&](double &ours) {
            const qsizetype before = world.platform.activated.size();
            QElapsedTimer clock;
            clock.start();
            QCoro::Task<void> launching = model.launchCurrentMode();
            QVERIFY(waitUntil([&] { return world.platform.activated.size() > before; }));
            ours = elapsedMs(clock);
            await(std::move(launching));
            QVERIFY(model.sessionActive());
            await(model.stopSession());
        });
        add(figure);
    }

    // Every rung dies at once: the ladder must not wait out more than one watch window per rung.
    void ladderOfDyingRungs()
    {
        ModelWorld world;
        world.sim.addPhone(serial);
        world.makeModel(Timing{});
        readyForLaunch(world);
        world.sim.addLaunchRule(QStringList{}, 1);
        BenchFigure figure(QStringLiteral("ladder, every rung dies"), QStringLiteral("ms"), Goal::AtMost, 0);
        int rungs = 0;
        for (int run = 0; run < runs(); ++run) {
            const int before = world.launchAttempts();
            const double ours = timeTask([&] { return world.model().launchCurrentMode(); });
            QVERIFY(world.model().launchFailed());
            rungs = world.launchAttempts() - before;
            const QList<QStringList> sessions = world.scrcpySessions();
            double raw = 0;
            for (int rung = 0; rung < rungs; ++rung)
                raw += timeProcess(world.sim.scrcpyPath(), sessions.at(sessions.size() - rungs + rung));
            figure.ours.append(ours);
            figure.raw.append(raw);
        }
        figure.limit = rungs * 950.0;
        figure.note = QStringLiteral("%1 rungs; raw: the same %1 scrcpy runs back to back").arg(rungs);
        add(figure);
    }

    // The longest the event loop stood still, with the main window and the session terminal on screen
    // and the device monitor polling 50 phones throughout.
    void eventLoopStalls()
    {
        ModelWorld world;
        world.sim.addPhone(serial);
        for (int phone = 1; phone < 50; ++phone)
            world.sim.addPhone(QStringLiteral("SIM%1").arg(phone, 4, 10, QLatin1Char('0')));
        Timing timing = modelTiming();
        timing.monitorPause = std::chrono::milliseconds{500};
        world.makeModel(timing);
        AppModel &model = world.model();
        model.setOnboardingCompleted(true);
        MainWindow window(&model);
        window.setTerminalShown(true);
        window.resize(1200, 800);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        model.start();
        QTRY_VERIFY_WITH_TIMEOUT(model.devices().size() == 50, 10000);
        model.setSelectedSerial(serial);
        QTRY_VERIFY_WITH_TIMEOUT(model.canLaunch(), 10000);
        const QString big = world.home.file(QStringLiteral("big.bin"));
        QFile file(big);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.resize(500LL * 1024 * 1024)); // sparse
        file.close();

        const std::pair<QString, std::function<void()>> scenarios[] = {
            {QStringLiteral("monitor passes, 50 phones"),
             [&] {
                 const int before = world.deviceListings();
                 QVERIFY(waitUntil([&] { return world.deviceListings() >= before + 3; }));
             }},
            {QStringLiteral("launch and stop"),
             [&] {
                 await(model.launchCurrentMode());
                 await(model.stopSession());
             }},
            {QStringLiteral("desktop and camera probe"),
             [&] {
                 await(model.probeDesktop(serial));
                 await(model.probeCameras(serial));
             }},
            {QStringLiteral("screenshot"), [&] { await(model.captureScreenshot(std::nullopt)); }},
            {QStringLiteral("10,000 log lines in 1 s"),
             [&] {
                 int written = 0;
                 QTimer pace;
                 pace.setTimerType(Qt::PreciseTimer);
                 pace.setInterval(1);
                 connect(&pace, &QTimer::timeout, &pace, [&] {
                     for (int line = 0; line < 10 && written < 10000; ++line, ++written)
                         model.appendLog(QStringLiteral("scrcpy: INFO: frame %1 rendered").arg(written));
                 });
                 pace.start();
                 QVERIFY(waitUntil([&] { return written >= 10000; }));
             }},
            {QStringLiteral("500 MB push"), [&] { await(model.pushFiles({big})); }}};
        for (const auto &[name, scenario] : scenarios) {
            BenchFigure stall(QStringLiteral("stall: ") + name, QStringLiteral("ms"), Goal::AtMost, 16);
            BenchFigure busy(QStringLiteral("stall, busy part: ") + name, QStringLiteral("ms"), Goal::AtMost,
                             16, QStringLiteral("processor time of the loop's thread in its longest turn"));
            for (int run = 0; run < runs(); ++run) {
                StallProbe probe;
                QTest::qWait(20);
                probe.reset();
                scenario();
                stall.ours.append(std::chrono::duration<double, std::milli>(probe.longestStall()).count());
                busy.ours.append(std::chrono::duration<double, std::milli>(probe.longestBusy()).count());
            }
            add(stall);
            add(busy);
        }
        window.close();
    }

    // In the application's conditions: the main window is up with the session terminal open.
    void memoryOverSessions()
    {
        ModelWorld world;
        world.sim.addPhone(serial);
        readyForLaunch(world);
        AppModel &model = world.model();
        model.setOnboardingCompleted(true);
        MainWindow window(&model);
        window.setTerminalShown(true);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const auto cycle = [&] {
            await(model.launchCurrentMode());
            QVERIFY(model.sessionActive());
            await(model.stopSession());
        };
        // The warm-up also fills the session log to its cap, which is meant to hold memory.
        for (int warm = 0; warm < 20; ++warm)
            cycle();
        for (int line = 0; line < AppModel::logsKeepAtLeast; ++line)
            model.appendLog(QStringLiteral("Session stopped for %1, warm-up line %2.").arg(serial).arg(line));
        const int cycles = m_quick ? 30 : 200;
        // Measured after handing free heap back, so what stays is what something still holds.
        malloc_trim(0);
        const double before = rssMb(getpid());
        QStringList checkpoints;
        for (int count = 1; count <= cycles; ++count) {
            cycle();
            if (count % (cycles / 4) == 0) {
                malloc_trim(0);
                checkpoints.append(QString::number((rssMb(getpid()) - before) * 1024, 'f', 0));
            }
        }
        const double grown = checkpoints.last().toDouble();
        BenchFigure figure(QStringLiteral("RSS growth over %1 starts and stops").arg(cycles),
                           QStringLiteral("KB"), Goal::AtMost, 1024,
                           QStringLiteral("%1 KB per start and stop; after each quarter: %2 KB")
                               .arg(grown / cycles, 0, 'f', 1)
                               .arg(checkpoints.join(QStringLiteral(", "))));
        figure.ours = {grown};
        add(figure);
        window.close();
    }

    void commandLine()
    {
        ModelWorld world;
        world.sim.addPhone(serial);
        const QStringList tools{QStringLiteral("--adb"), world.sim.adbPath(), QStringLiteral("--scrcpy"),
                                world.sim.scrcpyPath()};
        const QString ctl = program(QStringLiteral("quorvanectl"));
        for (const QStringList &words :
             {QStringList{QStringLiteral("devices")}, QStringList{QStringLiteral("inspect"), serial}}) {
            // The raw side replays exactly the adb and scrcpy calls quorvanectl made.
            const qsizetype before = world.sim.calls().size();
            timeProcess(ctl, words + tools);
            QList<std::pair<QString, QStringList>> calls;
            bool afterScrcpy = false;
            for (const QJsonObject &call : world.sim.calls().mid(before)) {
                const QString tool = call.value(QStringLiteral("tool")).toString();
                QStringList arguments;
                for (const QJsonValue &argument : call.value(QStringLiteral("argv")).toArray())
                    arguments.append(argument.toString());
                // scrcpy's own adb children run again when scrcpy is replayed.
                const bool scrcpyChild =
                    afterScrcpy && tool == QLatin1String("adb") &&
                    (arguments == QStringList{QStringLiteral("start-server")} ||
                     arguments == QStringList{QStringLiteral("devices"), QStringLiteral("-l")});
                afterScrcpy = tool == QLatin1String("scrcpy") || scrcpyChild;
                if (scrcpyChild)
                    continue;
                calls.append({tool == QLatin1String("scrcpy") ? world.sim.scrcpyPath() : world.sim.adbPath(),
                              arguments});
            }
            BenchFigure figure(
                QStringLiteral("quorvanectl ") + words.first(), QStringLiteral("ms"), Goal::OverRawAtMost, 20,
                QStringLiteral("raw: the same %1 adb and scrcpy call(s) back to back").arg(calls.size()));
            for (int run = 0; run < runs(); ++run) {
                double raw = 0;
                for (const auto &[tool, arguments] : calls)
                    raw += timeProcess(tool, arguments);
                figure.raw.append(raw);
                figure.ours.append(timeProcess(ctl, words + tools));
            }
            add(figure);
        }
    }

    void coldStart()
    {
        ModelWorld world;
        world.sim.addPhone(serial);
        world.home.writeUserDefault(UserDefaults::onboardingCompletedKey, true);
        BenchFigure figure(QStringLiteral("cold start → window painted with a phone"), QStringLiteral("ms"),
                           Goal::AtMost, 250, QStringLiteral("raw: one adb device listing"));
        interleaveWithListing(figure, world, [&](double &ours) {
            QProcess application;
            application.setProcessEnvironment(applicationEnvironment(world, true));
            QElapsedTimer clock;
            clock.start();
            application.start(program(QStringLiteral("quorvane")), {});
            QVERIFY(waitUntil([&] { return application.canReadLine(); }));
            ours = elapsedMs(clock);
            QVERIFY(application.readLine().startsWith("ready-ms"));
            application.terminate();
            QVERIFY(application.waitForFinished(10000));
        });
        add(figure);
    }

    void idle()
    {
        ModelWorld world;
        world.sim.addPhone(serial);
        world.home.writeUserDefault(UserDefaults::onboardingCompletedKey, true);
        QProcess application;
        application.setProcessEnvironment(applicationEnvironment(world, false));
        application.start(program(QStringLiteral("quorvane")), {});
        QVERIFY(application.waitForStarted());
        const qint64 pid = application.processId();
        // Idle starts once the start-up inspection is over: its last call is the encoder listing, after
        // which scrcpy lists the devices itself and the monitor turns twice.
        QVERIFY(waitUntil(
            [&] {
                return world.sim.callsWith(QStringLiteral("scrcpy"), {QStringLiteral("--list-encoders")}) > 0;
            },
            20000));
        const int settled = world.deviceListings() + 3;
        QVERIFY(waitUntil([&] { return world.deviceListings() >= settled; }, 20000));
        const auto cpuTicks = [pid](bool withChildren) {
            return procField(pid, 14) + procField(pid, 15) +
                   (withChildren ? procField(pid, 16) + procField(pid, 17) : 0);
        };
        const qint64 startOwn = cpuTicks(false);
        const qint64 startAll = cpuTicks(true);
        const int seconds = m_quick ? 5 : 60;
        QList<double> own;
        QList<double> all;
        QElapsedTimer clock;
        clock.start();
        while (clock.elapsed() < seconds * 1000) {
            QTest::qWait(250);
            double children = 0;
            for (const qint64 child : childrenOf(pid))
                children += rssMb(child);
            own.append(rssMb(pid));
            all.append(own.last() + children);
        }
        const double ticksPerSecond = static_cast<double>(sysconf(_SC_CLK_TCK)) * clock.elapsed() / 1000.0;
        const double cpuOwn = 100.0 * (cpuTicks(false) - startOwn) / ticksPerSecond;
        const double cpuAll = 100.0 * (cpuTicks(true) - startAll) / ticksPerSecond;
        const QString over = QStringLiteral("one phone, monitor running, over %1 s").arg(seconds);
        const std::tuple<QString, QString, double, QList<double>> idleFigures[] = {
            {QStringLiteral("idle RSS"), QStringLiteral("MB"), 60, own},
            {QStringLiteral("idle RSS with children"), QStringLiteral("MB"), 60, all},
            {QStringLiteral("idle CPU"), QStringLiteral("%"), 0.5, {cpuOwn}},
            {QStringLiteral("idle CPU with children"), QStringLiteral("%"), 0.5, {cpuAll}}};
        // What the monitor's one device listing per pause costs the simulated adb itself.
        const double before = childrenCpuSeconds();
        for (int listing = 0; listing < 5; ++listing)
            timeProcess(world.sim.adbPath(), {QStringLiteral("devices"), QStringLiteral("-l")});
        const double listingShare = 100.0 * (childrenCpuSeconds() - before) / 5 /
                                    std::chrono::duration<double>(Timing{}.monitorPause).count();
        for (const auto &[name, unit, limit, samples] : idleFigures) {
            BenchFigure figure(name, unit, Goal::AtMost, limit, over);
            figure.ours = samples;
            if (name == QLatin1String("idle CPU with children")) {
                figure.raw = {listingShare};
                figure.note += QStringLiteral("; raw: one simulated adb listing per monitor pause");
            }
            add(figure);
        }
        application.terminate();
        QVERIFY(application.waitForFinished(10000));
    }
};

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Quorvane's cost next to adb and scrcpy."));
    const QCommandLineOption quick(QStringLiteral("quick"), QStringLiteral("Fewer runs, shorter waits."));
    const QCommandLineOption json(QStringLiteral("json"), QStringLiteral("Where the results go."),
                                  QStringLiteral("FILE"));
    parser.addOptions({quick, json});
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("figure"), QStringLiteral("Only these figures (functions)."));
    parser.process(application);

    Bench bench(parser.isSet(quick));
    const int failed =
        QTest::qExec(&bench, QStringList{QString::fromUtf8(argv[0]), QStringLiteral("-silent")} +
                                 parser.positionalArguments());
    std::fputs(qPrintable(table(bench.figures)), stdout);
    if (parser.isSet(json)) {
        QJsonArray figures;
        for (const BenchFigure &figure : std::as_const(bench.figures))
            figures.append(figure.toJson());
        const QJsonObject results{
            {QStringLiteral("quick"), parser.isSet(quick)},
            {QStringLiteral("runs"), bench.figures.isEmpty() ? 0 : bench.figures.first().ours.size()},
            {QStringLiteral("figures"), figures}};
        QSaveFile file(parser.value(json));
        if (!file.open(QIODevice::WriteOnly) || file.write(QJsonDocument(results).toJson()) < 0 ||
            !file.commit()) {
            std::fprintf(stderr, "cannot write %s: %s\n", qPrintable(parser.value(json)),
                         qPrintable(file.errorString()));
            return 1;
        }
    }
    return failed == 0 ? 0 : 1;
}

#include "qv_bench.moc"
