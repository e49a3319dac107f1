#pragma once

#include <QObject>

#include <functional>
#include <vector>

class TDataSource;
class TField;
class TTable;

enum class TDataSetState
{
    Inactive,
    Browse,
    Edit,
    Insert
};

// What a table tells the data sources that point at it.
enum class TDataEvent
{
    ActiveChanged,   // opened or closed
    RecordChanged,   // the current record's values changed as a whole (post, cancel)
    FieldChanged,    // one field of the record being edited changed
    DataSetChanged,  // the set of records changed (open, filter, order, master move, enable)
    DataSetScrolled, // the current record moved
    StateChanged,    // browse, edit, insert
    UpdateRecord     // before a post: controls write what the user typed into their fields
};

// An observer of a data source: the data-aware controls and anything else that follows a
// table derive from it. Links are told synchronously, inside the table operation.
class TDataLink
{
public:
    TDataLink() = default;
    TDataLink(const TDataLink &) = delete;
    TDataLink &operator=(const TDataLink &) = delete;
    virtual ~TDataLink();

    TDataSource *DataSource() const { return m_source; }
    void setDataSource(TDataSource *source);
    TTable *DataSet() const;

protected:
    friend class TDataSource;
    virtual void dataEvent(TDataEvent event, TField *field) = 0;

private:
    TDataSource *m_source = nullptr;
};

// Connects a table to the controls bound to it. OnDataChange runs after a move, open, post,
// field change or re-filter; OnStateChange after the table's state changed.
class TDataSource : public QObject
{
    Q_OBJECT
public:
    explicit TDataSource(QObject *parent = nullptr);
    ~TDataSource() override;

    TTable *DataSet() const { return m_dataSet; }
    void setDataSet(TTable *table);
    TDataSetState State() const;

    std::function<void(TDataSource &, TField *)> OnDataChange;
    std::function<void(TDataSource &)> OnStateChange;

private:
    friend class TDataLink;
    friend class TTable;
    void addLink(TDataLink *link);
    void removeLink(TDataLink *link);
    void addDetail(TTable *detail);
    void removeDetail(TTable *detail);
    // From the table: links and the callbacks hear it unless the table's controls are
    // disabled; master links always follow.
    void notify(TDataEvent event, TField *field, bool controlsEnabled);
    void tableDestroyed();

    TTable *m_dataSet = nullptr;
    std::vector<TDataLink *> m_links;
    std::vector<TTable *> m_details;
};
