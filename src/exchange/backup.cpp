#include "backup.h"

#include "collectionschema.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QUuid>

#include <sqlite3.h>

#include <algorithm>
#include <filesystem>
#include <memory>

using namespace Qt::Literals::StringLiterals;

namespace Backup {

namespace {

constexpr char16_t kManifest[] = u"manifest.json";
// A backup being written; never taken for a backup, and removed by the next one.
constexpr char16_t kPartialPrefix[] = u".albumino-backup-";

[[noreturn]] void fail(const QString &message)
{
    throw EBackupError(message.toStdString());
}

// One SQLite connection, closed however the work ends.
class Connection
{
public:
    Connection(const QString &path, int flags)
    {
        if (sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, flags, nullptr) !=
            SQLITE_OK)
            fail(u"%1: %2"_s.arg(QFileInfo(path).fileName(), error()));
        sqlite3_busy_timeout(m_db, 1500);
    }
    ~Connection() { sqlite3_close_v2(m_db); }
    Connection(const Connection &) = delete;
    Connection &operator=(const Connection &) = delete;

    sqlite3 *handle() const { return m_db; }
    QString error() const
    {
        return m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : u"cannot be opened"_s;
    }
    // The first column of the first row, as text.
    QString value(const char *sql) const
    {
        sqlite3_stmt *stmt = nullptr;
        QString result;
        if (sqlite3_prepare_v2(m_db, sql, -1, &stmt, nullptr) == SQLITE_OK &&
            sqlite3_step(stmt) == SQLITE_ROW)
            result =
                QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, 0)));
        sqlite3_finalize(stmt);
        return result;
    }

private:
    sqlite3 *m_db = nullptr;
};

QString tableOf(const QString &fileName)
{
    return QFileInfo(fileName).completeBaseName();
}

int recordCount(const Connection &file, const QString &fileName)
{
    const QByteArray sql = "SELECT COUNT(*) FROM \"" + tableOf(fileName).toUtf8() + '"';
    bool ok = false;
    const int count = file.value(sql.constData()).toInt(&ok);
    if (!ok)
        fail(u"%1: the records cannot be counted (%2)"_s.arg(fileName, file.error()));
    return count;
}

// Copies a table file with SQLite's online backup, consistent even while it is open.
void copyTable(const QString &source, const QString &target, const QString &fileName)
{
    Connection from(source, SQLITE_OPEN_READONLY);
    Connection to(target, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    sqlite3_backup *backup = sqlite3_backup_init(to.handle(), "main", from.handle(), "main");
    if (!backup)
        fail(u"%1 cannot be copied: %2"_s.arg(fileName, to.error()));
    const int stepped = sqlite3_backup_step(backup, -1);
    sqlite3_backup_finish(backup);
    if (stepped != SQLITE_DONE)
        fail(
            u"%1 cannot be copied: %2"_s.arg(fileName, QString::fromUtf8(sqlite3_errstr(stepped))));
}

// A stamp's picture: its number and ".jpg"; the placeholder is the program's, not the user's.
bool isStampPicture(const QString &name)
{
    static const QRegularExpression picture(u"^[0-9]+\\.jpg$"_s,
                                            QRegularExpression::CaseInsensitiveOption);
    return picture.match(name).hasMatch();
}

// Takes the same picture from the previous backup when it is unchanged (same size and time):
// a hard link costs nothing. Elsewhere, and where links are refused, a copy with the
// picture's time, so that the next backup can tell it is unchanged.
void placePicture(const QFileInfo &source, const QString &target, const QString &previous)
{
    namespace fs = std::filesystem;
    const fs::path from(QFile::encodeName(source.filePath()).constData());
    const fs::path to(QFile::encodeName(target).constData());
    std::error_code error;
    if (!previous.isEmpty()) {
        const fs::path earlier(QFile::encodeName(previous).constData());
        std::error_code missing;
        const bool unchanged =
            fs::file_size(earlier, missing) == fs::file_size(from, error) &&
            fs::last_write_time(earlier, missing) == fs::last_write_time(from, error) && !missing;
        if (unchanged) {
            std::error_code refused;
            fs::create_hard_link(earlier, to, refused);
            if (!refused)
                return;
        }
    }
    if (!fs::copy_file(from, to, fs::copy_options::overwrite_existing, error))
        fail(u"%1 cannot be copied to the backup: %2"_s.arg(
            source.fileName(), QString::fromStdString(error.message())));
    fs::last_write_time(to, fs::last_write_time(from, error), error);
}

QString backupName(const QDateTime &made)
{
    return u"Albumino "_s + made.toString(u"yyyy-MM-dd hh.mm"_s);
}

Info readManifest(const QString &folder)
{
    QFile file(QDir(folder).filePath(QString::fromUtf16(kManifest)));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QJsonObject manifest = QJsonDocument::fromJson(file.readAll()).object();
    Info info;
    info.folder = folder;
    info.made = QDateTime::fromString(manifest.value(u"made"_s).toString(), Qt::ISODate);
    info.automatic = manifest.value(u"automatic"_s).toBool();
    info.stamps = manifest.value(u"stamps"_s).toInt();
    info.countries = manifest.value(u"countries"_s).toInt();
    info.pictures = manifest.value(u"pictures"_s).toInt();
    return info;
}

} // namespace

