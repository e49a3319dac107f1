// Kills a program that saves stamps, at random moments, and checks after each kill that
// every stamp it reported as saved is in the collection exactly as saved, that the nine
// files are sound and that the data module opens them and saves again.
//
// Built with ALBUMINO_CRASH_BENCH this is the long form instead: a main that runs many
// kills and prints the counts.

#include "collectionschema.h"
#include "crashvalues.h"
#include "databaseerror.h"
#include "dm.h"
#include "tablefiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHash>
#include <QMap>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <sqlite3.h>

#include <csignal>
#include <cstdio>
#include <optional>
#include <signal.h>
#include <sys/types.h>

using namespace Qt::Literals::StringLiterals;

namespace {

// A stamp's fields as the file holds them, as text; empty for an empty field.
using Record = QMap<QString, QString>;

// How long a child may go without a sign of life before it is taken as hung.
constexpr int kChildTimeoutMs = 30000;

QString decoded(const QByteArray &text)
{
    return QString::fromUtf8(QByteArray::fromPercentEncoding(text));
}

// The cell's text, written the way the child writes the values it saved.
QString cellText(sqlite3_stmt *statement, int column)
{
    switch (sqlite3_column_type(statement, column)) {
    case SQLITE_NULL:
        return {};
    case SQLITE_INTEGER:
        return QString::number(sqlite3_column_int64(statement, column));
    case SQLITE_FLOAT:
        return QString::number(sqlite3_column_double(statement, column), 'g', 17);
    default: {
        const auto *bytes = static_cast<const char *>(sqlite3_column_blob(statement, column));
        return QString::fromUtf8(bytes, sqlite3_column_bytes(statement, column));
    }
    }
}

// Reads a table file through its own read-only connection, apart from the data module.
class ReadOnlyFile
{
public:
    explicit ReadOnlyFile(const QString &path)
    {
        if (sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, SQLITE_OPEN_READONLY,
                            nullptr) != SQLITE_OK)
            fail();
    }
    ~ReadOnlyFile() { sqlite3_close_v2(m_db); }
    ReadOnlyFile(const ReadOnlyFile &) = delete;
    ReadOnlyFile &operator=(const ReadOnlyFile &) = delete;

    // The rows, each keyed by column name; empty with error() set when it fails.
    std::vector<Record> rows(const QString &sql)
    {
        std::vector<Record> result;
        if (!m_error.isEmpty())
            return result;
        sqlite3_stmt *statement = nullptr;
        if (sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &statement, nullptr) !=
            SQLITE_OK) {
            fail();
            return result;
        }
        int rc;
        while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
            Record row;
            for (int i = 0; i < sqlite3_column_count(statement); ++i)
                row.insert(QString::fromUtf8(sqlite3_column_name(statement, i)),
                           cellText(statement, i));
            result.push_back(row);
        }
        if (rc != SQLITE_DONE)
            fail();
        sqlite3_finalize(statement);
        return result;
    }

    // The integrity check's verdict, "ok" for a sound file.
    QString integrity()
    {
        const std::vector<Record> check = rows(u"PRAGMA integrity_check"_s);
        if (check.size() == 1 && check.front().first() == u"ok")
            return u"ok"_s;
        QStringList lines{m_error};
        for (const Record &row : check)
            lines << row.first();
        return lines.join(u' ');
    }

    const QString &error() const { return m_error; }
    int code() const { return m_code; }

private:
    void fail()
    {
        m_error = QString::fromUtf8(sqlite3_errmsg(m_db));
        m_code = sqlite3_extended_errcode(m_db);
    }

    sqlite3 *m_db = nullptr;
    QString m_error;
    int m_code = SQLITE_OK;
};

QString tableOf(const TTableDef &definition)
{
    return u'"' + QFileInfo(definition.fileName).completeBaseName() + u'"';
}

