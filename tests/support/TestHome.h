#pragma once

#include <QString>
#include <QTemporaryDir>
#include <QVariant>

namespace quorvane::test {

// A fresh, empty home folder for one test: standard paths point inside it until it is destroyed.
class TestHome
{
public:
    TestHome();
    ~TestHome();
    TestHome(const TestHome &) = delete;
    TestHome &operator=(const TestHome &) = delete;

    QString path() const { return m_dir.path(); }
    // A file path inside the home; the folders on the way are created.
    QString file(const QString &relative) const;
    // Writes one of the application's per-user defaults where a child process of this home reads them.
    void writeUserDefault(const QString &key, const QVariant &value) const;

private:
    QTemporaryDir m_dir;
    QByteArray m_previousHome;
};

// Writes the bytes to a file, making the folders on the way, and returns its path.
QString writeFile(const QString &path, const QByteArray &bytes = {});
// Writes an executable script (a stand-in tool for tests) and returns its path.
QString writeExecutable(const QString &path, const QString &script);

} // namespace quorvane::test
