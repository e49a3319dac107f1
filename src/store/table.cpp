#include "table.h"

#include "blockcache.h"
#include "collation.h"
#include "databaseerror.h"
#include "ranksort.h"
#include "sqlitefile.h"
#include "tablefile.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QVarLengthArray>

#include <sqlite3.h>

#include <algorithm>
#include <map>
#include <numeric>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>

using namespace Qt::Literals::StringLiterals;

namespace {

QStringList splitFieldNames(const QString &names)
{
    QStringList list;
    for (const QString &name : names.split(u';', Qt::SkipEmptyParts))
        if (!name.trimmed().isEmpty())
            list.append(name.trimmed());
    return list;
}

} // namespace

// Hears what the other cursors on the file commit.
struct TTable::Follower final : RecordChangeListener
{
    explicit Follower(TTable &table) : table(table) {}
    void recordChanged(qint64 key, bool deleted) override
    {
        table.otherCursorChanged(key, deleted);
    }
    TTable &table;
};

TTable::TTable(QObject *parent)
    : QObject(parent), m_cache(std::make_unique<BlockCache>()),
      m_follower(std::make_unique<Follower>(*this))
{}

TTable::~TTable()
{
    if (m_file)
        m_file->removeListener(m_follower.get());
    m_state = TDataSetState::Inactive; // closing quietly: nobody is told any more
    setMasterSource(nullptr);
    for (TDataSource *source : std::vector<TDataSource *>(m_sources))
        source->tableDestroyed();
}

void TTable::fail(const QString &what) const
{
    throw EDatabaseError(u"%1: %2"_s.arg(m_tableName, what));
}

void TTable::checkActive() const
{
    if (!Active())
        fail(u"the table is not open"_s);
}

void TTable::checkOpenSettings() const
{
    if (Active())
        fail(u"this cannot be changed while the table is open"_s);
}

void TTable::setDatabaseName(const QString &folder)
{
    checkOpenSettings();
    m_databaseName = folder;
}

void TTable::setTableName(const QString &fileName)
{
    checkOpenSettings();
    m_tableName = fileName;
}

QString TTable::filePath() const
{
    QString folder = m_databaseName;
    folder.replace(u'\\', u'/');
    return folder.isEmpty() ? m_tableName : QDir(folder).filePath(m_tableName);
}

TField *TTable::addField(const QString &fieldName, TFieldType type, int size)
{
    checkOpenSettings();
    auto *field = new TField(this, fieldName, type, size);
    field->m_index = int(m_fields.size());
    m_fields.push_back(field);
    m_declaredFieldCount = int(m_fields.size());
    return field;
}

TField *TTable::FindField(const QString &fieldName) const
{
    for (TField *field : m_fields)
        if (field->FieldName().compare(fieldName, Qt::CaseInsensitive) == 0)
            return field;
    return nullptr;
}

TField *TTable::FieldByName(const QString &fieldName) const
{
    TField *field = FindField(fieldName);
    if (!field)
        fail(u"there is no field '%1'"_s.arg(fieldName));
    return field;
}

QString TTable::columnFor(const QString &fieldName) const
{
    const TField *field = FindField(fieldName);
    return field ? quoteIdentifier(m_columnNames.at(field->Index())) : QString();
}

// ---------------------------------------------------------------- opening and closing

void TTable::setActive(bool active)
{
    if (active)
        Open();
    else
        Close();
}

void TTable::Open()
{
    if (Active())
        return;
    if (m_tableName.isEmpty())
        throw EDatabaseError(u"%1: no table file is named"_s.arg(objectName()));
    try {
        m_file = SqliteFile::open(filePath(), m_tableName);
        m_sqlTable = QFileInfo(m_tableName).completeBaseName();
        bindFields();
        resolveOrder();
        if (m_masterSource) {
            const QStringList detailNames =
                splitFieldNames(m_indexFieldNames.isEmpty() ? m_masterFields : m_indexFieldNames);
            m_masterFieldIndexes.clear();
            for (const QString &name : detailNames)
                m_masterFieldIndexes.push_back(FieldByName(name)->Index());
        }
        if (m_filtered || !m_filterText.isEmpty()) {
            std::vector<QVariant> unused;
            m_filter.toSql([this](const QString &name) { return columnFor(name); }, m_tableName,
                           unused);
        }
        prepareStatements();
        m_masterKey = masterValues();
        readKeys();
    } catch (...) {
        m_keys.clear();
        m_cache->detach();
        m_file.reset();
        while (int(m_fields.size()) > m_declaredFieldCount) {
            delete m_fields.back();
            m_fields.pop_back();
        }
        throw;
    }
    m_file->addListener(m_follower.get());
    m_position = m_keys.empty() ? -1 : 0;
    m_bof = true;
    m_eof = m_keys.empty();
    m_state = TDataSetState::Browse;
    dataEvent(TDataEvent::ActiveChanged);
    dataEvent(TDataEvent::DataSetChanged);
}

