#pragma once

#include "field.h"

#include <QString>
#include <QStringList>
#include <QVariant>

#include <vector>

// The layout of a table file to create: its fields in order, the key and named indexes,
// and the records it starts with.
struct TFieldDef
{
    QString name;
    TFieldType type;
    int size = 0;
};

struct TIndexDef
{
    QString name;
    QStringList fields;
};

struct TTableDef
{
    QString fileName; // "Tmb_Mark.DB": the table inside is named after the stem
    std::vector<TFieldDef> fields;
    QStringList primaryKey; // text key fields; an AutoInc field is always the key
    std::vector<TIndexDef> indexes;
    std::vector<std::vector<QVariant>> records;
};

// Writes a new table file into `folder`; throws EDatabaseError if it exists or cannot be
// written. The file is complete when this returns.
void createTableFile(const QString &folder, const TTableDef &definition);

// How a field type is declared in a table file, and which field type a declared column
// has: the two directions of one mapping. `size` is a text field's length.
QString columnType(TFieldType type, int size);
TFieldType fieldTypeOfColumn(const QString &declared, bool rowidAlias, int &size);
