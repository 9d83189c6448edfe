// What Quorvane keeps in the user's folders: learned profiles, presets, the settings journal, and where
// recordings and screenshots go.
#include "AppPaths.h"
#include "Errors.h"
#include "FileSizeLimit.h"
#include "JsonFile.h"
#include "MediaService.h"
#include "ProfileStore.h"
#include "SavedProfileStore.h"
#include "SettingsJournal.h"
#include "TestHome.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QLockFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QSysInfo>
#include <QTest>

#include <cstdio>
#include <limits>
#include <memory>
#include <vector>

using namespace quorvane;
using test::writeFile;

namespace {

LaunchConfig working(const char *serial, const char *mode, quint32 maxSize, quint32 maxFps, const char *codec,
                     bool audio)
{
    LaunchConfig config = LaunchConfig::defaultRecord();
    config.serial = QString::fromUtf8(serial);
    config.mode = QString::fromUtf8(mode);
    config.maxSize = maxSize;
    config.maxFps = maxFps;
    config.codec = QString::fromUtf8(codec);
    config.audio = audio;
    return config;
}

QByteArray contents(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("<unreadable>");
    return file.readAll();
}

// The store files kept aside beside path, oldest first.
QStringList keptCopies(const QString &path)
{
    const QFileInfo info(path);
    return info.dir().entryList({info.fileName() + QStringLiteral(".corrupt-*")}, QDir::Files, QDir::Name);
}

// The bad file is kept byte for byte under its new name, the user is told once in words that name it,
// and the store starts afresh.
void expectKeptAside(const QString &path, const QByteArray &content, const char *storeName,
                     const QStringList &notices)
{
    const QStringList kept = keptCopies(path);
    QCOMPARE(kept.size(), 1);
    QVERIFY2(QRegularExpression(QStringLiteral("\\.corrupt-\\d{8}-\\d{6}$")).match(kept[0]).hasMatch(),
             qPrintable(kept[0]));
    const QString keptPath = QFileInfo(path).dir().filePath(kept[0]);
    QCOMPARE(contents(keptPath), content);
    QCOMPARE(notices,
             QStringList{QStringLiteral("Your %1 file could not be read; it was kept as %2 and a new one was "
                                        "started.")
                             .arg(QString::fromUtf8(storeName), keptPath)});
}

// One writer of the concurrency test: remembers count profiles of its own, each with a fresh
// read-change-write.
int rememberMany(const QString &prefix, int count)
{
    QStandardPaths::setTestModeEnabled(true);
    try {
        for (int i = 0; i < count; ++i)
            ProfileStore().remember(
                working(qPrintable(prefix + QString::number(i)), "mirror", 1920, 60, "h264", true),
                prefix + QString::number(i));
    } catch (const std::exception &error) {
        fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}

SavedProfile preset(const char *id, const char *name, const char *bitrate)
{
    return SavedProfile{QUuid::fromString(QString::fromUtf8(id)),
                        QString::fromUtf8(name),
                        QStringLiteral("mirror"),
                        1920,
                        60,
                        QStringLiteral("h265"),
                        QString::fromUtf8(bitrate),
                        true};
}

// "SERIAL namespace key previous" with "-" for a setting that was unset.
QStringList journalLines(const QList<JournalEntry> &entries)
{
    QStringList lines;
    for (const JournalEntry &entry : entries)
        lines << QStringList{entry.serial, entry.settingNamespace, entry.key,
                             entry.previous.value.value_or(QStringLiteral("-"))}
                     .join(QLatin1Char(' '));
    return lines;
}

// A learned store from "serial/mode=maxSize" entries, every other field fixed.
QJsonObject learnedStore(const QStringList &entries)
{
    QJsonObject profiles;
    for (const QString &entry : entries) {
        const QString key = entry.section(QLatin1Char('='), 0, 0).replace(QLatin1Char('/'), QChar(0x1F));
        const quint32 size = entry.section(QLatin1Char('='), 1).toUInt();
        profiles.insert(key, LearnedProfile{size, 60, QStringLiteral("h264"), true}.toJson());
    }
    return {{QStringLiteral("profiles"), profiles}};
}

MediaService atFixedTime(std::optional<QString> mediaRoot = std::nullopt)
{
    MediaService media;
    media.mediaRootOverride = std::move(mediaRoot);
    media.clock = [] { return QDateTime(QDate(2025, 3, 1), QTime(14, 5, 9)); };
    return media;
}

} // namespace

class TestUserFiles final : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<test::TestHome> m_home;
    // The sentences the stores told the user during the test.
    QStringList m_notices;

private slots:
    void init()
    {
        m_home = std::make_unique<test::TestHome>();
        m_notices.clear();
        JsonFile::setNoticeHook([this](const QString &sentence) { m_notices << sentence; });
    }