void TTable::bindFields()
{
    Statement info(*m_file, u"PRAGMA table_info(%1)"_s.arg(quoteIdentifier(m_sqlTable)));
    struct Column
    {
        QString name;
        QString declared;
        int primaryKey;
    };
    std::vector<Column> columns;
    int primaryKeyColumns = 0;
    while (info.step()) {
        Column column;
        column.name = info.text(1);
        column.declared = info.text(2);
        column.primaryKey = sqlite3_column_int(info.handle(), 5);
        primaryKeyColumns += column.primaryKey > 0;
        columns.push_back(column);
    }
    if (columns.empty()) {
        // An empty or foreign file reads as a database without our table.
        fail(u"the file holds no table '%1'"_s.arg(m_sqlTable));
    }
    auto isRowidAlias = [&](const Column &column) {
        return primaryKeyColumns == 1 && column.primaryKey == 1 &&
               column.declared.trimmed().compare(u"INTEGER"_s, Qt::CaseInsensitive) == 0;
    };

    m_columnNames.clear();
    m_rowidField = -1;
    if (m_declaredFieldCount > 0) {
        for (TField *field : m_fields) {
            auto it = std::find_if(columns.begin(), columns.end(), [&](const Column &column) {
                return column.name.compare(field->FieldName(), Qt::CaseInsensitive) == 0;
            });
            if (it == columns.end())
                fail(u"the table has no field '%1'"_s.arg(field->FieldName()));
            if (isRowidAlias(*it))
                m_rowidField = field->Index();
            m_columnNames.append(it->name);
        }
    } else {
        for (const Column &column : columns) {
            int size = 0;
            const bool alias = isRowidAlias(column);
            const TFieldType type = fieldTypeOfColumn(column.declared, alias, size);
            auto *field = new TField(this, column.name, type, size);
            field->m_index = int(m_fields.size());
            if (alias)
                m_rowidField = field->Index();
            m_fields.push_back(field);
            m_columnNames.append(column.name);
        }
    }
}

void TTable::prepareStatements()
{
    m_cache->attach(*m_file, m_sqlTable, m_columnNames);
}

void TTable::Close()
{
    if (!Active())
        return;
    m_buffer.clear();
    m_changed.clear();
    m_modified = false;
    m_keys.clear();
    m_pendingChanges.clear();
    m_position = -1;
    m_bof = m_eof = true;
    m_cache->detach();
    m_file->removeListener(m_follower.get());
    m_file.reset();
    m_state = TDataSetState::Inactive;
    while (int(m_fields.size()) > m_declaredFieldCount) {
        delete m_fields.back();
        m_fields.pop_back();
    }
    dataEvent(TDataEvent::ActiveChanged);
}

// ---------------------------------------------------------------- order, filter, master

std::vector<TTable::OrderColumn> TTable::orderColumnsFor(const QStringList &fieldNames) const
{
    std::vector<OrderColumn> order;
    for (const QString &name : fieldNames) {
        const TField *field = FieldByName(name);
        if (field->Index() == m_rowidField) {
            order.push_back({-1, false});
            break; // the rowid is unique: nothing after it matters
        }
        order.push_back({field->Index(), field->DataType() == TFieldType::String ||
                                             field->DataType() == TFieldType::Memo});
    }
    return order;
}