// The working folder is where the data module finds "Data".
class WorkingFolder
{
public:
    explicit WorkingFolder(const QString &folder) : m_previous(QDir::currentPath())
    {
        QDir::setCurrent(folder);
    }
    ~WorkingFolder() { QDir::setCurrent(m_previous); }

private:
    QString m_previous;
};

struct CrashCounts
{
    int kills = 0;
    int saves = 0;       // saves the child reported
    int stampChecks = 0; // saved stamps compared with the file, over all kills
    int rollBacks = 0;   // kills that left a transaction to roll back
    int inFlight = 0;    // unreported saves found complete after the kill
    int failures = 0;    // kills after which something was wrong
    int stamps = 0;      // stamps in the collection now
};

enum class KillMoment
{
    Random,
    AfterThirdSave
};

// Runs the child on one folder again and again and keeps what it reported as saved.
class CrashRun
{
public:
    CrashRun(const QString &folder, quint32 seed) : m_folder(folder), m_random(seed) {}

    // Starts the child, kills it and checks the collection; returns what is wrong.
    QStringList killOnce(KillMoment moment = KillMoment::Random)
    {
        QStringList problems = runChild(moment);
        if (problems.isEmpty())
            problems = verify();
        if (!problems.isEmpty())
            ++m_counts.failures;
        m_counts.stamps = int(m_stamps.size());
        return problems;
    }

    // Checks the collection against what was reported and saves one stamp through the data
    // module; returns what is wrong.
    QStringList verify()
    {
        QStringList problems;
        const QString data = QDir(m_folder).filePath(u"Data"_s);
        if (!QFileInfo::exists(data)) {
            // Killed while the first start made the folder: nothing was saved yet.
            if (!m_stamps.isEmpty() || !m_countries.isEmpty())
                problems << u"the data folder is gone"_s;
            return problems;
        }
        // The files as the kill left them. One with a transaction to roll back cannot be
        // read read-only; the data module rolls it back as it opens.
        bool rollBack = false;
        for (const TTableDef *definition : CollectionSchema::all()) {
            ReadOnlyFile file(QDir(data).filePath(definition->fileName));
            const QString verdict = file.integrity();
            if (file.code() == SQLITE_READONLY_ROLLBACK)
                rollBack = true;
            else if (verdict != u"ok")
                problems << u"%1 after the kill: %2"_s.arg(definition->fileName, verdict);
        }
        m_counts.rollBacks += rollBack;

        WorkingFolder here(m_folder);
        TDM dm;
        try {
            // As the program starts; this rolls back what the kill interrupted.
            dm.ConfigTable->Open();
            dm.OpenTables();
        } catch (const EDatabaseError &error) {
            return {u"the data module cannot open the collection: "_s + error.message()};
        }
        const TTable *cursors[] = {dm.LandTable,  dm.FrimAllTable,  dm.KataTable,
                                   dm.SerieTable, dm.FarveTable,    dm.ArtTable,
                                   dm.TypeTable,  dm.KvalitetTable, dm.ConfigTable};
        const auto &definitions = CollectionSchema::all();
        QHash<QString, std::vector<Record>> contents;
        for (size_t i = 0; i < definitions.size(); ++i) {
            const TTableDef &definition = *definitions[i];
            ReadOnlyFile file(QDir(data).filePath(definition.fileName));
            const QString verdict = file.integrity();
            if (verdict != u"ok")
                problems << u"%1: %2"_s.arg(definition.fileName, verdict);
            std::vector<Record> rows = file.rows(u"SELECT * FROM "_s + tableOf(definition));
            if (!file.error().isEmpty())
                problems << u"%1: %2"_s.arg(definition.fileName, file.error());
            if (cursors[i]->RecordCount() != int(rows.size()))
                problems << u"%1: the data module counts %2 records, the file has %3"_s
                                .arg(definition.fileName)
                                .arg(cursors[i]->RecordCount())
                                .arg(rows.size());
            contents.insert(definition.fileName, std::move(rows));
        }
        checkStamps(contents.value(CollectionSchema::stamps().fileName), problems);
        checkLists(contents, problems);
        m_pending.reset();
        if (problems.isEmpty())
            saveOne(dm, problems);
        return problems;
    }