    void cleanup()
    {
        JsonFile::setNoticeHook({});
        m_home.reset();
    }

    void learnedFirstUseCreatesTheFile()
    {
        const ProfileStore store;
        QVERIFY(!store.load(QStringLiteral("ABC"), QStringLiteral("mirror")));
        // Asking for the file makes its folder, never the file.
        QVERIFY(!QFile::exists(AppPaths::learnedProfilesFile()));
        QVERIFY(QFileInfo(AppPaths::appSupportFolder()).isDir());
        QVERIFY(QFileInfo(AppPaths::desktopDiagnosticsFolder()).isDir());

        store.remember(working("ABC", "mirror", 1280, 30, "h264", true), QStringLiteral("ABC"));
        QCOMPARE(contents(AppPaths::learnedProfilesFile()), QByteArray("{\n"
                                                                       "    \"profiles\": {\n"
                                                                       "        \"ABC\\u001fmirror\": {\n"
                                                                       "            \"audio\": true,\n"
                                                                       "            \"codec\": \"h264\",\n"
                                                                       "            \"maxFps\": 30,\n"
                                                                       "            \"maxSize\": 1280\n"
                                                                       "        }\n"
                                                                       "    }\n"
                                                                       "}\n"));
        QCOMPARE(store.load(QStringLiteral("ABC"), QStringLiteral("mirror")),
                 std::optional(LearnedProfile{1280, 30, QStringLiteral("h264"), true}));
    }

    void learnedEntriesAreReplacedAndKeptApart()
    {
        const ProfileStore store;
        store.remember(working("ABC", "mirror", 1920, 60, "h265", true), QStringLiteral("ABC"));
        store.remember(working("ABC", "creator", 1920, 60, "H265", false), QStringLiteral("ABC"));
        store.remember(working("192.168.1.20:5555", "camera", 1280, 30, "h264", false),
                       QStringLiteral("192.168.1.20:5555"));
        store.remember(working("ABC", "mirror", 1280, 30, "h264", false), QStringLiteral("ABC"));

        QCOMPARE(store.load(QStringLiteral("ABC"), QStringLiteral("mirror")),
                 std::optional(LearnedProfile{1280, 30, QStringLiteral("h264"), false}));
        QCOMPARE(store.load(QStringLiteral("ABC"), QStringLiteral("creator")),
                 std::optional(LearnedProfile{1920, 60, QStringLiteral("H265"), false}));
        QCOMPARE(store.load(QStringLiteral("192.168.1.20:5555"), QStringLiteral("camera")),
                 std::optional(LearnedProfile{1280, 30, QStringLiteral("h264"), false}));
        QVERIFY(!store.load(QStringLiteral("ABC"), QStringLiteral("camera")));
    }