void TTable::resolveOrder()
{
    QStringList names;
    if (!m_indexName.isEmpty()) {
        Statement list(*m_file, u"PRAGMA index_list(%1)"_s.arg(quoteIdentifier(m_sqlTable)));
        QString found;
        while (list.step()) {
            const QString name = list.text(1);
            if (name.compare(m_indexName, Qt::CaseInsensitive) == 0)
                found = name;
        }
        if (found.isEmpty())
            fail(u"there is no index '%1'"_s.arg(m_indexName));
        Statement info(*m_file, u"PRAGMA index_info(%1)"_s.arg(quoteIdentifier(found)));
        while (info.step())
            names.append(info.text(2));
    } else if (!m_indexFieldNames.isEmpty()) {
        names = splitFieldNames(m_indexFieldNames);
    } else {
        // The primary order: the primary key, else the order records were added in.
        Statement info(*m_file, u"PRAGMA table_info(%1)"_s.arg(quoteIdentifier(m_sqlTable)));
        std::map<int, QString> keyColumns;
        while (info.step()) {
            const int position = sqlite3_column_int(info.handle(), 5);
            if (position > 0)
                keyColumns[position] = info.text(1);
        }
        for (const auto &[position, name] : keyColumns)
            if (FindField(name))
                names.append(name);
    }
    m_order = orderColumnsFor(names);
}

QString TTable::whereClause(std::vector<QVariant> &parameters) const
{
    QStringList conditions;
    if (m_masterSource) {
        if (m_masterKey.empty())
            return u" WHERE 0"_s;
        for (size_t i = 0; i < m_masterFieldIndexes.size(); ++i) {
            if (m_masterKey[i].isNull())
                return u" WHERE 0"_s;
            conditions.append(quoteIdentifier(m_columnNames.at(m_masterFieldIndexes[i])) +
                              u" = ?"_s);
            parameters.push_back(m_masterKey[i]);
        }
    }
    if (m_filtered && !m_filter.isEmpty())
        conditions.append(m_filter.toSql([this](const QString &name) { return columnFor(name); },
                                         m_tableName, parameters));
    return conditions.isEmpty() ? QString() : u" WHERE "_s + conditions.join(u" AND "_s);
}

void TTable::readKeys()
{
    m_cache->clear();
    m_keys.clear();
    std::vector<QVariant> parameters;
    const QString where = whereClause(parameters);
    const QString table = quoteIdentifier(m_sqlTable);

    // Leading order fields that the master link holds constant do not order anything.
    std::vector<OrderColumn> order = m_order;
    while (!order.empty() && order.front().fieldIndex >= 0 &&
           std::find(m_masterFieldIndexes.begin(), m_masterFieldIndexes.end(),
                     order.front().fieldIndex) != m_masterFieldIndexes.end() &&
           m_masterSource)
        order.erase(order.begin());
    if (!order.empty() && order.back().fieldIndex < 0)
        order.pop_back();

    const bool sortHere =
        std::any_of(order.begin(), order.end(), [](const OrderColumn &c) { return c.text; });
    if (!sortHere) {
        QStringList by;
        for (const OrderColumn &column : order)
            by.append(quoteIdentifier(m_columnNames.at(column.fieldIndex)));
        by.append(u"rowid"_s);
        Statement keys(*m_file,
                       u"SELECT rowid FROM %1%2 ORDER BY %3"_s.arg(table, where, by.join(u", "_s)));
        keys.bindAll(parameters);
        while (keys.step())
            m_keys.push_back(sqlite3_column_int64(keys.handle(), 0));
        return;
    }

    // A text order is sorted here, in the Danish order, not by SQLite.
    QStringList columns;
    for (const OrderColumn &column : order)
        columns.append(quoteIdentifier(m_columnNames.at(column.fieldIndex)));
    // A named index holds these columns: asking for its order lets SQLite read the small
    // index instead of the table, and brings equal values together.
    const QString byIndex = m_indexName.isEmpty() ? QString() : u" ORDER BY "_s + columns.first();
    Statement rows(*m_file, u"SELECT rowid, %1 FROM %2%3%4"_s.arg(columns.join(u", "_s), table,
                                                                  where, byIndex));
    rows.bindAll(parameters);
    std::vector<bool> textFields;
    for (const OrderColumn &column : order)
        textFields.push_back(column.text);
    RankSort sort(textFields);
    while (rows.step()) {
        sqlite3_stmt *stmt = rows.handle();
        sort.addRecord(sqlite3_column_int64(stmt, 0));
        for (size_t c = 0; c < order.size(); ++c) {
            const int column = int(c) + 1;
            if (sqlite3_column_type(stmt, column) == SQLITE_NULL)
                sort.addEmpty();
            else if (order[c].text)
                sort.addText(rows.bytes(column));
            else
                sort.addNumber(sqlite3_column_double(stmt, column));
        }
    }
    m_keys = sort.sortedKeys();
}

