#include "blockcache.h"

#include <sqlite3.h>

#include <algorithm>

using namespace Qt::Literals::StringLiterals;

namespace {

constexpr int kBlockRows = 256;
constexpr size_t kMaxCachedBlocks = 32;

} // namespace

void BlockCache::attach(SqliteFile &file, const QString &table, const QStringList &columns)
{
    detach();
    m_file = &file;
    m_table = table;
    m_columns = columns;
    m_columnFetches.resize(size_t(columns.size()));
    m_dataVersion = file.dataVersion();
}

void BlockCache::detach()
{
    clear();
    m_columnFetches.clear();
    m_recordFetch = Fetch();
    m_file = nullptr;
}

Statement &BlockCache::fetchStatement(int fieldIndex, bool byRange)
{
    Fetch &fetch = fieldIndex < 0 ? m_recordFetch : m_columnFetches[fieldIndex];
    Statement &statement = byRange ? fetch.byRange : fetch.byList;
    if (!statement.isValid()) {
        QStringList columns;
        if (fieldIndex < 0)
            for (const QString &name : m_columns)
                columns.append(quoteIdentifier(name));
        else
            columns.append(quoteIdentifier(m_columns.at(fieldIndex)));
        const QString condition =
            byRange ? u"rowid BETWEEN ? AND ?"_s
                    : u"rowid IN (%1)"_s.arg(QStringList(kBlockRows, u"?"_s).join(u','));
        statement =
            Statement(*m_file, u"SELECT rowid, %1 FROM %2 WHERE %3"_s.arg(
                                   columns.join(u", "_s), quoteIdentifier(m_table), condition));
    }
    return statement;
}

void BlockCache::loadBlock(const std::vector<qint64> &keys, int blockIndex, int fieldIndex)
{
    Block &block = m_blocks[blockIndex];
    const int width = int(m_columns.size());
    if (block.cells.empty()) {
        block.cells.resize(size_t(kBlockRows) * width);
        block.loaded.assign(width, false);
    }
    const int first = blockIndex * kBlockRows;
    const int rows = std::min(kBlockRows, int(keys.size()) - first);
    // Keys of the block in key order, to find each fetched row's place.
    std::vector<std::pair<qint64, int>> places;
    places.reserve(rows);
    for (int i = 0; i < rows; ++i)
        places.emplace_back(keys[first + i], i);
    // A block in key order whose keys lie close together (the primary order) is read as
    // one range, which costs one search instead of one per record.
    const bool ascending = std::is_sorted(places.begin(), places.end());
    std::sort(places.begin(), places.end());
    const bool dense =
        ascending && rows > 0 && places.back().first - places.front().first < 2 * qint64(rows);
    Statement &fetch = fetchStatement(fieldIndex, dense);
    if (dense) {
        sqlite3_bind_int64(fetch.handle(), 1, places.front().first);
        sqlite3_bind_int64(fetch.handle(), 2, places.back().first);
    } else {
        for (int i = 0; i < kBlockRows; ++i) {
            if (i < rows)
                sqlite3_bind_int64(fetch.handle(), i + 1, keys[first + i]);
            else
                sqlite3_bind_null(fetch.handle(), i + 1);
        }
    }
    const int firstField = fieldIndex < 0 ? 0 : fieldIndex;
    const int lastField = fieldIndex < 0 ? width - 1 : fieldIndex;
    try {
        while (fetch.step()) {
            sqlite3_stmt *stmt = fetch.handle();
            const qint64 key = sqlite3_column_int64(stmt, 0);
            const auto place =
                std::lower_bound(places.begin(), places.end(), std::pair<qint64, int>(key, -1));
            if (place == places.end() || place->first != key)
                continue;
            Cell *cells = &block.cells[size_t(place->second) * width];
            for (int field = firstField, column = 1; field <= lastField; ++field, ++column) {
                Cell &cell = cells[field];
                sqlite3_value *value = sqlite3_column_value(stmt, column);
                cell.type = sqlite3_value_type(value);
                switch (cell.type) {
                case SQLITE_INTEGER:
                    cell.integer = sqlite3_value_int64(value);
                    break;
                case SQLITE_FLOAT:
                    cell.real = sqlite3_value_double(value);
                    break;
                case SQLITE_TEXT:
                case SQLITE_BLOB: {
                    const void *data = cell.type == SQLITE_TEXT
                                           ? static_cast<const void *>(sqlite3_value_text(value))
                                           : sqlite3_value_blob(value);
                    cell.size = sqlite3_value_bytes(value);
                    cell.offset = block.bytes.size();
                    block.bytes.append(static_cast<const char *>(data), size_t(cell.size));
                    break;
                }
                default:
                    break;
                }
            }
        }
    } catch (...) {
        m_blocks.erase(blockIndex);
        throw;
    }
    fetch.reset();
    if (fieldIndex < 0) {
        block.loaded.assign(width, true);
    } else {
        block.loaded[fieldIndex] = true;
    }
}

QVariant BlockCache::value(const std::vector<qint64> &keys, int position, int fieldIndex,
                           TFieldType type)
{
    if (m_dataVersion != m_file->dataVersion()) {
        clear();
        m_dataVersion = m_file->dataVersion();
    }
    const int blockIndex = position / kBlockRows;
    auto it = m_blocks.find(blockIndex);
    if (it == m_blocks.end()) {
        if (m_blocks.size() >= kMaxCachedBlocks) {
            auto oldest = std::min_element(
                m_blocks.begin(), m_blocks.end(),
                [](const auto &a, const auto &b) { return a.second.lastUse < b.second.lastUse; });
            m_blocks.erase(oldest);
        }
        loadBlock(keys, blockIndex, fieldIndex);
        it = m_blocks.find(blockIndex);
    } else if (!it->second.loaded[fieldIndex]) {
        loadBlock(keys, blockIndex, -1); // a second field is wanted: read whole records
    }
    Block &block = it->second;
    block.lastUse = ++m_clock;
    const Cell &cell =
        block.cells[size_t(position - blockIndex * kBlockRows) * m_columns.size() + fieldIndex];
    switch (cell.type) {
    case SQLITE_INTEGER:
        if (type == TFieldType::Float || type == TFieldType::Currency)
            return double(cell.integer);
        if (type == TFieldType::String || type == TFieldType::Memo)
            return QString::number(cell.integer);
        return cell.integer;
    case SQLITE_FLOAT:
        if (type == TFieldType::String || type == TFieldType::Memo)
            return QString::number(cell.real, 'g', 15);
        return cell.real;
    case SQLITE_TEXT: {
        const char *data = block.bytes.data() + cell.offset;
        if (type == TFieldType::Blob)
            return QByteArray(data, cell.size);
        if (type == TFieldType::String || type == TFieldType::Memo)
            return QString::fromUtf8(data, cell.size);
        // A number column that another program filled with text.
        bool ok = false;
        const double number = QByteArray(data, cell.size).toDouble(&ok);
        return ok ? QVariant(number) : QVariant();
    }
    case SQLITE_BLOB: {
        const char *data = block.bytes.data() + cell.offset;
        if (type == TFieldType::String || type == TFieldType::Memo)
            return QString::fromUtf8(data, cell.size);
        return QByteArray(data, cell.size);
    }
    default:
        return {};
    }
}
