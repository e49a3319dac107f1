#pragma once

// Backups of the collection, made while the program is open.
//
// A backup is a folder "Albumino 2026-12-11 14.05" holding Data/ (the nine table files,
// copied with SQLite's online backup so that the copy is consistent), Billeder/ (the
// stamps' pictures, without the placeholder) and manifest.json (when, by which version,
// automatic or by hand, the counts, every file with its size). It is written under a
// temporary name, verified (integrity check and record count of every table, every
// picture with its size) and only then renamed to its dated name, so an interrupted backup
// leaves nothing that looks like one. A picture unchanged since the newest backup in the
// same folder is hard-linked from it instead of copied again.

#include <QDateTime>
#include <QList>
#include <QString>

#include <stdexcept>

namespace Backup {

// A backup that cannot be written or read; the message says why, naming the file.
class EBackupError : public std::runtime_error
{
public:
    using std::runtime_error::runtime_error;
};

struct Info
{
    QString folder; // the backup's own folder
    QDateTime made;
    bool automatic = false;
    int stamps = 0;
    int countries = 0;
    int pictures = 0;
};

// Writes a backup of the table files in `dataFolder` and the pictures in `picturesFolder`
// into a new dated folder inside `into` (created if missing). Returns what it holds.
Info write(const QString &dataFolder, const QString &picturesFolder, const QString &into,
           bool automatic, const QDateTime &now = QDateTime::currentDateTime());

// The backups in `folder`, newest first; folders that are not whole backups are skipped.
QList<Info> list(const QString &folder);

// Removes the automatic backups in `folder` beyond the newest `keep`; backups made by hand
// are never removed.
void rotate(const QString &folder, int keep);

// The names of the table files a collection consists of, as the collection defines them.
const QStringList &tableFiles();

} // namespace Backup