void TTable::requery()
{
    readKeys();
    m_position = m_keys.empty() ? -1 : 0;
    m_bof = true;
    m_eof = m_keys.empty();
    dataEvent(TDataEvent::DataSetChanged);
}

void TTable::refreshKeys(qint64 keepKey)
{
    readKeys();
    const int found = positionOf(keepKey);
    if (found >= 0)
        m_position = found;
    else
        m_position = m_keys.empty() ? -1 : std::clamp(m_position, 0, int(m_keys.size()) - 1);
    m_bof = m_position <= 0;
    m_eof = m_keys.empty();
}

namespace {

// A record's value of one order field, comparable as the key read orders them: empty
// first, then numbers, or texts by their Danish sort key.
struct OrderValue
{
    bool null = true;
    bool isText = false;
    double number = 0;
    QByteArray text;

    bool operator<(const OrderValue &other) const
    {
        if (null || other.null)
            return null && !other.null;
        return isText ? text < other.text : number < other.number;
    }
};

} // namespace

void TTable::placeRecord(qint64 key, bool deleted)
{
    const bool onRecord = m_position >= 0 && m_position < int(m_keys.size());
    const qint64 current = onRecord ? m_keys[m_position] : 0;
    if (const int before = positionOf(key); before >= 0)
        m_keys.erase(m_keys.begin() + before);
    m_cache->clear();

    // The order fields' values of a record, read by its key.
    QStringList columns;
    std::vector<const OrderColumn *> ordered;
    for (const OrderColumn &column : m_order)
        if (column.fieldIndex >= 0) {
            columns.append(quoteIdentifier(m_columnNames.at(column.fieldIndex)));
            ordered.push_back(&column);
        }
    const QString select = u"SELECT %1 FROM %2"_s.arg(
        columns.isEmpty() ? u"1"_s : columns.join(u", "_s), quoteIdentifier(m_sqlTable));
    const auto valuesOf = [&](const Statement &statement) {
        sqlite3_stmt *stmt = statement.handle();
        std::vector<OrderValue> values(ordered.size());
        for (size_t c = 0; c < ordered.size(); ++c) {
            const int column = int(c);
            values[c].null = sqlite3_column_type(stmt, column) == SQLITE_NULL;
            if (values[c].null)
                continue;
            values[c].isText = ordered[c]->text;
            if (values[c].isText)
                values[c].text = Collation::sortKey(statement.text(column));
            else
                values[c].number = sqlite3_column_double(stmt, column);
        }
        return values;
    };

    if (!deleted) {
        // Is it one of this cursor's records?
        std::vector<QVariant> parameters;
        const QString where = whereClause(parameters);
        Statement visible(*m_file, select + where + (where.isEmpty() ? u" WHERE "_s : u" AND "_s) +
                                       u"rowid = ?"_s);
        visible.bindAll(parameters);
        visible.bind(int(parameters.size()) + 1, key);
        if (visible.step()) {
            // Where its order puts it: a binary search over the keys, the key breaking ties.
            const std::vector<OrderValue> values = valuesOf(visible);
            Statement probe(*m_file, select + u" WHERE rowid = ?"_s);
            size_t low = 0;
            size_t high = m_keys.size();
            while (low < high) {
                const size_t middle = (low + high) / 2;
                const qint64 other = m_keys[middle];
                bool earlier = key < other;
                if (!ordered.empty()) {
                    probe.reset();
                    probe.bind(1, other);
                    if (probe.step()) {
                        const std::vector<OrderValue> otherValues = valuesOf(probe);
                        if (values < otherValues)
                            earlier = true;
                        else if (otherValues < values)
                            earlier = false;
                    }
                }
                if (earlier)
                    high = middle;
                else
                    low = middle + 1;
            }
            m_keys.insert(m_keys.begin() + qsizetype(low), key);
        }
    }

    // The current record stays current; in place of one that left comes the next.
    if (const int found = onRecord ? positionOf(current) : -1; found >= 0)
        m_position = found;
    else
        m_position = m_keys.empty() ? -1 : std::clamp(m_position, 0, int(m_keys.size()) - 1);
    m_bof = m_position <= 0;
    m_eof = m_keys.empty();
}

