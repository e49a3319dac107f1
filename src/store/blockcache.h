#pragma once

#include "field.h"
#include "sqlitefile.h"

#include <QString>
#include <QStringList>
#include <QVariant>

#include <string>
#include <unordered_map>
#include <vector>

// A cursor's rows, fetched by key in blocks around the one that is read and held undecoded:
// a text is only turned into a QString when a field is read. A block first loads just the
// column that is asked for, and all of them once a second one is wanted, so a walk that
// reads one field pays for that field alone while a view or an edit that reads the whole
// record costs one query per block. Any write through the file's connection makes the
// held rows stale; they are dropped at the next read.
class BlockCache
{
public:
    // The file, its table and the table's columns in field order.
    void attach(SqliteFile &file, const QString &table, const QStringList &columns);
    // Lets go of the file's statements (the cursor closes).
    void detach();
    // Drops the held rows: the cursor's keys changed.
    void clear() { m_blocks.clear(); }

    // A field's value of the record at `position` of the cursor's `keys`, as its type reads.
    QVariant value(const std::vector<qint64> &keys, int position, int fieldIndex, TFieldType type);

private:
    struct Cell
    {
        int type = 0; // SQLITE_NULL, SQLITE_INTEGER ...
        int size = 0;
        union {
            qint64 integer;
            double real;
            size_t offset;
        };
        Cell() : integer(0) {}
    };
    struct Block
    {
        std::vector<Cell> cells; // rows × fields
        std::string bytes;
        std::vector<bool> loaded; // per field
        quint64 lastUse = 0;
    };
    // Statements by what they read (one column, or all) and how (a range of keys, or a list).
    struct Fetch
    {
        Statement byRange;
        Statement byList;
    };

    void loadBlock(const std::vector<qint64> &keys, int blockIndex, int fieldIndex); // -1: all
    Statement &fetchStatement(int fieldIndex, bool byRange);

    SqliteFile *m_file = nullptr;
    QString m_table;
    QStringList m_columns;
    std::unordered_map<int, Block> m_blocks;
    quint64 m_clock = 0;
    quint64 m_dataVersion = 0;
    std::vector<Fetch> m_columnFetches; // one per field, prepared when first needed
    Fetch m_recordFetch;
};