    // Stores written when phones were known by address move to the hardware serial the first time the
    // phone is seen; nothing is dropped, and the file as it was stays beside the new one.
    void learnedMovesToTheHardwareSerial_data()
    {
        QTest::addColumn<QString>("serial");
        QTest::addColumn<QString>("hardwareSerial"); // "" for a phone that tells none
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QStringList>("after"); // empty: the file is not touched
        const QString address = QStringLiteral("192.168.1.20:5555");
        QTest::newRow("every mode of the address moves")
            << address << QStringLiteral("HW1")
            << QStringList{address + QStringLiteral("/mirror=1280"), address + QStringLiteral("/camera=720"),
                           QStringLiteral("10.0.0.9:5555/mirror=1024")}
            << QStringList{QStringLiteral("HW1/mirror=1280"), QStringLiteral("HW1/camera=720"),
                           QStringLiteral("10.0.0.9:5555/mirror=1024")};
        QTest::newRow("a newer entry of the phone keeps its place; the old one stays")
            << address << QStringLiteral("HW1")
            << QStringList{address + QStringLiteral("/mirror=1280"), QStringLiteral("HW1/mirror=1920"),
                           address + QStringLiteral("/desktop=800")}
            << QStringList{address + QStringLiteral("/mirror=1280"), QStringLiteral("HW1/mirror=1920"),
                           QStringLiteral("HW1/desktop=800")};
        QTest::newRow("USB serial is the hardware serial")
            << QStringLiteral("HW1") << QStringLiteral("HW1")
            << QStringList{QStringLiteral("HW1/mirror=1280")} << QStringList();
        QTest::newRow("no hardware serial")
            << address << QString() << QStringList{address + QStringLiteral("/mirror=1280")} << QStringList();
    }

    void learnedMovesToTheHardwareSerial()
    {
        QFETCH(QString, serial);
        QFETCH(QString, hardwareSerial);
        QFETCH(QStringList, before);
        QFETCH(QStringList, after);
        const QString path = AppPaths::learnedProfilesFile();
        const QByteArray original = QJsonDocument(learnedStore(before)).toJson();
        writeFile(path, original);
        const PhoneIdentity phone(serial,
                                  hardwareSerial.isEmpty() ? std::nullopt : std::optional(hardwareSerial));

        // Found where it was before the move, and after it.
        const std::optional<LearnedProfile> learned = ProfileStore().load(phone, QStringLiteral("mirror"));
        QVERIFY(learned);
        ProfileStore().adopt(phone);
        QCOMPARE(ProfileStore().load(phone, QStringLiteral("mirror")), learned);

        const QString copy = path + QStringLiteral(".by-address");
        if (after.isEmpty()) {
            QCOMPARE(contents(path), original);
            QVERIFY(!QFile::exists(copy));
            return;
        }
        QCOMPARE(QJsonDocument::fromJson(contents(path)).object(), learnedStore(after));
        QCOMPARE(contents(copy), original);
        // The copy is the file as it was first: a later move never replaces it.
        ProfileStore().remember(working("10.0.0.9:5555", "mirror", 1, 1, "h264", true),
                                PhoneIdentity(QStringLiteral("10.0.0.9:5555"), QStringLiteral("HW2")));
        QCOMPARE(contents(copy), original);
        QVERIFY(ProfileStore().load(QStringLiteral("HW2"), QStringLiteral("mirror")));
    }