void TTable::otherCursorChanged(qint64 key, bool deleted)
{
    if (m_state == TDataSetState::Edit || m_state == TDataSetState::Insert) {
        m_pendingChanges.emplace_back(key, deleted);
        return;
    }
    if (m_state != TDataSetState::Browse)
        return;
    placeRecord(key, deleted);
    dataEvent(TDataEvent::DataSetChanged);
}

bool TTable::applyPendingChanges()
{
    const std::vector<std::pair<qint64, bool>> pending = std::exchange(m_pendingChanges, {});
    for (const auto &[key, deleted] : pending)
        placeRecord(key, deleted);
    return !pending.empty();
}

int TTable::positionOf(qint64 key) const
{
    const auto it = std::find(m_keys.begin(), m_keys.end(), key);
    return it == m_keys.end() ? -1 : int(it - m_keys.begin());
}

void TTable::setFilter(const QString &text)
{
    if (text == m_filterText)
        return;
    Filter::Expression parsed = Filter::Expression::parse(text, m_tableName);
    if (Active()) {
        std::vector<QVariant> unused;
        parsed.toSql([this](const QString &name) { return columnFor(name); }, m_tableName, unused);
        if (m_filtered)
            CheckBrowseMode();
    }
    m_filterText = text;
    m_filter = std::move(parsed);
    if (Active() && m_filtered)
        requery();
}

void TTable::setFiltered(bool filtered)
{
    if (filtered == m_filtered)
        return;
    if (Active())
        CheckBrowseMode();
    m_filtered = filtered;
    if (Active())
        requery();
}

void TTable::setIndexName(const QString &indexName)
{
    changeOrder(indexName, QString());
}

void TTable::setIndexFieldNames(const QString &fieldNames)
{
    if (Active() && m_masterSource)
        fail(u"the index fields cannot change while the master link is open"_s);
    changeOrder(QString(), fieldNames);
}

// An index name and index fields exclude each other. An open table keeps its current record
// in the new order; an unknown index or field changes nothing.
void TTable::changeOrder(const QString &indexName, const QString &fieldNames)
{
    const QString previousName = std::exchange(m_indexName, indexName);
    const QString previousFields = std::exchange(m_indexFieldNames, fieldNames);
    if (!Active())
        return;
    const std::vector<OrderColumn> previousOrder = m_order;
    try {
        resolveOrder();
        CheckBrowseMode();
    } catch (...) {
        m_indexName = previousName;
        m_indexFieldNames = previousFields;
        m_order = previousOrder;
        throw;
    }
    refreshKeys(m_position >= 0 ? m_keys[m_position] : 0);
    dataEvent(TDataEvent::DataSetChanged);
}

void TTable::setMasterSource(TDataSource *source)
{
    if (source == m_masterSource)
        return;
    if (Active() && source)
        fail(u"the master link cannot change while the table is open"_s);
    if (m_masterSource)
        m_masterSource->removeDetail(this);
    m_masterSource = source;
    if (m_masterSource)
        m_masterSource->addDetail(this);
}

void TTable::setMasterFields(const QString &fieldNames)
{
    checkOpenSettings();
    m_masterFields = fieldNames;
}

std::vector<QVariant> TTable::masterValues() const
{
    std::vector<QVariant> values;
    TTable *master = m_masterSource ? m_masterSource->DataSet() : nullptr;
    if (!master || !master->Active() ||
        (master->IsEmpty() && master->State() != TDataSetState::Insert))
        return values;
    for (const QString &name : splitFieldNames(m_masterFields))
        values.push_back(master->FieldByName(name)->Value());
    return values;
}

void TTable::masterChanged()
{
    if (!Active())
        return;
    std::vector<QVariant> key = masterValues();
    if (key == m_masterKey)
        return;
    CheckBrowseMode();
    m_masterKey = std::move(key);
    requery();
}

// ---------------------------------------------------------------- moving

bool TTable::IsEmpty() const
{
    return m_keys.empty() && m_state != TDataSetState::Insert;
}

