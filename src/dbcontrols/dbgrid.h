#pragma once

#include "fielddatalink.h"

#include <QAbstractTableModel>
#include <QStringList>
#include <QTableView>

#include <functional>
#include <vector>

class TTable;
class TField;

// A column of a grid: the field it shows and its title.
struct TColumn
{
    QString FieldName;
    QString Title;
    int Width = 0; // 0: the view's default
};

// The rows of a table as a Qt model. Rows are read on demand through the table's block
// cache, so a grid over 100,000 stamps opens and scrolls at once. While a record is being
// inserted it shows as an extra row at its place.
class TTableModel : public QAbstractTableModel, public TDataLink
{
    Q_OBJECT
public:
    explicit TTableModel(QObject *parent = nullptr);

    void setColumns(const std::vector<TColumn> &columns);
    const std::vector<TColumn> &columns() const { return m_columns; }
    TField *fieldOfColumn(int column) const;
    TTable *table() const;
    int currentRow() const; // the cursor's row, -1 without one
    void reload();          // the set of rows changed

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    std::function<void()> onCurrentChanged;
    // The table asks for the text still in the controls before it saves.
    std::function<void()> onUpdateRecord;

protected:
    void dataEvent(TDataEvent event, TField *field) override;

private:
    std::vector<TField *> shownFields() const;
    int m_rows = 0;
    std::vector<TColumn> m_columns;
};

// A data grid: the current row is the table's current record, cells are edited in place,
// Insert inserts, the down arrow on the last row appends, leaving a changed row posts it,
// and Ctrl+Delete deletes after the confirmation.
class TDBGrid : public QTableView, public TDataAware
{
    Q_OBJECT
    Q_PROPERTY(QString DataSource READ dataSourceName WRITE setDataSourceName)
    // Designed columns as "Field" or "Field=Title" entries; none: every field of the table.
    Q_PROPERTY(QStringList Columns READ columnTexts WRITE setColumnTexts)
    // The titles the columns show, designed or taken from the table's fields.
    Q_PROPERTY(QStringList ColumnTitles READ columnTitles WRITE setColumnTitles)
public:
    explicit TDBGrid(QWidget *parent = nullptr);

    QString dataSourceName() const { return m_sourceName; }
    void setDataSourceName(const QString &name) { m_sourceName = name; }
    // Designed windows name their source; the link is made when the data module exists.
    void setDataSource(const QString &name) { setDataSourceName(name); }
    QStringList columnTexts() const;
    void setColumnTexts(const QStringList &texts);
    void setColumns(const QStringList &texts) { setColumnTexts(texts); }
    void setColumns(const std::vector<TColumn> &columns);
    QStringList columnTitles() const;
    // Retitles the first columns, as many as there are titles and columns; a grid without
    // designed columns first takes one per field of its table.
    void setColumnTitles(const QStringList &titles);
    void setDataSource(TDataSource *source);
    TDataSource *DataSource() const { return m_model->DataSource(); }
    void bindSources(const SourceResolver &resolve) override;
    TTableModel *tableModel() const { return m_model; }

    std::function<void(TDBGrid &)> OnDblClick;
    // Runs before the grid handles a key, which it then does as usual.
    std::function<void(TDBGrid &, QKeyEvent &)> OnKeyDown;

protected:
    bool edit(const QModelIndex &index, EditTrigger trigger, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint) override;

private:
    void followCursor();
    void commitOpenEditor();

    TTableModel *m_model;
    QString m_sourceName;
    bool m_following = false;
    // Set by a double-click until the next press: the click before it must not open an
    // editor late.
    bool m_doubleClicked = false;
};
