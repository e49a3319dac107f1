#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class TDefForm;
}
class TDM;
class TDBGrid;
class QKeyEvent;
enum class TNavigateBtn;

// The six pick lists side by side, each a grid with an insert, delete and save button. It
// edits the data module's lookup tables directly, always with its designed Danish texts and
// bounds, and lives for one modal showing.
class TDefForm : public QDialog
{
    Q_OBJECT
public:
    explicit TDefForm(TDM *dm, QWidget *parent = nullptr);
    ~TDefForm() override;

    Ui::TDefForm &ui() const { return *m_ui; }

    // Shows a new window modally; it is gone when this returns, also after an error.
    static void open(TDM *dm, QWidget *parent);

    void DBGrid1KeyDown(QKeyEvent &key) { gridKeyDown(0, key); }
    void DBGrid2KeyDown(QKeyEvent &key) { gridKeyDown(1, key); }
    void DBGrid3KeyDown(QKeyEvent &key) { gridKeyDown(2, key); }
    void DBGrid4KeyDown(QKeyEvent &key) { gridKeyDown(3, key); }
    void DBGrid5KeyDown(QKeyEvent &key) { gridKeyDown(4, key); }
    void DBGrid6KeyDown(QKeyEvent &key) { gridKeyDown(5, key); }
    void DBNavigator1Click(TNavigateBtn button) { navigatorClick(0, button); }
    void DBNavigator2Click(TNavigateBtn button) { navigatorClick(1, button); }
    void DBNavigator3Click(TNavigateBtn button) { navigatorClick(2, button); }
    void DBNavigator4Click(TNavigateBtn button) { navigatorClick(3, button); }
    void DBNavigator5Click(TNavigateBtn button) { navigatorClick(4, button); }
    void DBNavigator6Click(TNavigateBtn button) { navigatorClick(5, button); }

protected:
    void showEvent(QShowEvent *event) override;

private:
    TDBGrid *grid(int column) const;
    // Enter saves a record being edited; the grid then handles the key as usual.
    void gridKeyDown(int column, QKeyEvent &key);
    // After an insert the new value is typed straight into the grid.
    void navigatorClick(int column, TNavigateBtn button);

    std::unique_ptr<Ui::TDefForm> m_ui;
    bool m_placed = false;
};
