#include "sqlitefile.h"

#include "databaseerror.h"

#include <QFileInfo>
#include <QHash>

#include <sqlite3.h>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

// Weak references: the file closes when its last cursor closes.
QHash<QString, std::weak_ptr<SqliteFile>> &openFiles()
{
    static QHash<QString, std::weak_ptr<SqliteFile>> files;
    return files;
}

constexpr int kBusyTimeoutMs = 1500;

} // namespace

SqliteFile::SqliteFile(sqlite3 *db, QString path, QString displayName)
    : m_db(db), m_path(std::move(path)), m_displayName(std::move(displayName))
{}

SqliteFile::~SqliteFile()
{
    openFiles().remove(m_path);
    sqlite3_close_v2(m_db);
}

std::shared_ptr<SqliteFile> SqliteFile::open(const QString &path, const QString &displayName)
{
    const QString key = QFileInfo(path).absoluteFilePath();
    if (auto existing = openFiles().value(key).lock())
        return existing;
    const QFileInfo info(key);
    if (!info.exists())
        throw EDatabaseError(u"%1: the table file does not exist"_s.arg(displayName));
    if (!info.isFile())
        throw EDatabaseError(u"%1: this is not a table file"_s.arg(displayName));
    return connect(key, displayName, false);
}

std::shared_ptr<SqliteFile> SqliteFile::create(const QString &path, const QString &displayName)
{
    const QString key = QFileInfo(path).absoluteFilePath();
    if (QFileInfo::exists(key))
        throw EDatabaseError(u"%1: the table file exists already"_s.arg(displayName));
    return connect(key, displayName, true);
}

std::shared_ptr<SqliteFile> SqliteFile::connect(const QString &key, const QString &displayName,
                                                bool create)
{
    sqlite3 *db = nullptr;
    const int flags =
        SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | (create ? SQLITE_OPEN_CREATE : 0);
    const int rc = sqlite3_open_v2(QFile::encodeName(key).constData(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        const QString reason =
            db ? QString::fromUtf8(sqlite3_errmsg(db)) : QString::fromUtf8(sqlite3_errstr(rc));
        sqlite3_close_v2(db);
        throw EDatabaseError(u"%1: the table file cannot be %2 (%3)"_s.arg(
            displayName, create ? u"created"_s : u"opened"_s, reason));
    }
    std::shared_ptr<SqliteFile> file(new SqliteFile(db, key, displayName));
    sqlite3_busy_timeout(db, kBusyTimeoutMs);
    sqlite3_extended_result_codes(db, 1);
    // Every post is durable: a crash or power cut loses at most an unposted edit.
    file->execute("PRAGMA synchronous = FULL");
    openFiles().insert(key, file);
    return file;
}

void SqliteFile::addListener(RecordChangeListener *listener)
{
    m_listeners.push_back(listener);
}

void SqliteFile::removeListener(RecordChangeListener *listener)
{
    std::erase(m_listeners, listener);
}

void SqliteFile::announce(qint64 key, bool deleted, const RecordChangeListener *from)
{
    // A listener may close (and leave) or open cursors while it is told: walk a copy and
    // skip those that left meanwhile.
    const std::vector<RecordChangeListener *> listeners = m_listeners;
    for (RecordChangeListener *listener : listeners)
        if (listener != from &&
            std::find(m_listeners.begin(), m_listeners.end(), listener) != m_listeners.end())
            listener->recordChanged(key, deleted);
}

void SqliteFile::fail(const QString &what) const
{
    const int code = sqlite3_extended_errcode(m_db);
    QString reason = QString::fromUtf8(sqlite3_errmsg(m_db));
    switch (code & 0xFF) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        reason = u"the file is locked by another program"_s;
        break;
    case SQLITE_NOTADB:
        reason = u"the file is not a table file or is damaged"_s;
        break;
    case SQLITE_CORRUPT:
        reason = u"the file is damaged"_s;
        break;
    case SQLITE_READONLY:
        reason = u"the file or its folder is read-only"_s;
        break;
    case SQLITE_FULL:
        reason = u"the disk is full"_s;
        break;
    case SQLITE_CONSTRAINT:
        reason = u"key violation (%1)"_s.arg(reason);
        break;
    default:
        break;
    }
    throw EDatabaseError(u"%1: %2: %3"_s.arg(m_displayName, what, reason));
}