    const CrashCounts &counts() const { return m_counts; }
    const QMap<qint64, Record> &stamps() const { return m_stamps; }

private:
    struct Pending
    {
        qint64 num = 0; // 0: a new stamp
        Record values;
    };

    int randomIn(int low, int high) { return low + int(m_random.bounded(high - low + 1)); }

    QStringList runChild(KillMoment moment)
    {
        QProcess child;
        child.setProgram(QStringLiteral(ALBUMINO_CRASH_CHILD));
        child.setArguments({m_folder, QString::number(m_random.generate())});
        child.start();
        if (!child.waitForStarted(kChildTimeoutMs))
            return {u"the child does not start: "_s + child.errorString()};
        QElapsedTimer clock;
        clock.start();

        // When to kill: during start-up and opening (timed from the start), a while into
        // the saves (timed from the opening), or the moment a save is reported.
        const int kind = moment == KillMoment::Random ? randomIn(0, 99) : 100;
        std::optional<qint64> deadline;
        int savesBeforeKill = 0;
        if (kind < 15)
            deadline = randomIn(0, int(m_readyMs * 1.2) + 2);
        else if (kind >= 60)
            savesBeforeKill = moment == KillMoment::Random ? randomIn(1, 20) : 3;
        const int delayAfterOpening = randomIn(0, 1) ? randomIn(1, 20) : randomIn(20, 300);

        QByteArray buffer;
        QStringList problems;
        int saves = 0;
        bool ready = false;
        const auto consume = [&] {
            buffer += child.readAllStandardOutput();
            qsizetype end;
            while ((end = buffer.indexOf('\n')) >= 0) {
                const QByteArray line = buffer.left(end);
                buffer.remove(0, end + 1);
                if (line == "R") {
                    ready = true;
                    m_readyMs = clock.elapsed();
                    if (!deadline && savesBeforeKill == 0)
                        deadline = clock.elapsed() + delayAfterOpening;
                } else if (line.startsWith("S ")) {
                    ++saves;
                }
                if (!take(line))
                    problems << u"the child wrote an unreadable line: "_s + QString::fromUtf8(line);
            }
        };
        for (;;) {
            if (deadline && clock.elapsed() >= *deadline)
                break;
            if (savesBeforeKill > 0 && saves >= savesBeforeKill)
                break;
            const qint64 wait = deadline ? *deadline - clock.elapsed() : kChildTimeoutMs;
            const bool more = child.waitForReadyRead(int(std::max<qint64>(wait, 1)));
            consume();
            if (child.state() == QProcess::NotRunning)
                break;
            if (!more && !deadline) {
                problems << u"the child made no progress for %1 s (%2 saves, %3)"_s
                                .arg(kChildTimeoutMs / 1000)
                                .arg(saves)
                                .arg(ready ? u"opened"_s : u"not opened"_s);
                break;
            }
        }
        const bool running = child.state() != QProcess::NotRunning;
        if (running) {
            ::kill(pid_t(child.processId()), SIGKILL);
            child.waitForFinished(kChildTimeoutMs);
        }
        consume(); // what it wrote before it died; a line without its end is not a save
        if (!running || child.exitStatus() != QProcess::CrashExit)
            problems << u"the child stopped by itself (exit code %1): %2"_s.arg(child.exitCode())
                            .arg(QString::fromLocal8Bit(child.readAllStandardError()));
        ++m_counts.kills;
        return problems;
    }

