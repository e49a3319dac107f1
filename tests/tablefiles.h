#pragma once

#include <QByteArray>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QString>

#include <sqlite3.h>

// What the suites do to table files from outside the program: run SQL through a connection
// of their own, take a file's digest, and damage a file in the ways a collector's disk can.
namespace TableFiles {

// The error text, empty when the SQL ran.
inline QString runSql(const QString &path, const QString &sql)
{
    sqlite3 *db = nullptr;
    QString error;
    if (sqlite3_open(QFile::encodeName(path).constData(), &db) != SQLITE_OK) {
        error = QString::fromUtf8(sqlite3_errmsg(db));
    } else {
        char *message = nullptr;
        if (sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &message) != SQLITE_OK)
            error = message ? QString::fromUtf8(message) : QStringLiteral("failed");
        sqlite3_free(message);
    }
    sqlite3_close(db);
    return error;
}

inline QByteArray digest(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

inline QMap<QString, QByteArray> folderDigests(const QString &folder)
{
    QMap<QString, QByteArray> digests;
    for (const QString &name : QDir(folder).entryList(QDir::Files | QDir::Hidden))
        digests.insert(name, digest(QDir(folder).filePath(name)));
    return digests;
}

// "remove", "empty", "truncate" (half of it), "random" (the same noise every time) or
// "drop COLUMN" of the file's table. False when the damage could not be done.
inline bool damage(const QString &path, const QString &how)
{
    QFile file(path);
    if (how == QLatin1String("remove"))
        return file.remove();
    if (how == QLatin1String("empty"))
        return file.resize(0);
    if (how == QLatin1String("truncate"))
        return file.resize(file.size() / 2);
    if (how == QLatin1String("random")) {
        QByteArray noise(64 * 1024, '\0');
        for (qsizetype i = 0; i < noise.size(); ++i)
            noise[i] = char((i * 7919 + 13) % 251);
        return file.open(QIODevice::WriteOnly) && file.write(noise) == noise.size();
    }
    if (how.startsWith(QLatin1String("drop "))) {
        const QString table = QFileInfo(path).completeBaseName();
        return runSql(path, QStringLiteral("ALTER TABLE \"%1\" DROP COLUMN \"%2\"")
                                .arg(table, how.section(u' ', 1)))
            .isEmpty();
    }
    return false;
}

} // namespace TableFiles