int TTable::RecordCount() const
{
    checkActive();
    return int(m_keys.size());
}

int TTable::RecNo() const
{
    if (m_state == TDataSetState::Insert)
        return m_insertPosition + 1;
    return m_position + 1;
}

void TTable::setPosition(int position)
{
    if (position == m_position)
        return;
    m_position = position;
    dataEvent(TDataEvent::DataSetScrolled);
}

void TTable::First()
{
    checkActive();
    CheckBrowseMode();
    m_bof = true;
    m_eof = m_keys.empty();
    if (!m_keys.empty())
        setPosition(0);
}

void TTable::Last()
{
    checkActive();
    CheckBrowseMode();
    m_eof = true;
    m_bof = m_keys.empty();
    if (!m_keys.empty())
        setPosition(int(m_keys.size()) - 1);
}

int TTable::MoveBy(int distance)
{
    checkActive();
    CheckBrowseMode();
    if (m_keys.empty()) {
        m_bof = m_eof = true;
        return 0;
    }
    const int last = int(m_keys.size()) - 1;
    const int target = std::clamp(qint64(m_position) + distance, qint64(0), qint64(last));
    m_eof = distance > 0 && m_position + distance > last;
    m_bof = distance < 0 && m_position + distance < 0;
    if (distance > 0 && target > m_position)
        m_bof = false;
    if (distance < 0 && target < m_position)
        m_eof = false;
    const int moved = target - m_position;
    setPosition(target);
    return moved;
}

void TTable::Next()
{
    MoveBy(1);
}

void TTable::Prior()
{
    MoveBy(-1);
}

void TTable::setRecNo(int recNo)
{
    checkActive();
    CheckBrowseMode();
    if (m_keys.empty())
        return;
    const int target = std::clamp(recNo - 1, 0, int(m_keys.size()) - 1);
    m_bof = target == 0;
    m_eof = false;
    setPosition(target);
}

bool TTable::Locate(const QString &fieldName, const QVariant &value, TLocateOptions options)
{
    checkActive();
    CheckBrowseMode();
    const TField *field = FieldByName(fieldName);
    const bool text =
        field->DataType() == TFieldType::String || field->DataType() == TFieldType::Memo;
    const QString wanted = value.toString();
    const bool caseBlind = text && options.testFlag(TLocateOption::CaseInsensitive);
    const bool partial = text && options.testFlag(TLocateOption::PartialKey);

    std::vector<QVariant> parameters;
    QString where = whereClause(parameters);
    const QString column = quoteIdentifier(m_columnNames.at(field->Index()));
    std::unordered_set<qint64> matches;
    if (caseBlind || partial) {
        Statement rows(*m_file, u"SELECT rowid, %1 FROM %2%3"_s.arg(
                                    column, quoteIdentifier(m_sqlTable), where));
        rows.bindAll(parameters);
        while (rows.step()) {
            const QString candidate = rows.text(1);
            const Qt::CaseSensitivity sensitivity =
                caseBlind ? Qt::CaseInsensitive : Qt::CaseSensitive;
            const bool equal = partial ? candidate.startsWith(wanted, sensitivity)
                                       : candidate.compare(wanted, sensitivity) == 0;
            if (equal)
                matches.insert(sqlite3_column_int64(rows.handle(), 0));
        }
    } else {
        const QVariant stored = field->convert(value);
        where += where.isEmpty() ? u" WHERE "_s : u" AND "_s;
        if (stored.isNull()) {
            where += u"IFNULL(%1, '') = ''"_s.arg(column);
        } else {
            where += column + u" = ?"_s;
            parameters.push_back(stored);
        }
        Statement rows(*m_file,
                       u"SELECT rowid FROM %1%2"_s.arg(quoteIdentifier(m_sqlTable), where));
        rows.bindAll(parameters);
        while (rows.step())
            matches.insert(sqlite3_column_int64(rows.handle(), 0));
    }
    if (matches.empty())
        return false;
    for (size_t i = 0; i < m_keys.size(); ++i) {
        if (matches.count(m_keys[i])) {
            m_bof = i == 0;
            m_eof = false;
            setPosition(int(i));
            return true;
        }
    }
    return false;
}

// ---------------------------------------------------------------- reading records

