#include "dbgrid.h"

#include "databaseerror.h"
#include "field.h"
#include "handler.h"
#include "messages.h"
#include "table.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>

using namespace Qt::Literals::StringLiterals;

TTableModel::TTableModel(QObject *parent) : QAbstractTableModel(parent) {}

TTable *TTableModel::table() const
{
    TTable *dataSet = DataSet();
    return dataSet && dataSet->Active() ? dataSet : nullptr;
}

void TTableModel::setColumns(const std::vector<TColumn> &columns)
{
    beginResetModel();
    m_columns = columns;
    endResetModel();
}

std::vector<TField *> TTableModel::shownFields() const
{
    std::vector<TField *> fields;
    TTable *dataSet = table();
    if (!dataSet)
        return fields;
    if (m_columns.empty())
        return dataSet->Fields();
    for (const TColumn &column : m_columns)
        fields.push_back(dataSet->FindField(column.FieldName));
    return fields;
}

TField *TTableModel::fieldOfColumn(int column) const
{
    const std::vector<TField *> fields = shownFields();
    return column >= 0 && column < int(fields.size()) ? fields[size_t(column)] : nullptr;
}

int TTableModel::currentRow() const
{
    TTable *dataSet = table();
    if (!dataSet || (dataSet->IsEmpty()))
        return -1;
    return dataSet->RecNo() - 1;
}

int TTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int TTableModel::columnCount(const QModelIndex &parent) const
{
    if (parent.isValid())
        return 0;
    if (!m_columns.empty())
        return int(m_columns.size());
    TTable *dataSet = table();
    return dataSet ? dataSet->FieldCount() : 0;
}

QVariant TTableModel::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    TTable *dataSet = table();
    TField *field = fieldOfColumn(index.column());
    if (!dataSet || !field)
        return {};
    try {
        QVariant value;
        const int current = currentRow();
        if (index.row() == current && dataSet->State() != TDataSetState::Browse) {
            value = field->Value(); // the record being edited or inserted
        } else {
            int row = index.row();
            // Rows after a record being inserted move down by one.
            if (dataSet->State() == TDataSetState::Insert && row > current)
                --row;
            value = dataSet->valueAt(row, field->Index());
        }
        return role == Qt::EditRole ? field->textOf(value) : field->displayTextOf(value);
    } catch (const EDatabaseError &) {
        return {}; // a row that cannot be read shows empty; moving onto it reports why
    }
}

bool TTableModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::EditRole || index.row() != currentRow())
        return false;
    TField *field = fieldOfColumn(index.column());
    if (!field)
        return false;
    return runHandler([&] {
        // An editor closed on the text it opened with changes nothing.
        if (field->AsString() == value.toString())
            return;
        if (field->DataSet()->State() == TDataSetState::Browse)
            field->DataSet()->Edit();
        field->setAsString(value.toString());
    });
}

QVariant TTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (section < int(m_columns.size()))
        return m_columns[size_t(section)].Title.isEmpty() ? m_columns[size_t(section)].FieldName
                                                          : m_columns[size_t(section)].Title;
    const TField *field = fieldOfColumn(section);
    return field ? field->FieldName() : QString();
}

Qt::ItemFlags TTableModel::flags(const QModelIndex &index) const
{
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    const TField *field = fieldOfColumn(index.column());
    if (field && !field->ReadOnly() && field->DataType() != TFieldType::Blob)
        flags |= Qt::ItemIsEditable;
    return flags;
}

void TTableModel::dataEvent(TDataEvent event, TField *)
{
    switch (event) {
    case TDataEvent::UpdateRecord:
        if (onUpdateRecord)
            onUpdateRecord();
        return;
    case TDataEvent::FieldChanged:
    case TDataEvent::RecordChanged: {
        const int row = currentRow();
        if (row >= 0 && row < m_rows)
            Q_EMIT dataChanged(index(row, 0), index(row, columnCount() - 1));
        break;
    }
    case TDataEvent::DataSetScrolled:
    case TDataEvent::StateChanged:
        break;
    default:
        reload();
        return;
    }
    if (onCurrentChanged)
        onCurrentChanged();
}

void TTableModel::reload()
{
    TTable *dataSet = table();
    beginResetModel();
    m_rows =
        dataSet ? dataSet->RecordCount() + (dataSet->State() == TDataSetState::Insert ? 1 : 0) : 0;
    endResetModel();
    if (onCurrentChanged)
        onCurrentChanged();
}

TDBGrid::TDBGrid(QWidget *parent) : QTableView(parent), m_model(new TTableModel(this))
{
    setModel(m_model);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::EditKeyPressed |
                    QAbstractItemView::SelectedClicked);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    // No empty band right of the columns: the last one takes the rest of the width.
    horizontalHeader()->setStretchLastSection(true);
    m_model->onCurrentChanged = [this] { followCursor(); };
    m_model->onUpdateRecord = [this] { commitOpenEditor(); };
}

QStringList TDBGrid::columnTexts() const
{
    QStringList texts;
    for (const TColumn &column : m_model->columns())
        texts.append(column.Title.isEmpty() ? column.FieldName
                                            : column.FieldName + u'=' + column.Title);
    return texts;
}

void TDBGrid::setColumnTexts(const QStringList &texts)
{
    std::vector<TColumn> columns;
    for (const QString &text : texts)
        columns.push_back({text.section(u'=', 0, 0), text.section(u'=', 1), 0});
    setColumns(columns);
}

QStringList TDBGrid::columnTitles() const
{
    QStringList titles;
    for (int column = 0; column < m_model->columnCount(); ++column)
        titles.append(m_model->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString());
    return titles;
}