    // Takes one line of the child's report into what is known to be saved.
    bool take(const QByteArray &line)
    {
        if (line == "R")
            return true;
        if (line.startsWith("C ")) {
            m_countries.insert(decoded(line.mid(2)));
            return true;
        }
        const QList<QByteArray> parts = line.split('\t');
        if (parts.size() < 2 || parts[0].size() < 3 || parts[0][1] != ' ')
            return false;
        Record values;
        for (qsizetype i = 1; i < parts.size(); ++i) {
            const qsizetype equals = parts[i].indexOf('=');
            if (equals <= 0)
                return false;
            values.insert(QString::fromUtf8(parts[i].left(equals)),
                          decoded(parts[i].mid(equals + 1)));
        }
        const QByteArray number = parts[0].mid(2);
        if (parts[0][0] == 'P') {
            m_pending = Pending{number == "new" ? 0 : number.toLongLong(), values};
            return number == "new" || m_pending->num > 0;
        }
        if (parts[0][0] != 'S' || number.toLongLong() <= 0)
            return false;
        remember(number.toLongLong(), values);
        m_pending.reset();
        ++m_counts.saves;
        return true;
    }

    void remember(qint64 num, const Record &values)
    {
        m_stamps.insert(num, values);
        for (const TTableDef *list : pickLists()) {
            const QString field = list->fields.front().name;
            const QString value = values.value(field);
            if (!value.isEmpty())
                m_picked[field].insert(value.toCaseFolded());
        }
    }

    static const std::vector<const TTableDef *> &pickLists()
    {
        using namespace CollectionSchema;
        static const std::vector<const TTableDef *> lists{&catalogues(), &series(), &colours(),
                                                          &kinds(),      &types(),  &qualities()};
        return lists;
    }

    static QString differences(const Record &expected, const Record &found)
    {
        QStringList lines;
        for (auto it = expected.begin(); it != expected.end(); ++it) {
            if (!found.contains(it.key()))
                lines << u"%1 is missing"_s.arg(it.key());
            else if (found.value(it.key()) != it.value())
                lines << u"%1 is '%2', saved '%3'"_s.arg(it.key(), found.value(it.key()),
                                                         it.value());
        }
        constexpr qsizetype shown = 4;
        if (lines.size() > shown)
            return lines.first(shown).join(u"; "_s) + u"; and %1 more"_s.arg(lines.size() - shown);
        return lines.join(u"; "_s);
    }

    static Record projected(const Record &found, const Record &shape)
    {
        Record result;
        for (auto it = shape.begin(); it != shape.end(); ++it)
            result.insert(it.key(), found.value(it.key()));
        return result;
    }

    void checkStamps(const std::vector<Record> &rows, QStringList &problems)
    {
        QMap<qint64, Record> file;
        for (const Record &row : rows)
            file.insert(row.value(u"Num"_s).toLongLong(), row);
        // An unreported save may have been written whole, or not at all; never in part.
        const auto matchesPending = [&](qint64 num, const Record &found) {
            return m_pending && m_pending->num == num &&
                   differences(m_pending->values, found).isEmpty();
        };
        for (auto it = m_stamps.begin(); it != m_stamps.end();) {
            ++m_counts.stampChecks;
            const auto found = file.constFind(it.key());
            if (found == file.cend()) {
                problems << u"stamp %1 was saved and is gone"_s.arg(it.key());
                it = m_stamps.erase(it); // the long form goes on from what the file holds
                continue;
            }
            const QString wrong = differences(it.value(), *found);
            if (!wrong.isEmpty()) {
                if (matchesPending(it.key(), *found))
                    ++m_counts.inFlight;
                else
                    problems << u"stamp %1: %2"_s.arg(it.key()).arg(wrong);
                it.value() = projected(*found, it.value());
            }
            ++it;
        }
        for (auto it = file.cbegin(); it != file.cend(); ++it) {
            if (m_stamps.contains(it.key()))
                continue;
            if (matchesPending(0, *it)) {
                ++m_counts.inFlight;
                Record shape = m_pending->values;
                shape.insert(u"Ialt"_s, QString());
                m_stamps.insert(it.key(), projected(*it, shape));
                m_pending.reset(); // one save, one stamp
                continue;
            }
            problems << (m_pending && m_pending->num == 0
                             ? u"stamp %1 is in the file but was not saved whole: %2"_s
                                   .arg(it.key())
                                   .arg(differences(m_pending->values, *it))
                             : u"stamp %1 is in the file but was never saved"_s.arg(it.key()));
            m_stamps.insert(it.key(), *it);
        }
    }