QVariant TTable::valueAt(int row, int fieldIndex)
{
    checkActive();
    if (fieldIndex < 0 || fieldIndex >= FieldCount() || row < 0 || row >= int(m_keys.size()))
        return {};
    if (m_state == TDataSetState::Edit && row == m_position)
        return m_buffer[fieldIndex];
    return m_cache->value(m_keys, row, fieldIndex, m_fields[fieldIndex]->DataType());
}

QVariant TTable::fieldValue(const TField &field)
{
    switch (m_state) {
    case TDataSetState::Edit:
    case TDataSetState::Insert:
        return m_buffer[field.Index()];
    case TDataSetState::Browse:
        return m_position >= 0 ? m_cache->value(m_keys, m_position, field.Index(), field.DataType())
                               : QVariant();
    default:
        return {};
    }
}

// ---------------------------------------------------------------- editing

void TTable::setFieldValue(const TField &field, const QVariant &value)
{
    if (m_state != TDataSetState::Edit && m_state != TDataSetState::Insert)
        fail(u"field '%1': the record is not being edited"_s.arg(field.FieldName()));
    m_buffer[field.Index()] = value;
    m_changed[field.Index()] = true;
    m_modified = true;
    dataEvent(TDataEvent::FieldChanged, const_cast<TField *>(&field));
}

void TTable::setState(TDataSetState state)
{
    if (state == m_state)
        return;
    m_state = state;
    dataEvent(TDataEvent::StateChanged);
}

void TTable::startInsert(int position)
{
    m_returnPosition = m_position;
    m_insertPosition = position;
    m_buffer.assign(m_fields.size(), QVariant());
    m_changed.assign(m_fields.size(), false);
    const std::vector<QVariant> master = masterValues();
    for (size_t i = 0; i < m_masterFieldIndexes.size() && i < master.size(); ++i) {
        m_buffer[m_masterFieldIndexes[i]] = master[i];
        m_changed[m_masterFieldIndexes[i]] = true;
    }
    m_modified = false;
    m_eof = m_bof = false;
    setState(TDataSetState::Insert);
    dataEvent(TDataEvent::DataSetChanged);
    if (AfterInsert)
        AfterInsert(*this);
    // What the insert handlers filled in is the new record's starting point, not a change:
    // a record nobody has typed into is dropped, not saved, when the cursor leaves it.
    m_modified = false;
}

void TTable::Insert()
{
    checkActive();
    CheckBrowseMode();
    startInsert(std::max(m_position, 0));
}

void TTable::Append()
{
    checkActive();
    CheckBrowseMode();
    startInsert(int(m_keys.size()));
}

void TTable::Edit()
{
    checkActive();
    if (m_state == TDataSetState::Edit || m_state == TDataSetState::Insert)
        return;
    if (m_keys.empty()) {
        Append();
        return;
    }
    m_buffer.resize(m_fields.size());
    for (int i = 0; i < FieldCount(); ++i)
        m_buffer[i] = m_cache->value(m_keys, m_position, i, m_fields[i]->DataType());
    m_changed.assign(m_fields.size(), false);
    m_modified = false;
    m_editKey = m_keys[m_position];
    setState(TDataSetState::Edit);
}

void TTable::CheckBrowseMode()
{
    checkActive();
    if (m_state != TDataSetState::Edit && m_state != TDataSetState::Insert)
        return;
    UpdateRecord();
    if (m_modified)
        Post();
    else
        Cancel();
}

void TTable::UpdateRecord()
{
    if (m_state == TDataSetState::Edit || m_state == TDataSetState::Insert)
        dataEvent(TDataEvent::UpdateRecord);
}