    void unreadableLearnedStore_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("a profile without audio") << QByteArray(
            "{\"profiles\": {\"ABC\\u001fmirror\": {\"maxSize\": 1280, \"maxFps\": 30, \"codec\": "
            "\"h264\", \"audio\": true}, \"OLD\\u001fmirror\": {\"maxSize\": 1, \"maxFps\": 1, "
            "\"codec\": \"h264\"}}}");
        QTest::newRow("not JSON") << QByteArray("{\"profiles\": {");
        QTest::newRow("an array") << QByteArray("[]");
    }

    void unreadableLearnedStore()
    {
        QFETCH(QByteArray, content);
        writeFile(AppPaths::learnedProfilesFile(), content);
        const ProfileStore store;
        QVERIFY(!store.load(QStringLiteral("ABC"), QStringLiteral("mirror")));

        store.remember(working("NEW", "desktop", 1920, 60, "h264", false), QStringLiteral("NEW"));
        QCOMPARE(
            QJsonDocument::fromJson(contents(AppPaths::learnedProfilesFile())).object(),
            QJsonObject({{QStringLiteral("profiles"),
                          QJsonObject{{ProfileStore::key(QStringLiteral("NEW"), QStringLiteral("desktop")),
                                       LearnedProfile{1920, 60, QStringLiteral("h264"), false}.toJson()}}}}));
        expectKeptAside(AppPaths::learnedProfilesFile(), content, "learned profiles", m_notices);

        // A second bad file in the same second is kept as well, beside the first.
        writeFile(AppPaths::learnedProfilesFile(), content);
        store.remember(working("NEW", "desktop", 1920, 60, "h264", false), QStringLiteral("NEW"));
        QCOMPARE(keptCopies(AppPaths::learnedProfilesFile()).size(), 2);
        QCOMPARE(m_notices.size(), 2);
    }

    // Two processes remembering at the same time, over a lock left behind by a process that died: every
    // entry of both survives. Without the lock most runs lose some.
    void concurrentWritersKeepEveryEntry()
    {
        const QString stale =
            test::writeFile(AppPaths::learnedProfilesFile() + QStringLiteral(".lock"),
                            QByteArray::number(std::numeric_limits<qint32>::max()) + "\nQuorvane\n" +
                                QSysInfo::machineHostName().toUtf8() + "\n");

        constexpr int perWriter = 60;
        std::vector<std::unique_ptr<QProcess>> writers;
        for (const char *prefix : {"A", "B"}) {
            writers.push_back(std::make_unique<QProcess>());
            writers.back()->start(
                QCoreApplication::applicationFilePath(),
                {QStringLiteral("--remember"), QString::fromLatin1(prefix), QString::number(perWriter)});
        }
        for (const auto &writer : writers) {
            QTRY_VERIFY_WITH_TIMEOUT(writer->state() == QProcess::NotRunning, 30000);
            QCOMPARE(writer->readAllStandardError(), QByteArray());
            QCOMPARE(writer->exitCode(), 0);
        }
        const QJsonObject profiles = QJsonDocument::fromJson(contents(AppPaths::learnedProfilesFile()))
                                         .object()
                                         .value(QStringLiteral("profiles"))
                                         .toObject();
        QCOMPARE(profiles.size(), 2 * perWriter);
        QVERIFY(!QFile::exists(stale));
    }

    // A lock another writer still holds is waited for, then named.
    void lockHeldByAnotherWriterIsNamed()
    {
        const QString path = AppPaths::learnedProfilesFile();
        ProfileStore().remember(working("A", "mirror", 1920, 60, "h264", true), QStringLiteral("A"));
        QLockFile held(path + QStringLiteral(".lock"));
        QVERIFY(held.tryLock());
        try {
            ProfileStore().remember(working("A", "mirror", 1280, 60, "h264", true), QStringLiteral("A"));
            QFAIL("the store was written under another writer's lock");
        } catch (const FileSystemError &error) {
            QCOMPARE(QString::fromUtf8(error.what()),
                     path + QStringLiteral(" is kept busy by another Quorvane program; try again."));
        }
    }

    // Operations and the journal after them, "; " between lines; "A" is show touches on phone A.
    void settingsJournal_data()
    {
        QTest::addColumn<QByteArray>("existing");
        QTest::addColumn<QString>("operations");
        QTest::addColumn<QString>("expected");
        QTest::newRow("a second change keeps the first value")
            << QByteArray() << "record A system show_touches -; record A system show_touches 1"
            << "A system show_touches -";
        QTest::newRow("a restore strikes off only its own setting")
            << QByteArray()
            << "record A system show_touches 0; record A global stay_on_while_plugged_in 2; "
               "record B system show_touches 1; clear A system show_touches"
            << "A global stay_on_while_plugged_in 2; B system show_touches 1";
        QTest::newRow("a malformed journal starts afresh")
            << QByteArray("{\"changes\": [{\"serial\": 5}]}") << "record A system show_touches 0"
            << "A system show_touches 0";
        QTest::newRow("not JSON holds nothing") << QByteArray("{\"changes\": [") << ""
                                                << "";
    }

    void settingsJournal()
    {
        QFETCH(QByteArray, existing);
        QFETCH(QString, operations);
        QFETCH(QString, expected);
        if (!existing.isEmpty())
            writeFile(AppPaths::settingsJournalFile(), existing);
        const SettingsJournal journal;
        for (const QString &operation : operations.split(QStringLiteral("; "), Qt::SkipEmptyParts)) {
            const QStringList words = operation.split(QLatin1Char(' '), Qt::SkipEmptyParts);
            if (words[0] == QLatin1String("clear")) {
                journal.clear(words[1], words[2], words[3]);
                continue;
            }
            const SettingBackup previous{words[4] == QLatin1String("-") ? std::nullopt
                                                                        : std::optional(words[4])};
            const SettingBackup kept = journal.record(words[1], words[2], words[3], previous);
            // What the caller will put back is what the journal holds.
            const QString line =
                journalLines({JournalEntry{words[1], words[2], words[3], kept, {}, 0}}).first();
            QVERIFY2(journalLines(journal.entries()).contains(line), qPrintable(line));
        }
        QCOMPARE(journalLines(journal.entries()).join(QStringLiteral("; ")), expected);
        // The only record of the phone's own values is never overwritten: a change keeps a bad journal aside.
        const bool changed = !existing.isEmpty() && !operations.isEmpty();
        QCOMPARE(keptCopies(AppPaths::settingsJournalFile()).size(), changed ? 1 : 0);
        for (const JournalEntry &entry : journal.entries())
            QCOMPARE(entry.ownerPid, QCoreApplication::applicationPid());
    }

    // An entry whose process still runs belongs to a session there, not to a crash.
    void journalLeftoversSkipLiveOwners()
    {
        const auto entry = [](const char *serial, const char *key, qint64 pid) {
            return JournalEntry{QString::fromUtf8(serial),       QStringLiteral("system"),
                                QString::fromUtf8(key),          SettingBackup{QStringLiteral("0")},
                                QDateTime::currentDateTimeUtc(), pid};
        };
        const qint64 self = QCoreApplication::applicationPid();
        const QList<JournalEntry> entries{entry("A", "gone", 0), entry("A", "init", 1),
                                          entry("A", "self", self), entry("B", "gone", 0)};
        JsonFile::write(AppPaths::settingsJournalFile(), QJsonDocument(SettingsJournal::toJson(entries)));
        QCOMPARE(SettingsJournal().entries(), entries);
        QCOMPARE(SettingsJournal().leftovers(QStringLiteral("A")),
                 (QList<JournalEntry>{entries[0], entries[2]}));
    }

    // One setting or two are shown through quorvanectl and the model; three need the list's commas, and a
    // setting without a name of its own shows its key.
    void journalPutBackMessage()
    {
        QCOMPARE(
            SettingsJournal::putBackMessage(QStringLiteral("PIXEL8"),
                                            {QStringLiteral("show_touches"),
                                             QStringLiteral("stay_on_while_plugged_in"),
                                             QStringLiteral("font_scale")}),
            QStringLiteral("Put back show touches, stay awake and font_scale on PIXEL8, which Quorvane had "
                           "changed before it was interrupted."));
    }

    // Ids are written in capitals and read in either case.
    void presetsFirstUse()
    {
        QVERIFY(SavedProfileStore().load().isEmpty());
        QVERIFY(!QFile::exists(AppPaths::savedProfilesFile()));
        QDir(AppPaths::appSupportFolder()).removeRecursively();

        const SavedProfile saved = preset("{0f8fad5b-d9cb-469f-a165-70867728950e}", "Profile 1", "8.0");
        SavedProfileStore().save({saved});
        const QByteArray written = contents(SavedProfileStore::url());
        QCOMPARE(
            QJsonDocument::fromJson(written).toJson(QJsonDocument::Compact),
            QByteArray("{\"profiles\":[{\"audio\":true,\"bitrate\":\"8.0\",\"codec\":\"h265\",\"id\":"
                       "\"0F8FAD5B-D9CB-469F-A165-70867728950E\",\"maxFps\":60,\"maxSize\":1920,\"mode\":"
                       "\"mirror\",\"name\":\"Profile 1\"}]}"));
        writeFile(AppPaths::savedProfilesFile(),
                  QByteArray(written).replace("0F8FAD5B-D9CB-469F-A165-70867728950E",
                                              "0f8fad5b-d9cb-469f-a165-70867728950e"));
        QCOMPARE(SavedProfileStore().load(), QList<SavedProfile>{saved});
    }

    void unreadablePresets_data()
    {
        QTest::addColumn<QByteArray>("content");
        const QByteArray good =
            "{\"id\": \"0F8FAD5B-D9CB-469F-A165-70867728950E\", \"name\": \"n\", \"mode\": "
            "\"mirror\", \"maxSize\": 0, \"maxFps\": 30, \"codec\": \"h264\", \"bitrate\": "
            "\"8.0\", \"audio\": false}";
        QTest::newRow("one preset without bitrate") << QByteArray(
            "{\"profiles\": [" + good +
            ", {\"id\": \"1F8FAD5B-D9CB-469F-A165-70867728950E\", \"name\": \"n\", \"mode\": "
            "\"mirror\", \"maxSize\": 0, \"maxFps\": 30, \"codec\": \"h264\", \"audio\": false}]}");
        QTest::newRow("id in braces") << QByteArray(good)
                                             .replace("\"0F8F", "\"{0F8F")
                                             .replace("950E\"", "950E}\"")
                                             .prepend("{\"profiles\": [")
                                             .append("]}");
    }

    void unreadablePresets()
    {
        QFETCH(QByteArray, content);
        writeFile(AppPaths::savedProfilesFile(), content);
        QVERIFY(SavedProfileStore().load().isEmpty());
        SavedProfileStore().save({preset("{0f8fad5b-d9cb-469f-a165-70867728950e}", "Fresh", "4.0")});
        QCOMPARE(SavedProfileStore().load().value(0).name, QStringLiteral("Fresh"));
        expectKeptAside(AppPaths::savedProfilesFile(), content, "presets", m_notices);
    }

    void failedWriteKeepsTheOldFile_data()
    {
        QTest::addColumn<bool>("presets");
        QTest::newRow("learned profiles") << false;
        QTest::newRow("presets") << true;
    }

    void failedWriteKeepsTheOldFile()
    {
        QFETCH(bool, presets);
        const auto write = [presets](quint32 maxSize) {
            if (presets)
                SavedProfileStore().save(
                    maxSize ? QList{preset("{0f8fad5b-d9cb-469f-a165-70867728950e}", "Kept", "8.0")}
                            : QList<SavedProfile>{});
            else
                ProfileStore().remember(working("ABC", "mirror", maxSize, 60, "h264", true),
                                        QStringLiteral("ABC"));
        };
        const QString path = presets ? AppPaths::savedProfilesFile() : AppPaths::learnedProfilesFile();
        write(1920);
        const QByteArray before = contents(path);
        {
            test::FileSizeLimit limit(16);
            QVERIFY_THROWS_EXCEPTION(FileSystemError, write(0));
        }
        QCOMPARE(contents(path), before);
        QCOMPARE(QDir(AppPaths::appSupportFolder()).entryList(QDir::Files),
                 QStringList{QFileInfo(path).fileName()});

        // Without a folder to write into, reading finds nothing and writing fails.
        QDir(AppPaths::appSupportFolder()).removeRecursively();
        // A file where the application folder should be: no folder can be made there, for root either.
        writeFile(m_home->path() + QStringLiteral("/.qttest/share/Quorvane"), "not a folder");
        QVERIFY(presets ? SavedProfileStore().load().isEmpty()
                        : !ProfileStore().load(QStringLiteral("ABC"), QStringLiteral("mirror")));
        QVERIFY_THROWS_EXCEPTION(FileSystemError, write(1920));
        if (presets)
            QVERIFY_THROWS_EXCEPTION(FileSystemError, SavedProfileStore::url());
    }

    void recordingDestination_data()
    {
        QTest::addColumn<QString>("serial");
        QTest::addColumn<QString>("fileName");
        QTest::newRow("no serial") << QString() << "Quorvane-14-05-09.mp4";
        QTest::newRow("wireless serial keeps its colon") << "192.168.1.20:5555"
                                                         << "Quorvane-14-05-09-192.168.1.20:5555.mp4";
        QTest::newRow("path separators never leave the folder") << "../../evil/x"
                                                                << "Quorvane-14-05-09-.._.._evil_x.mp4";
    }

    void recordingDestination()
    {
        QFETCH(QString, serial);
        QFETCH(QString, fileName);
        const MediaService media = atFixedTime();
        const std::optional<QString> device = serial.isNull() ? std::nullopt : std::optional(serial);
        const QString path = media.recordingDestination(device);
        const QString expectedFolder = media.mediaRoot() + QStringLiteral("/Recordings/2025-03-01");
        QCOMPARE(path, expectedFolder + QLatin1Char('/') + fileName);
        QVERIFY(QFileInfo(expectedFolder).isDir());
        // A relaunch within the same second gets its own file instead of recording over the first.
        test::writeFile(path);
        QCOMPARE(media.recordingDestination(device), path.chopped(4) + QStringLiteral("-2.mp4"));
    }

    void rootsFollowOverrides()
    {
        MediaService media = atFixedTime(m_home->path() + QStringLiteral("/media"));
        QCOMPARE(media.recordingsRoot(), m_home->path() + QStringLiteral("/media/Recordings"));
        QCOMPARE(media.screenshotsRoot(), m_home->path() + QStringLiteral("/media/Screenshots"));
        // The override and both its folders are made on first use.
        QVERIFY(QFileInfo(media.recordingsRoot()).isDir());
        QVERIFY(QFileInfo(media.screenshotsRoot()).isDir());
        media.recordingsOverride = m_home->path() + QStringLiteral("/mine");
        QCOMPARE(media.recordingsRoot(), m_home->path() + QStringLiteral("/mine"));
        media.screenshotsOverride = QStringLiteral("/elsewhere/shots");
        QCOMPARE(media.screenshotsRoot(), QStringLiteral("/elsewhere/shots"));
        QVERIFY(!QFileInfo::exists(QStringLiteral("/elsewhere/shots")));
    }

    void fileSizeLimit_data()
    {
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<bool>("allowed");
        QTest::newRow("exactly 500 MiB") << qint64(524288000) << true;
        QTest::newRow("one byte more") << qint64(524288001) << false;
    }

    void fileSizeLimit()
    {
        QFETCH(qint64, bytes);
        QFETCH(bool, allowed);
        QCOMPARE(MediaService::isFileSizeAllowed(bytes), allowed);
    }

    void moviesFolderAsShownIsWhereMediaGoes()
    {
        const QString shown = AppPaths::moviesFolderForDisplay();
        QVERIFY2(shown.startsWith(QStringLiteral("~/")), qPrintable(shown));
        QCOMPARE(m_home->path() + shown.mid(1) + QStringLiteral("/Quorvane"),
                 AppPaths::mediaRoot(std::nullopt));
    }

    void unwritableMediaRootFailsWithTheSystemsText()
    {
        // A file where a folder should be fails for root and ordinary users alike.
        const QString root =
            test::writeFile(m_home->file(QStringLiteral("blocked"))) + QStringLiteral("/media");
        try {
            AppPaths::mediaRoot(root);
            QFAIL("creating a folder under a file must fail");
        } catch (const FileSystemError &error) {
            QCOMPARE(
                error.text(),
                QStringLiteral("Could not create the folder “%1/Recordings”: Not a directory.").arg(root));
        }
        QVERIFY(!QFileInfo::exists(root + QStringLiteral("/Screenshots")));
    }
};

// "--remember PREFIX COUNT" makes this program one writer of concurrentWritersKeepEveryEntry.
int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    if (argc == 4 && qstrcmp(argv[1], "--remember") == 0)
        return rememberMany(QString::fromLocal8Bit(argv[2]), QByteArray(argv[3]).toInt());
    TestUserFiles test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}
#include "tst_userfiles.moc"
