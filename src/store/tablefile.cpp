#include "tablefile.h"

#include "databaseerror.h"
#include "sqlitefile.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

namespace {

QString columnDeclaration(const TFieldDef &field)
{
    return quoteIdentifier(field.name) + u' ' + columnType(field.type, field.size);
}

QString quotedList(const QStringList &names)
{
    QStringList quoted;
    for (const QString &name : names)
        quoted.append(quoteIdentifier(name));
    return quoted.join(u", "_s);
}

} // namespace

QString columnType(TFieldType type, int size)
{
    switch (type) {
    case TFieldType::String:
        return u"VARCHAR(%1)"_s.arg(size);
    case TFieldType::SmallInt:
        return u"SMALLINT"_s;
    case TFieldType::Integer:
        return u"INTEGER"_s;
    case TFieldType::AutoInc:
        // AUTOINCREMENT: a number is never given twice, so a new stamp never inherits the
        // picture file of a deleted one.
        return u"INTEGER PRIMARY KEY AUTOINCREMENT"_s;
    case TFieldType::Float:
        return u"REAL"_s;
    case TFieldType::Currency:
        return u"MONEY"_s;
    case TFieldType::Memo:
        return u"TEXT"_s;
    case TFieldType::Blob:
        return u"BLOB"_s;
    }
    return {};
}

TFieldType fieldTypeOfColumn(const QString &declared, bool rowidAlias, int &size)
{
    const QString type = declared.trimmed().toUpper();
    size = 0;
    if (rowidAlias)
        return TFieldType::AutoInc;
    const qsizetype open = type.indexOf(u'(');
    if (open > 0 && (type.startsWith(u"VARCHAR"_s) || type.startsWith(u"CHAR"_s) ||
                     type.startsWith(u"NVARCHAR"_s))) {
        size = type.mid(open + 1, type.indexOf(u')') - open - 1).trimmed().toInt();
        return TFieldType::String;
    }
    if (type == u"SMALLINT"_s)
        return TFieldType::SmallInt;
    if (type.contains(u"INT"_s))
        return TFieldType::Integer;
    if (type == u"MONEY"_s || type == u"CURRENCY"_s)
        return TFieldType::Currency;
    if (type.contains(u"REAL"_s) || type.contains(u"FLOA"_s) || type.contains(u"DOUB"_s) ||
        type.startsWith(u"NUMERIC"_s) || type.startsWith(u"DECIMAL"_s))
        return TFieldType::Float;
    if (type == u"BLOB"_s)
        return TFieldType::Blob;
    return TFieldType::Memo; // TEXT and anything else holds text of any length
}

void createTableFile(const QString &folder, const TTableDef &definition)
{
    const QString path = QDir(folder).filePath(definition.fileName);
    const QString table = quoteIdentifier(QFileInfo(definition.fileName).completeBaseName());
    auto file = SqliteFile::create(path, definition.fileName);
    WriteTransaction transaction(*file);
    QStringList columns;
    QStringList names;
    for (const TFieldDef &field : definition.fields) {
        columns.append(columnDeclaration(field));
        names.append(field.name);
    }
    if (!definition.primaryKey.isEmpty())
        columns.append(u"PRIMARY KEY (%1)"_s.arg(quotedList(definition.primaryKey)));
    Statement(*file, u"CREATE TABLE %1 (%2)"_s.arg(table, columns.join(u", "_s))).step();
    for (const TIndexDef &index : definition.indexes)
        Statement(*file, u"CREATE INDEX %1 ON %2 (%3)"_s.arg(quoteIdentifier(index.name), table,
                                                             quotedList(index.fields)))
            .step();
    if (!definition.records.empty()) {
        Statement insert(
            *file, u"INSERT INTO %1 (%2) VALUES (%3)"_s.arg(
                       table, quotedList(names), QStringList(names.size(), u"?"_s).join(u", "_s)));
        for (const std::vector<QVariant> &record : definition.records) {
            insert.bindAll(record);
            insert.step();
            insert.reset();
        }
    }
    transaction.commit();
}