const QStringList &tableFiles()
{
    static const QStringList files = [] {
        QStringList names;
        for (const TTableDef *table : CollectionSchema::all())
            names.append(table->fileName);
        return names;
    }();
    return files;
}

Info write(const QString &dataFolder, const QString &picturesFolder, const QString &into,
           bool automatic, const QDateTime &now)
{
    QDir target(into);
    if (!target.exists() && !QDir().mkpath(into))
        fail(u"The folder %1 cannot be made"_s.arg(QDir::toNativeSeparators(into)));
    // What an interrupted backup left behind.
    for (const QString &left :
         target.entryList({QString::fromUtf16(kPartialPrefix) + u'*'}, QDir::Dirs | QDir::Hidden))
        QDir(target.filePath(left)).removeRecursively();
    const QList<Info> earlier = list(into);
    const QString previousPictures =
        earlier.isEmpty() ? QString() : QDir(earlier.first().folder).filePath(u"Billeder"_s);

    const QString partial = target.filePath(QString::fromUtf16(kPartialPrefix) +
                                            QUuid::createUuid().toString(QUuid::WithoutBraces));
    struct Cleanup
    {
        QString folder;
        ~Cleanup()
        {
            if (!folder.isEmpty())
                QDir(folder).removeRecursively();
        }
    } cleanup{partial};
    if (!QDir().mkpath(QDir(partial).filePath(u"Data"_s)) ||
        !QDir().mkpath(QDir(partial).filePath(u"Billeder"_s)))
        fail(u"The folder %1 cannot be written"_s.arg(QDir::toNativeSeparators(into)));

    Info info;
    info.made = now;
    info.automatic = automatic;
    QJsonArray files;
    for (const QString &name : tableFiles()) {
        const QString source = QDir(dataFolder).filePath(name);
        const QString copy = QDir(partial).filePath(u"Data/"_s + name);
        if (!QFileInfo::exists(source))
            fail(u"%1: the table file does not exist"_s.arg(name));
        copyTable(source, copy, name);
        // The copy must read whole and hold what the file held.
        const Connection original(source, SQLITE_OPEN_READONLY);
        const Connection copied(copy, SQLITE_OPEN_READONLY);
        if (copied.value("PRAGMA integrity_check") != u"ok"_s)
            fail(u"%1: the copy does not read whole"_s.arg(name));
        const int count = recordCount(copied, name);
        if (count != recordCount(original, name))
            fail(u"%1: the copy does not hold every record"_s.arg(name));
        if (name == u"Tmb_Mark.DB"_s)
            info.stamps = count;
        else if (name == u"Tmb_Land.db"_s)
            info.countries = count;
        files.append(
            QJsonObject{{u"name"_s, u"Data/"_s + name}, {u"size"_s, QFileInfo(copy).size()}});
    }
    const QDir pictures(picturesFolder);
    for (const QFileInfo &picture : pictures.entryInfoList(QDir::Files)) {
        if (!isStampPicture(picture.fileName()))
            continue;
        const QString copy = QDir(partial).filePath(u"Billeder/"_s + picture.fileName());
        placePicture(picture, copy,
                     previousPictures.isEmpty()
                         ? QString()
                         : QDir(previousPictures).filePath(picture.fileName()));
        if (QFileInfo(copy).size() != picture.size())
            fail(u"%1: the copy in the backup is not whole"_s.arg(picture.fileName()));
        files.append(QJsonObject{{u"name"_s, u"Billeder/"_s + picture.fileName()},
                                 {u"size"_s, picture.size()}});
        ++info.pictures;
    }

    const QJsonObject manifest{{u"made"_s, now.toString(Qt::ISODateWithMs)},
                               {u"version"_s, QCoreApplication::applicationVersion()},
                               {u"automatic"_s, automatic},
                               {u"stamps"_s, info.stamps},
                               {u"countries"_s, info.countries},
                               {u"pictures"_s, info.pictures},
                               {u"files"_s, files}};
    QFile manifestFile(QDir(partial).filePath(QString::fromUtf16(kManifest)));
    const QByteArray bytes = QJsonDocument(manifest).toJson();
    if (!manifestFile.open(QIODevice::WriteOnly) || manifestFile.write(bytes) != bytes.size() ||
        !manifestFile.flush())
        fail(u"The backup's list of contents cannot be written"_s);
    manifestFile.close();

    // The dated name, with a number when one of the same minute exists.
    QString name = backupName(now);
    for (int n = 2; target.exists(name); ++n)
        name = backupName(now) + u" (%1)"_s.arg(n);
    if (!target.rename(QFileInfo(partial).fileName(), name))
        fail(u"The backup cannot be named %1"_s.arg(name));
    cleanup.folder.clear();
    info.folder = target.filePath(name);
    return info;
}

QList<Info> list(const QString &folder)
{
    QList<Info> backups;
    const QDir dir(folder);
    for (const QString &name : dir.entryList({u"Albumino *"_s}, QDir::Dirs)) {
        Info info = readManifest(dir.filePath(name));
        if (info.made.isValid())
            backups.append(info);
    }
    std::sort(backups.begin(), backups.end(), [](const Info &a, const Info &b) {
        return a.made != b.made ? a.made > b.made : a.folder > b.folder;
    });
    return backups;
}

void rotate(const QString &folder, int keep)
{
    int automatic = 0;
    for (const Info &info : list(folder))
        if (info.automatic && ++automatic > keep)
            QDir(info.folder).removeRecursively();
}

} // namespace Backup