    void checkLists(const QHash<QString, std::vector<Record>> &contents, QStringList &problems)
    {
        QSet<QString> countries;
        for (const Record &row : contents.value(CollectionSchema::countries().fileName))
            countries.insert(row.value(u"Land"_s));
        for (const QString &country : std::as_const(m_countries))
            if (!countries.contains(country))
                problems << u"the country %1 was saved and is gone"_s.arg(country);
        // A saved stamp's pick-list values are saved with it, in any letter case.
        for (const TTableDef *list : pickLists()) {
            const QString field = list->fields.front().name;
            QSet<QString> entries;
            for (const Record &row : contents.value(list->fileName))
                entries.insert(row.value(field).toCaseFolded());
            for (const QString &value : std::as_const(m_picked[field]))
                if (!entries.contains(value))
                    problems << u"%1 '%2' of a saved stamp is not in %3"_s.arg(field, value,
                                                                               list->fileName);
        }
    }

    // Saves a stamp as the program does once it has started again.
    void saveOne(TDM &dm, QStringList &problems)
    {
        try {
            if (dm.LandTable->RecordCount() == 0) {
                dm.LandTable->Append();
                dm.LandTable->FieldByName(u"Land"_s)->setAsString(u"Kontrolland"_s);
                dm.LandTable->Post();
                m_countries.insert(u"Kontrolland"_s);
            }
            dm.LandTable->First();
            dm.FrimTable->Append();
            dm.FrimTableKatalog->setAsString(u"Kontrol"_s);
            dm.FrimTableUbrugt->setAsString(u"2"_s);
            dm.FrimTableNotater->setAsString(u"Gemt efter drab nr. %1"_s.arg(m_counts.kills));
            dm.FrimTable->Post();
        } catch (const EDatabaseError &error) {
            problems << u"the data module cannot save after the kill: "_s + error.message();
            return;
        }
        Record values;
        for (const TField *field : dm.FrimTable->Fields())
            if (field != dm.FrimTableNum)
                values.insert(field->FieldName(), crashValueText(field->Value()));
        remember(dm.FrimTableNum->AsInteger(), values);
    }

    QString m_folder;
    QRandomGenerator m_random;
    qint64 m_readyMs = 200; // how long the child took to open the collection last time
    QMap<qint64, Record> m_stamps;
    QSet<QString> m_countries;
    QHash<QString, QSet<QString>> m_picked; // case-folded pick-list values of saved stamps
    std::optional<Pending> m_pending;
    CrashCounts m_counts;
};

quint32 seedFromEnvironment()
{
    bool ok = false;
    const quint32 seed = qEnvironmentVariable("ALBUMINO_CRASH_SEED").toUInt(&ok);
    return ok ? seed : QRandomGenerator::global()->generate();
}

QString summary(const CrashCounts &counts)
{
    return u"kills %1, saves reported %2, stamps %3, saved stamps verified %4, kills that left "
           u"a transaction to roll back %5, unreported saves found whole %6, failures %7"_s
               .arg(counts.kills)
               .arg(counts.saves)
               .arg(counts.stamps)
               .arg(counts.stampChecks)
               .arg(counts.rollBacks)
               .arg(counts.inFlight)
               .arg(counts.failures);
}

} // namespace