void SqliteFile::execute(const char *sql)
{
    char *error = nullptr;
    if (sqlite3_exec(m_db, sql, nullptr, nullptr, &error) != SQLITE_OK) {
        sqlite3_free(error);
        fail(u"cannot run \"%1\""_s.arg(QString::fromUtf8(sql)));
    }
}

Statement::Statement(SqliteFile &file, const QString &sql) : m_file(&file)
{
    const QByteArray utf8 = sql.toUtf8();
    if (sqlite3_prepare_v3(file.handle(), utf8.constData(), int(utf8.size()),
                           SQLITE_PREPARE_PERSISTENT, &m_stmt, nullptr) != SQLITE_OK) {
        m_stmt = nullptr;
        file.fail(u"cannot read the table"_s);
    }
}

Statement::Statement(Statement &&other) noexcept
    : m_file(std::exchange(other.m_file, nullptr)), m_stmt(std::exchange(other.m_stmt, nullptr))
{}

Statement &Statement::operator=(Statement &&other) noexcept
{
    if (this != &other) {
        sqlite3_finalize(m_stmt);
        m_file = std::exchange(other.m_file, nullptr);
        m_stmt = std::exchange(other.m_stmt, nullptr);
    }
    return *this;
}

Statement::~Statement()
{
    sqlite3_finalize(m_stmt);
}

void Statement::bind(int index, const QVariant &value)
{
    int rc = SQLITE_OK;
    if (value.isNull()) {
        rc = sqlite3_bind_null(m_stmt, index);
    } else {
        switch (value.typeId()) {
        case QMetaType::Int:
        case QMetaType::LongLong:
        case QMetaType::UInt:
        case QMetaType::Bool:
            rc = sqlite3_bind_int64(m_stmt, index, value.toLongLong());
            break;
        case QMetaType::Double:
            rc = sqlite3_bind_double(m_stmt, index, value.toDouble());
            break;
        case QMetaType::QByteArray: {
            const QByteArray bytes = value.toByteArray();
            rc = sqlite3_bind_blob64(m_stmt, index, bytes.constData(), sqlite3_uint64(bytes.size()),
                                     SQLITE_TRANSIENT);
            break;
        }
        default: {
            const QByteArray utf8 = value.toString().toUtf8();
            rc = sqlite3_bind_text64(m_stmt, index, utf8.constData(), sqlite3_uint64(utf8.size()),
                                     SQLITE_TRANSIENT, SQLITE_UTF8);
            break;
        }
        }
    }
    if (rc != SQLITE_OK)
        m_file->fail(u"cannot pass a value"_s);
}

void Statement::bindAll(const std::vector<QVariant> &values, int first)
{
    for (size_t i = 0; i < values.size(); ++i)
        bind(first + int(i), values[i]);
}

bool Statement::step()
{
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    sqlite3_reset(m_stmt);
    m_file->fail(sqlite3_stmt_readonly(m_stmt) ? u"cannot read the table"_s
                                               : u"cannot write the record"_s);
}

QByteArrayView Statement::bytes(int column) const
{
    // The text first, then its length, as SQLite asks.
    const auto *data = reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, column));
    return QByteArrayView(data, sqlite3_column_bytes(m_stmt, column));
}

void Statement::reset()
{
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
}

WriteTransaction::WriteTransaction(SqliteFile &file) : m_file(file)
{
    if (sqlite3_exec(file.handle(), "BEGIN IMMEDIATE", nullptr, nullptr, nullptr) != SQLITE_OK)
        file.fail(u"cannot write"_s);
    m_open = true;
}

WriteTransaction::~WriteTransaction()
{
    if (m_open)
        sqlite3_exec(m_file.handle(), "ROLLBACK", nullptr, nullptr, nullptr);
}

void WriteTransaction::commit()
{
    if (sqlite3_exec(m_file.handle(), "COMMIT", nullptr, nullptr, nullptr) != SQLITE_OK)
        m_file.fail(u"cannot save"_s);
    m_open = false;
    m_file.noteWrite();
}

QString quoteIdentifier(const QString &name)
{
    QString quoted = name;
    quoted.replace(u'"', u"\"\""_s);
    return u'"' + quoted + u'"';
}
