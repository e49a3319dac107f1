// libFuzzer entry for the filter language: any bytes are read as UTF-8 filter text. A text the
// parser takes must become a condition that SQLite prepares as the WHERE clause of one read-only
// SELECT, with as many parameters as values and nothing but columns, operators and parameters.

#include "databaseerror.h"
#include "filter.h"

#include <QHash>

#include <sqlite3.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace {

void check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

// Names as a stamp table might have them: letters beyond ASCII, a space, a quote, a keyword.
const char *const fieldNames[] = {"Land",       "Katalog", "Nr",        "Aarstal", "Pris",
                                  "Geb. Datum", "Größe",   "Zoll\"Maß", "Select",  "_id"};

QString quoteIdentifier(const QString &name)
{
    QString quoted = name;
    quoted.replace(u'"', QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}

// The table lookup ignores the case of field names, as the program's does.
struct Fields
{
    QHash<QString, QString> columns; // folded field name -> quoted column
    QList<QString> quoted;

    Fields()
    {
        for (const char *name : fieldNames) {
            const QString field = QString::fromUtf8(name);
            columns.insert(field.toCaseFolded(), quoteIdentifier(field));
            quoted.append(quoteIdentifier(field));
        }
    }
};

const Fields &fields()
{
    static const Fields instance;
    return instance;
}

sqlite3 *database()
{
    static sqlite3 *const db = [] {
        sqlite3 *opened = nullptr;
        check(sqlite3_open_v2(":memory:", &opened, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE,
                              nullptr) == SQLITE_OK);
        QString create = QStringLiteral("CREATE TABLE t (");
        for (qsizetype i = 0; i < fields().quoted.size(); ++i)
            create += (i ? QStringLiteral(", ") : QString()) + fields().quoted.at(i);
        create += QStringLiteral(");");
        // Rows with texts, numbers, blanks and NULLs, so that every condition is evaluated.
        create += QStringLiteral(
            "INSERT INTO t VALUES ('Côte d''Ivoire', '', 12, 1970, 2.5, '1970-01-01', 'A', 1, "
            "'x', 3);"
            "INSERT INTO t VALUES (NULL, 'AFA', NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL);"
            "INSERT INTO t VALUES ('Danmark', 'Facit', '7a', 1955, -1, '', 'ÆØÅ', '', 0, '');");
        char *message = nullptr;
        check(sqlite3_exec(opened, create.toUtf8().constData(), nullptr, nullptr, &message) ==
              SQLITE_OK);
        return opened;
    }();
    return db;
}

// The condition may hold only what the writer puts there: known quoted columns, parameters,
// the blank text of the empty-field test, parentheses, comparisons and the logical words.
bool onlyExpectedTokens(const QString &sql)
{
    static const QStringList words = {QStringLiteral("AND"), QStringLiteral("OR"),
                                      QStringLiteral("NOT"), QStringLiteral("IS"),
                                      QStringLiteral("IFNULL")};
    static const QStringList operators = {
        QStringLiteral("<>"), QStringLiteral("<="), QStringLiteral(">="), QStringLiteral("="),
        QStringLiteral("<"),  QStringLiteral(">"),  QStringLiteral("("),  QStringLiteral(")"),
        QStringLiteral(","),  QStringLiteral("?"),  QStringLiteral("''")};
    qsizetype pos = 0;
    const qsizetype length = sql.size();
    while (pos < length) {
        const QChar ch = sql.at(pos);
        if (ch == u' ') {
            ++pos;
            continue;
        }
        if (ch == u'"') {
            qsizetype end = pos + 1;
            for (;;) {
                if (end >= length)
                    return false;
                if (sql.at(end) == u'"') {
                    if (end + 1 < length && sql.at(end + 1) == u'"') {
                        end += 2;
                        continue;
                    }
                    break;
                }
                ++end;
            }
            if (!fields().quoted.contains(sql.mid(pos, end + 1 - pos)))
                return false;
            pos = end + 1;
            continue;
        }
        if (ch.isLetter()) {
            qsizetype end = pos;
            while (end < length && sql.at(end).isLetter())
                ++end;
            if (!words.contains(sql.mid(pos, end - pos)))
                return false;
            pos = end;
            continue;
        }
        bool matched = false;
        for (const QString &op : operators) {
            if (QStringView(sql).mid(pos).startsWith(op)) {
                pos += op.size();
                matched = true;
                break;
            }
        }
        if (!matched)
            return false;
    }
    return true;
}

void bind(sqlite3_stmt *statement, int index, const QVariant &value)
{
    int result = SQLITE_ERROR;
    switch (value.typeId()) {
    case QMetaType::QString: {
        const QByteArray utf8 = value.toString().toUtf8();
        result = sqlite3_bind_text(statement, index, utf8.constData(), int(utf8.size()),
                                   SQLITE_TRANSIENT);
        break;
    }
    case QMetaType::LongLong:
        result = sqlite3_bind_int64(statement, index, value.toLongLong());
        break;
    case QMetaType::Double:
        result = sqlite3_bind_double(statement, index, value.toDouble());
        break;
    default:
        break; // the writer binds texts and numbers only
    }
    check(result == SQLITE_OK);
}

// A loop runs as often as the condition nests: libFuzzer counts the hits of an edge in
// buckets, so an input that nests deeper than the corpus is kept and grown further.
void followNesting(const QString &condition)
{
    int depth = 0;
    int deepest = 0;
    for (const QChar ch : condition) {
        if (ch == u'(')
            deepest = std::max(deepest, ++depth);
        else if (ch == u')')
            --depth;
    }
    static volatile int sink = 0;
    for (int i = 0; i < deepest; ++i)
        sink = sink + 1;
}

void checkCondition(const QString &condition, const std::vector<QVariant> &parameters)
{
    check(onlyExpectedTokens(condition));
    followNesting(condition);

    const QByteArray sql = (QStringLiteral("SELECT rowid FROM t WHERE ") + condition).toUtf8();
    sqlite3_stmt *statement = nullptr;
    const char *tail = nullptr;
    const int prepared =
        sqlite3_prepare_v2(database(), sql.constData(), int(sql.size()), &statement, &tail);
    if (prepared != SQLITE_OK)
        __builtin_trap(); // accepted text, broken SQL
    check(statement != nullptr);
    check(tail == sql.constData() + sql.size());
    check(sqlite3_stmt_readonly(statement) != 0);
    check(sqlite3_bind_parameter_count(statement) == int(parameters.size()));
    for (size_t i = 0; i < parameters.size(); ++i)
        bind(statement, int(i) + 1, parameters[i]);
    int stepped;
    int rows = 0;
    while ((stepped = sqlite3_step(statement)) == SQLITE_ROW)
        ++rows;
    check(stepped == SQLITE_DONE);
    check(rows <= 3);
    sqlite3_finalize(statement);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    const QString context = QStringLiteral("Tmb_Mark.DB");
    const auto columnFor = [](const QString &name) {
        return fields().columns.value(name.toCaseFolded());
    };
    try {
        const Filter::Expression expression = Filter::Expression::parse(text, context);
        const QStringList names = expression.fieldNames();
        std::vector<QVariant> parameters;
        const QString condition = expression.toSql(columnFor, context, parameters);
        if (expression.isEmpty()) {
            check(text.trimmed().isEmpty());
            check(condition.isEmpty() && parameters.empty() && names.isEmpty());
            return 0;
        }
        check(!condition.isEmpty());
        // toSql succeeded, so every field the filter names is known.
        for (const QString &name : names)
            check(!columnFor(name).isEmpty());
        checkCondition(condition, parameters);

        // Writing again gives the same condition and appends the same values.
        std::vector<QVariant> again = parameters;
        check(expression.toSql(columnFor, context, again) == condition);
        check(again.size() == 2 * parameters.size());
    } catch (const EFilterError &error) {
        check(error.message().startsWith(context));
    }
    return 0;
}