class TestCrashSafety : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void savedStampsSurviveKills()
    {
        const quint32 seed = seedFromEnvironment();
        qInfo("ALBUMINO_CRASH_SEED=%u", seed);
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        CrashRun run(folder.path(), seed);
        for (int i = 0; i < 20; ++i) {
            const QStringList problems = run.killOnce();
            for (const QString &problem : problems)
                qWarning("kill %d: %s", i + 1, qPrintable(problem));
            QVERIFY2(problems.isEmpty(), "the collection is not as saved after a kill");
        }
        qInfo("%s", qPrintable(summary(run.counts())));
        // Kills that all land before the first save would prove nothing.
        QVERIFY(run.counts().saves > 0);
    }

    // The check itself must see a lost or altered stamp and a lost pick-list value.
    void theCheckFindsLostAndChangedStamps()
    {
        QTemporaryDir folder;
        QVERIFY(folder.isValid());
        CrashRun run(folder.path(), seedFromEnvironment());
        // A save may edit a stamp saved before: go on until three stamps are known.
        for (int round = 0; round < 20 && run.stamps().size() < 3; ++round)
            QCOMPARE(run.killOnce(KillMoment::AfterThirdSave), QStringList());
        QVERIFY(run.stamps().size() >= 3);
        const qint64 lost = run.stamps().firstKey();
        const qint64 altered = std::next(run.stamps().begin()).key();
        const QString data = QDir(folder.path()).filePath(u"Data"_s);
        QCOMPARE(TableFiles::runSql(QDir(data).filePath(u"Tmb_Mark.DB"_s),
                                    u"DELETE FROM Tmb_Mark WHERE Num = %1; UPDATE Tmb_Mark SET "
                                    u"Notater = 'ændret' WHERE Num = %2"_s.arg(lost)
                                        .arg(altered)),
                 QString());
        QCOMPARE(TableFiles::runSql(QDir(data).filePath(u"Tmb_Kata.db"_s),
                                    u"DELETE FROM Tmb_Kata WHERE Katalog = 'Kontrol'"_s),
                 QString());
        const QString problems = run.verify().join(u"\n"_s);
        QVERIFY2(problems.contains(u"stamp %1 was saved and is gone"_s.arg(lost)),
                 qPrintable(problems));
        QVERIFY2(problems.contains(u"stamp %1: Notater is 'ændret'"_s.arg(altered)),
                 qPrintable(problems));
        QVERIFY2(problems.contains(u"Katalog 'kontrol' of a saved stamp is not in Tmb_Kata.db"_s),
                 qPrintable(problems));
    }
};

#ifdef ALBUMINO_CRASH_BENCH
int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    int kills = 500;
    quint32 seed = seedFromEnvironment();
    QString folder;
    const QStringList arguments = app.arguments();
    for (qsizetype i = 1; i + 1 < arguments.size(); i += 2) {
        if (arguments[i] == u"--kills")
            kills = arguments[i + 1].toInt();
        else if (arguments[i] == u"--seed")
            seed = arguments[i + 1].toUInt();
        else if (arguments[i] == u"--folder")
            folder = arguments[i + 1];
    }
    QTemporaryDir temporary;
    if (folder.isEmpty())
        folder = temporary.path();
    std::printf("seed %u, folder %s\n", seed, qPrintable(folder));
    CrashRun run(folder, seed);
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < kills; ++i) {
        const QStringList problems = run.killOnce();
        if (!problems.isEmpty())
            std::printf("kill %d:\n  %s\n", i + 1, qPrintable(problems.join(u"\n  "_s)));
        if ((i + 1) % 50 == 0)
            std::printf("%s\n", qPrintable(summary(run.counts())));
        std::fflush(stdout);
    }
    std::printf("%s\nin %.1f s\n", qPrintable(summary(run.counts())), clock.elapsed() / 1000.0);
    return run.counts().failures == 0 ? 0 : 1;
}
#else
QTEST_GUILESS_MAIN(TestCrashSafety)
#endif

#include "tst_crashsafety.moc"
