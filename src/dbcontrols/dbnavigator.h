#pragma once

#include "fielddatalink.h"

#include <QStringList>
#include <QWidget>

#include <array>
#include <functional>

class QToolButton;

enum class TNavigateBtn
{
    First,
    Prior,
    Next,
    Last,
    Insert,
    Delete,
    Edit,
    Post,
    Cancel
};

// The row of record buttons: first, prior, next, last, insert, delete, edit, post, cancel.
// Buttons are enabled by the table's state and position; delete asks first; OnClick runs
// after a button's action, with the button.
class TDBNavigator : public QWidget, public TDataAware
{
    Q_OBJECT
    Q_PROPERTY(QString DataSource READ dataSourceName WRITE setDataSourceName)
    Q_PROPERTY(QStringList VisibleButtons READ visibleButtons WRITE setVisibleButtons)
    Q_PROPERTY(QStringList Hints READ hints WRITE setHints)
public:
    explicit TDBNavigator(QWidget *parent = nullptr);

    QString dataSourceName() const { return m_sourceName; }
    void setDataSourceName(const QString &name) { m_sourceName = name; }
    // Designed windows name their source; the link is made when the data module exists.
    void setDataSource(const QString &name) { setDataSourceName(name); }
    void setDataSource(TDataSource *source);
    TDataSource *DataSource() const { return m_link.DataSource(); }
    void bindSources(const SourceResolver &resolve) override;

    // Names "nbFirst" ... "nbCancel"; empty shows all nine.
    QStringList visibleButtons() const { return m_visibleNames; }
    void setVisibleButtons(const QStringList &names);
    QStringList hints() const { return m_hints; }
    void setHints(const QStringList &hints);

    QToolButton *button(TNavigateBtn which) const;
    // Does what the button does, as a click would (errors go to the error report).
    void BtnClick(TNavigateBtn which);

    std::function<void(TDBNavigator &, TNavigateBtn)> OnClick;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void act(TNavigateBtn which);
    void updateButtons();
    void layoutButtons();

    TFieldDataLink m_link;
    QString m_sourceName;
    QStringList m_visibleNames;
    QStringList m_hints;
    std::array<QToolButton *, 9> m_buttons{};
};
