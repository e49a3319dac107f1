#pragma once

#include <QByteArrayView>
#include <QString>
#include <QVariant>

#include <memory>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

// A cursor that follows what the other cursors on its file commit.
class RecordChangeListener
{
public:
    // After the commit: the record with this key was added or changed, or deleted.
    virtual void recordChanged(qint64 key, bool deleted) = 0;

protected:
    ~RecordChangeListener() = default;
};

// One open SQLite connection per table file, shared by every cursor on that file in this
// process, so that two cursors on the stamp file see one another's posts and never lock
// each other out. Internal to the table engine.
class SqliteFile
{
public:
    // Opens an existing file for reading and writing; never creates one.
    static std::shared_ptr<SqliteFile> open(const QString &path, const QString &displayName);
    // Creates a new file; fails if it exists.
    static std::shared_ptr<SqliteFile> create(const QString &path, const QString &displayName);
    ~SqliteFile();

    sqlite3 *handle() const { return m_db; }
    const QString &displayName() const { return m_displayName; }
    // Counts the writes through this connection, so cursors know when cached rows are stale.
    quint64 dataVersion() const { return m_dataVersion; }
    void noteWrite() { ++m_dataVersion; }

    // The cursors open on this file. A committed change is announced to every one but the
    // cursor that made it, which keeps itself current.
    void addListener(RecordChangeListener *listener);
    void removeListener(RecordChangeListener *listener);
    void announce(qint64 key, bool deleted, const RecordChangeListener *from);

    [[noreturn]] void fail(const QString &what) const;
    void execute(const char *sql);

private:
    SqliteFile(sqlite3 *db, QString path, QString displayName);
    static std::shared_ptr<SqliteFile> connect(const QString &key, const QString &displayName,
                                               bool create);
    sqlite3 *m_db;
    QString m_path;
    QString m_displayName;
    quint64 m_dataVersion = 0;
    std::vector<RecordChangeListener *> m_listeners;
};

// A prepared statement that resets itself and fails through its file's error.
class Statement
{
public:
    Statement() = default;
    Statement(SqliteFile &file, const QString &sql);
    Statement(Statement &&other) noexcept;
    Statement &operator=(Statement &&other) noexcept;
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;
    ~Statement();

    bool isValid() const { return m_stmt != nullptr; }
    sqlite3_stmt *handle() const { return m_stmt; }
    void bind(int index, const QVariant &value);
    void bindAll(const std::vector<QVariant> &values, int first = 1);
    bool step(); // true while there is a row
    void reset();
    // A column of the current row: its UTF-8 bytes (valid until the next step) or its text.
    QByteArrayView bytes(int column) const;
    QString text(int column) const { return QString::fromUtf8(bytes(column)); }

private:
    SqliteFile *m_file = nullptr;
    sqlite3_stmt *m_stmt = nullptr;
};

// BEGIN IMMEDIATE ... COMMIT; rolls back unless committed.
class WriteTransaction
{
public:
    explicit WriteTransaction(SqliteFile &file);
    ~WriteTransaction();
    void commit();

private:
    SqliteFile &m_file;
    bool m_open = false;
};

QString quoteIdentifier(const QString &name);