void TTable::Post()
{
    checkActive();
    if (m_state != TDataSetState::Edit && m_state != TDataSetState::Insert)
        return;
    UpdateRecord();
    if (BeforePost)
        BeforePost(*this);
    const bool inserting = m_state == TDataSetState::Insert;
    const QString table = quoteIdentifier(m_sqlTable);
    qint64 key = m_editKey;
    {
        WriteTransaction transaction(*m_file);
        QStringList columns;
        std::vector<QVariant> values;
        for (int i = 0; i < FieldCount(); ++i) {
            if (i == m_rowidField || !m_changed[i])
                continue;
            columns.append(quoteIdentifier(m_columnNames.at(i)));
            values.push_back(m_buffer[i]);
        }
        if (inserting) {
            const QString sql = columns.isEmpty()
                                    ? u"INSERT INTO %1 DEFAULT VALUES"_s.arg(table)
                                    : u"INSERT INTO %1 (%2) VALUES (%3)"_s.arg(
                                          table, columns.join(u", "_s),
                                          QStringList(columns.size(), u"?"_s).join(u", "_s));
            Statement insert(*m_file, sql);
            insert.bindAll(values);
            insert.step();
            key = sqlite3_last_insert_rowid(m_file->handle());
        } else if (!columns.isEmpty()) {
            for (QString &column : columns)
                column += u" = ?"_s;
            Statement update(
                *m_file, u"UPDATE %1 SET %2 WHERE rowid = ?"_s.arg(table, columns.join(u", "_s)));
            update.bindAll(values);
            update.bind(int(values.size()) + 1, key);
            update.step();
            if (sqlite3_changes(m_file->handle()) != 1)
                fail(u"the record no longer exists; another window may have deleted it"_s);
        }
        transaction.commit();
    }
    m_buffer.clear();
    m_changed.clear();
    m_modified = false;
    // The saved record goes where this cursor's order puts it and becomes current, if the
    // master link and filter still let it through; then come the changes that other cursors
    // made meanwhile, and those cursors hear of this one.
    placeRecord(key, false);
    applyPendingChanges();
    if (const int placed = positionOf(key); placed >= 0)
        m_position = placed;
    m_eof = m_keys.empty();
    m_bof = m_position <= 0;
    setState(TDataSetState::Browse);
    m_file->announce(key, false, m_follower.get());
    dataEvent(TDataEvent::DataSetChanged);
    if (AfterPost)
        AfterPost(*this);
}

void TTable::Cancel()
{
    checkActive();
    if (m_state != TDataSetState::Edit && m_state != TDataSetState::Insert)
        return;
    const bool inserting = m_state == TDataSetState::Insert;
    m_buffer.clear();
    m_changed.clear();
    m_modified = false;
    if (inserting) {
        m_position = m_keys.empty() ? -1 : std::clamp(m_returnPosition, 0, int(m_keys.size()) - 1);
        m_bof = m_position <= 0;
        m_eof = m_keys.empty();
    }
    const bool othersChanged = applyPendingChanges();
    setState(TDataSetState::Browse);
    dataEvent(inserting || othersChanged ? TDataEvent::DataSetChanged : TDataEvent::RecordChanged);
}

void TTable::Delete()
{
    checkActive();
    if (m_state == TDataSetState::Insert) {
        Cancel();
        return;
    }
    if (m_state == TDataSetState::Edit)
        Cancel();
    if (m_keys.empty())
        fail(u"there is no record to delete"_s);
    const qint64 key = m_keys[m_position];
    {
        WriteTransaction transaction(*m_file);
        Statement remove(*m_file,
                         u"DELETE FROM %1 WHERE rowid = ?"_s.arg(quoteIdentifier(m_sqlTable)));
        remove.bind(1, key);
        remove.step();
        transaction.commit();
    }
    m_keys.erase(m_keys.begin() + m_position);
    m_cache->clear();
    if (m_position >= int(m_keys.size()))
        m_position = int(m_keys.size()) - 1;
    m_bof = m_position <= 0;
    m_eof = m_keys.empty();
    m_file->announce(key, true, m_follower.get());
    dataEvent(TDataEvent::DataSetChanged);
}

// ---------------------------------------------------------------- telling the data sources

void TTable::addSource(TDataSource *source)
{
    m_sources.push_back(source);
}

void TTable::removeSource(TDataSource *source)
{
    std::erase(m_sources, source);
}

void TTable::dataEvent(TDataEvent event, TField *field)
{
    const bool enabled = m_disableCount == 0;
    // A source may detach while it is told: walk a copy, kept on the stack.
    for (TDataSource *source :
         QVarLengthArray<TDataSource *, 4>(m_sources.begin(), m_sources.end()))
        source->notify(event, field, enabled);
}

void TTable::DisableControls()
{
    ++m_disableCount;
}

void TTable::EnableControls()
{
    if (m_disableCount == 0)
        return;
    if (--m_disableCount == 0 && Active())
        dataEvent(TDataEvent::DataSetChanged);
}
