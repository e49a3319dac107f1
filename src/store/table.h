#pragma once

// The table engine's cursor.
//
// A TTable is a keyset cursor over one table of an SQLite file. Opening, filtering,
// re-ordering or a move of the master reads the ordered keys (rowids) of the visible
// records in one query; records are then fetched by key in blocks around the current one
// and kept in a small cache, so a grid over 100,000 stamps opens at once and a walk over
// all of them reads each record once. Text orders are sorted here, not by a collation
// named in the file, so the files stay plain SQLite that any tool can read and write.
//
// A record being inserted or edited lives in an edit buffer until Post writes it in one
// durable transaction. Moving off a changed record posts it first; moving off an unchanged
// one cancels the edit.
//
// Every cursor over a file shows what is committed: after a post or delete the cursor that
// made it announces the record's key through the file's shared connection, and each other
// cursor puts that one record in or out of its keys at the place its order gives it, with
// a query by key rather than a new read of every key. A cursor with an edit pending keeps
// it and takes the changes when the edit ends.

#include "datasource.h"
#include "field.h"
#include "filter.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <memory>
#include <vector>

class BlockCache;
class SqliteFile;
class Statement;

enum class TLocateOption
{
    CaseInsensitive = 0x1,
    PartialKey = 0x2
};
Q_DECLARE_FLAGS(TLocateOptions, TLocateOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TLocateOptions)

class TTable : public QObject
{
    Q_OBJECT
public:
    explicit TTable(QObject *parent = nullptr);
    ~TTable() override;

    // The folder (".\Data" style paths are accepted) and the file in it.
    const QString &DatabaseName() const { return m_databaseName; }
    void setDatabaseName(const QString &folder);
    const QString &TableName() const { return m_tableName; }
    void setTableName(const QString &fileName);
    QString filePath() const;

    // Declares a field object that the file must have; a table without declared fields
    // takes its fields from the file when it opens.
    TField *addField(const QString &fieldName, TFieldType type, int size = 0);

    void Open();
    void Close();
    bool Active() const { return m_state != TDataSetState::Inactive; }
    void setActive(bool active);
    TDataSetState State() const { return m_state; }

    void First();
    void Last();
    void Next();
    void Prior();
    int MoveBy(int distance);
    bool Eof() const { return m_eof; }
    bool Bof() const { return m_bof; }
    bool IsEmpty() const;
    int RecordCount() const;
    int RecNo() const; // 1-based position, 0 when there is none
    void setRecNo(int recNo);

    void Insert();
    void Append();
    void Edit();
    void Post();
    void Cancel();
    void Delete();
    bool Modified() const { return m_modified; }
    // Posts a changed record, cancels an unchanged edit; nothing in browse.
    void CheckBrowseMode();
    // Has the bound controls write their pending text into the record being edited.
    void UpdateRecord();

    const std::vector<TField *> &Fields() const { return m_fields; }
    int FieldCount() const { return int(m_fields.size()); }
    TField *FindField(const QString &fieldName) const;
    TField *FieldByName(const QString &fieldName) const;

    bool Locate(const QString &fieldName, const QVariant &value, TLocateOptions options = {});

    const QString &Filter() const { return m_filterText; }
    void setFilter(const QString &text);
    bool Filtered() const { return m_filtered; }
    void setFiltered(bool filtered);

    const QString &IndexName() const { return m_indexName; }
    void setIndexName(const QString &indexName);
    const QString &IndexFieldNames() const { return m_indexFieldNames; }
    void setIndexFieldNames(const QString &fieldNames);

    TDataSource *MasterSource() const { return m_masterSource; }
    void setMasterSource(TDataSource *source);
    const QString &MasterFields() const { return m_masterFields; }
    void setMasterFields(const QString &fieldNames);

    void DisableControls();
    void EnableControls();
    bool ControlsDisabled() const { return m_disableCount > 0; }

    // A value of any row (0-based, in the cursor's order) without moving the cursor, for
    // views that show many rows at once.
    QVariant valueAt(int row, int fieldIndex);

    std::function<void(TTable &)> AfterInsert;
    std::function<void(TTable &)> BeforePost;
    std::function<void(TTable &)> AfterPost;

private:
    friend class TField;
    friend class TDataSource;
    struct Follower;
    struct OrderColumn
    {
        int fieldIndex; // -1: the rowid
        bool text;
    };

    [[noreturn]] void fail(const QString &what) const;
    void checkActive() const;
    void checkOpenSettings() const;
    void bindFields();
    void prepareStatements();
    void resolveOrder();
    void changeOrder(const QString &indexName, const QString &fieldNames);
    std::vector<OrderColumn> orderColumnsFor(const QStringList &fieldNames) const;
    QString whereClause(std::vector<QVariant> &parameters) const;
    void readKeys();
    void requery();
    void refreshKeys(qint64 keepKey);
    // Puts a record that was added, changed or deleted where this cursor's master link,
    // filter and order have it (or takes it out), keeping the current record current.
    void placeRecord(qint64 key, bool deleted);
    void otherCursorChanged(qint64 key, bool deleted);
    bool applyPendingChanges();
    int positionOf(qint64 key) const;
    void setPosition(int position);
    QString columnFor(const QString &fieldName) const;

    QVariant fieldValue(const TField &field);
    void setFieldValue(const TField &field, const QVariant &value);
    void startInsert(int position);
    void setState(TDataSetState state);
    void dataEvent(TDataEvent event, TField *field = nullptr);
    void addSource(TDataSource *source);
    void removeSource(TDataSource *source);
    void masterChanged();
    std::vector<QVariant> masterValues() const;

    QString m_databaseName;
    QString m_tableName;
    QString m_sqlTable;
    std::shared_ptr<SqliteFile> m_file;
    std::vector<TField *> m_fields;
    QStringList m_columnNames; // the file's spelling of each field's column
    int m_declaredFieldCount = 0;
    int m_rowidField = -1; // the auto-increment field that is the rowid, if any

    TDataSetState m_state = TDataSetState::Inactive;
    std::vector<qint64> m_keys;
    int m_position = -1;
    bool m_eof = true;
    bool m_bof = true;

    std::vector<QVariant> m_buffer; // the record being edited or inserted
    std::vector<bool> m_changed;    // which fields of the buffer were assigned
    bool m_modified = false;
    qint64 m_editKey = 0;
    int m_insertPosition = -1;
    int m_returnPosition = -1;

    QString m_filterText;
    Filter::Expression m_filter;
    bool m_filtered = false;
    QString m_indexName;
    QString m_indexFieldNames;
    std::vector<OrderColumn> m_order;
    QString m_masterFields;
    TDataSource *m_masterSource = nullptr;
    std::vector<int> m_masterFieldIndexes;
    std::vector<QVariant> m_masterKey;

    std::vector<TDataSource *> m_sources;
    int m_disableCount = 0;
    std::unique_ptr<BlockCache> m_cache;
    std::unique_ptr<Follower> m_follower;
    // Changes that other cursors committed while this one had an edit pending.
    std::vector<std::pair<qint64, bool>> m_pendingChanges;
};
