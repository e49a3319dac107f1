#include "backup.h"
#include "dm.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>
#include <sys/stat.h>

#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace {

ino_t inodeOf(const QString &path)
{
    struct stat status
    {
    };
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? status.st_ino : 0;
}

int countOf(const QString &path, const char *sql)
{
    sqlite3 *db = nullptr;
    sqlite3_stmt *stmt = nullptr;
    int count = -1;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr) ==
            SQLITE_OK &&
        sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr) == SQLITE_OK &&
        sqlite3_step(stmt) == SQLITE_ROW)
        count = sqlite3_column_int(stmt, 0);
    sqlite3_finalize(stmt);
    sqlite3_close(db);
    return count;
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

class TestExchange : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_previousFolder;
    const QDateTime m_now{QDate(2026, 12, 11), QTime(14, 5)};

    QString path(const QString &name) const { return QDir(m_dir->path()).filePath(name); }

private Q_SLOTS:
    // A program folder with a collection of three stamps in two countries, two pictures and
    // the placeholder.
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_previousFolder = QDir::currentPath();
        QVERIFY(QDir::setCurrent(m_dir->path()));
        QVERIFY(TDM::CreateDataFolderIfMissing());
        {
            TDM dm;
            dm.OpenTables();
            for (const QString &country : {u"Danmark"_s, u"Norge"_s}) {
                dm.LandTable->Append();
                dm.LandTable->FieldByName(u"Land"_s)->setAsString(country);
                dm.LandTable->Post();
            }
            for (const QString &catalogue : {u"AFA 1"_s, u"AFA 2"_s, u"AFA 3"_s}) {
                dm.FrimTable->Append();
                dm.FrimTableKatalog->setAsString(catalogue);
                dm.FrimTable->Post();
            }
        }
        QVERIFY(QDir().mkdir(path(u"Billeder"_s)));
        writeFile(path(u"Billeder/1.jpg"_s), QByteArray(1000, 'a'));
        writeFile(path(u"Billeder/2.jpg"_s), QByteArray(2000, 'b'));
        writeFile(path(u"Billeder/Ingen.jpg"_s), QByteArray(500, 'c'));
    }

    void cleanup()
    {
        QDir::setCurrent(m_previousFolder);
        m_dir.reset();
    }

    void aBackupHoldsTheWholeCollection()
    {
        // The program is open with the overview filtered and sorted and a stamp in edit.
        TDM dm;
        dm.OpenTables();
        dm.FrimAllTable->setFilter(u"Katalog = 'AFA 2'"_s);
        dm.FrimAllTable->setFiltered(true);
        dm.FrimAllTable->setIndexName(u"IndexKatalog"_s);
        dm.FrimTable->Edit();
        dm.FrimTableKatalog->setAsString(u"Ændret"_s);
        const Backup::Info info = Backup::write(path(u"Data"_s), path(u"Billeder"_s),
                                                path(u"Sikkerhedskopier"_s), false, m_now);
        QCOMPARE(QFileInfo(info.folder).fileName(), u"Albumino 2026-12-11 14.05"_s);
        QCOMPARE(info.stamps, 3);
        QCOMPARE(info.countries, 2);
        QCOMPARE(info.pictures, 2);
        for (const QString &file : Backup::tableFiles())
            QVERIFY2(QFileInfo::exists(QDir(info.folder).filePath(u"Data/"_s + file)),
                     qPrintable(file));
        QVERIFY(QFileInfo::exists(QDir(info.folder).filePath(u"Billeder/2.jpg"_s)));
        QVERIFY(!QFileInfo::exists(QDir(info.folder).filePath(u"Billeder/Ingen.jpg"_s)));
        // The pending edit is the program's to save; the copy holds what was saved.
        const QString stamps = QDir(info.folder).filePath(u"Data/Tmb_Mark.DB"_s);
        QCOMPARE(countOf(stamps, "SELECT COUNT(*) FROM Tmb_Mark"), 3);
        QCOMPARE(countOf(stamps, "SELECT COUNT(*) FROM Tmb_Mark WHERE Katalog = 'Ændret'"), 0);
        const QList<Backup::Info> listed = Backup::list(path(u"Sikkerhedskopier"_s));
        QCOMPARE(listed.size(), 1);
        QCOMPARE(listed.first().made, m_now);
        QCOMPARE(listed.first().stamps, 3);
        QVERIFY(!listed.first().automatic);
    }

    void unchangedPicturesAreLinkedNotCopied()
    {
        const QString into = path(u"Sikkerhedskopier"_s);
        const Backup::Info first =
            Backup::write(path(u"Data"_s), path(u"Billeder"_s), into, true, m_now);
        writeFile(path(u"Billeder/2.jpg"_s), QByteArray(2500, 'd'));
        const Backup::Info second =
            Backup::write(path(u"Data"_s), path(u"Billeder"_s), into, true, m_now.addSecs(60));
        QCOMPARE(inodeOf(QDir(second.folder).filePath(u"Billeder/1.jpg"_s)),
                 inodeOf(QDir(first.folder).filePath(u"Billeder/1.jpg"_s)));
        QVERIFY(inodeOf(QDir(second.folder).filePath(u"Billeder/2.jpg"_s)) !=
                inodeOf(QDir(first.folder).filePath(u"Billeder/2.jpg"_s)));
        QCOMPARE(QFileInfo(QDir(second.folder).filePath(u"Billeder/2.jpg"_s)).size(), 2500);
        // A second backup in the same minute gets a name of its own.
        const Backup::Info again =
            Backup::write(path(u"Data"_s), path(u"Billeder"_s), into, true, m_now.addSecs(60));
        QCOMPARE(QFileInfo(again.folder).fileName(), u"Albumino 2026-12-11 14.06 (2)"_s);
    }

    void rotationKeepsTenAutomaticAndEveryManual()
    {
        const QString into = path(u"Sikkerhedskopier"_s);
        for (int i = 0; i < 14; ++i)
            Backup::write(path(u"Data"_s), path(u"Billeder"_s), into, i % 7 != 3,
                          m_now.addSecs(60 * i));
        Backup::rotate(into, 10);
        const QList<Backup::Info> left = Backup::list(into);
        QCOMPARE(left.size(), 12);
        QCOMPARE(std::count_if(left.begin(), left.end(),
                               [](const Backup::Info &info) { return !info.automatic; }),
                 2);
        // The newest are kept.
        QCOMPARE(left.first().made, m_now.addSecs(60 * 13));
        QVERIFY(std::none_of(left.begin(), left.end(), [&](const Backup::Info &info) {
            return info.made == m_now; // the oldest, automatic
        }));
    }

    void aTableThatCannotBeReadLeavesNoBackup()
    {
        // Another program holds the stamp file.
        sqlite3 *locker = nullptr;
        QCOMPARE(sqlite3_open(QFile::encodeName(path(u"Data/Tmb_Mark.DB"_s)).constData(), &locker),
                 SQLITE_OK);
        QCOMPARE(sqlite3_exec(locker, "BEGIN EXCLUSIVE; DELETE FROM Tmb_Mark;", nullptr, nullptr,
                              nullptr),
                 SQLITE_OK);
        const QString into = path(u"Sikkerhedskopier"_s);
        try {
            Backup::write(path(u"Data"_s), path(u"Billeder"_s), into, false, m_now);
            QFAIL("a backup of a locked table was reported as made");
        } catch (const Backup::EBackupError &error) {
            QVERIFY2(QString::fromUtf8(error.what()).contains(u"Tmb_Mark.DB"_s), error.what());
        }
        sqlite3_exec(locker, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(locker);
        QCOMPARE(QDir(into).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList());
    }
};

QTEST_GUILESS_MAIN(TestExchange)

#include "tst_exchange.moc"