void TDBGrid::setColumnTitles(const QStringList &titles)
{
    std::vector<TColumn> columns = m_model->columns();
    if (columns.empty())
        for (int column = 0; column < m_model->columnCount(); ++column)
            if (const TField *field = m_model->fieldOfColumn(column))
                columns.push_back({field->FieldName(), {}, 0});
    for (size_t i = 0; i < columns.size() && i < size_t(titles.size()); ++i)
        columns[i].Title = titles[qsizetype(i)];
    m_model->setColumns(columns);
}

void TDBGrid::setColumns(const std::vector<TColumn> &columns)
{
    m_model->setColumns(columns);
    for (size_t i = 0; i < columns.size(); ++i)
        if (columns[i].Width > 0)
            setColumnWidth(int(i), columns[i].Width);
}

void TDBGrid::setDataSource(TDataSource *source)
{
    m_model->setDataSource(source);
    m_model->reload();
}

void TDBGrid::bindSources(const SourceResolver &resolve)
{
    setDataSource(resolve(m_sourceName));
}

void TDBGrid::followCursor()
{
    const int row = m_model->currentRow();
    const int column = std::max(currentIndex().column(), 0);
    m_following = true;
    if (row >= 0 && row < m_model->rowCount())
        setCurrentIndex(m_model->index(row, column));
    else
        setCurrentIndex({});
    m_following = false;
}

void TDBGrid::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QTableView::currentChanged(current, previous);
    if (m_following || !current.isValid() || current.row() == m_model->currentRow())
        return;
    TTable *table = m_model->table();
    if (!table)
        return;
    // Moving to another row posts a changed record first (the table does that on a move).
    if (!runHandler([&] { table->setRecNo(current.row() + 1); }))
        followCursor();
}

bool TDBGrid::edit(const QModelIndex &index, EditTrigger trigger, QEvent *event)
{
    // The click before a double-click asks for an editor after the double-click interval,
    // when the double-click has already been handled.
    if (m_doubleClicked && trigger == AllEditTriggers && !event)
        return false;
    if (!QTableView::edit(index, trigger, event))
        return false;
    // Typing into a cell puts the record into edit at once, so a save or a close that
    // comes while the editor is open takes its text along.
    if (TTable *table = m_model->table(); table && table->State() == TDataSetState::Browse)
        runHandler([&] { table->Edit(); });
    return true;
}

void TDBGrid::commitOpenEditor()
{
    if (state() != QAbstractItemView::EditingState)
        return;
    if (QWidget *editor = indexWidget(currentIndex()))
        commitData(editor);
}

void TDBGrid::focusOutEvent(QFocusEvent *event)
{
    QTableView::focusOutEvent(event);
    // A new row that was left unchanged is dropped when the focus goes to another control
    // (not into the grid's own cell editor, and not when the whole window loses it).
    const Qt::FocusReason reason = event->reason();
    if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason)
        return;
    // Nor when it goes to a control that edits the same record, as the focus does when a
    // new country is started in its name edit.
    TTable *table = m_model->table();
    if (!table || table->State() != TDataSetState::Insert || table->Modified())
        return;
    for (QWidget *focus = QApplication::focusWidget(); focus; focus = focus->parentWidget()) {
        if (focus == this)
            return;
        const auto *control = dynamic_cast<const TDataAware *>(focus);
        if (control && control->editedDataSource() &&
            control->editedDataSource()->DataSet() == table)
            return;
    }
    runHandler([&] { table->Cancel(); });
}

void TDBGrid::keyPressEvent(QKeyEvent *event)
{
    // A key the cell editor passed on is reported when the editor closes, after its text
    // has reached the field.
    if (OnKeyDown && state() != QAbstractItemView::EditingState)
        runHandler([&] { OnKeyDown(*this, *event); });
    TTable *table = m_model->table();
    if (table && state() != QAbstractItemView::EditingState) {
        const bool onLastRow = currentIndex().row() == m_model->rowCount() - 1;
        if (event->key() == Qt::Key_Insert && event->modifiers() == Qt::NoModifier) {
            runHandler([&] { table->Insert(); });
            return;
        }
        if (event->key() == Qt::Key_Delete && event->modifiers() == Qt::ControlModifier) {
            runHandler([&] {
                if (Messages::confirmDelete())
                    table->Delete();
            });
            return;
        }
        if (event->key() == Qt::Key_Down && event->modifiers() == Qt::NoModifier &&
            (onLastRow || m_model->rowCount() == 0) && table->State() != TDataSetState::Insert) {
            runHandler([&] { table->Append(); });
            return;
        }
        if (event->key() == Qt::Key_Escape && table->State() != TDataSetState::Browse) {
            runHandler([&] { table->Cancel(); });
            return;
        }
    }
    QTableView::keyPressEvent(event);
}

void TDBGrid::closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint)
{
    QTableView::closeEditor(editor, hint);
    // Escape in a cell's editor also ends the edit its opening began, if nothing changed.
    TTable *table = m_model->table();
    const bool untouched = table && table->State() == TDataSetState::Edit && !table->Modified();
    if (hint == QAbstractItemDelegate::RevertModelCache && untouched)
        runHandler([&] { table->Cancel(); });
    // Enter in a cell's editor reaches the grid's key handler, as it does without one.
    if (hint == QAbstractItemDelegate::SubmitModelCache && OnKeyDown) {
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        runHandler([&] { OnKeyDown(*this, enter); });
    }
}

void TDBGrid::mousePressEvent(QMouseEvent *event)
{
    m_doubleClicked = false;
    QTableView::mousePressEvent(event);
}

void TDBGrid::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (OnDblClick) {
        m_doubleClicked = true;
        runHandler([this] { OnDblClick(*this); });
        return;
    }
    QTableView::mouseDoubleClickEvent(event);
}
