#include "tablefile.h"

#include "databaseerror.h"
#include "sqlitefile.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::Literals::StringLiterals;

namespace {

QString columnDeclaration(const TFieldDef &field)
{
    const QString name = quoteIdentifier(field.name);
    switch (field.type) {
    case TFieldType::String:
        return name + u" VARCHAR(%1)"_s.arg(field.size);
    case TFieldType::SmallInt:
        return name + u" SMALLINT"_s;
    case TFieldType::Integer:
        return name + u" INTEGER"_s;
    case TFieldType::AutoInc:
        // AUTOINCREMENT: a number is never given twice, so a new stamp never inherits the
        // picture file of a deleted one.
        return name + u" INTEGER PRIMARY KEY AUTOINCREMENT"_s;
    case TFieldType::Float:
        return name + u" REAL"_s;
    case TFieldType::Currency:
        return name + u" MONEY"_s;
    case TFieldType::Memo:
        return name + u" TEXT"_s;
    case TFieldType::Blob:
        return name + u" BLOB"_s;
    }
    return name;
}

QString quotedList(const QStringList &names)
{
    QStringList quoted;
    for (const QString &name : names)
        quoted.append(quoteIdentifier(name));
    return quoted.join(u", "_s);
}

} // namespace

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
