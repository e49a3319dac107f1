#include "defform.h"

#include "ui_defform.h"

#include "dbgrid.h"
#include "dbnavigator.h"
#include "dm.h"
#include "fielddatalink.h"
#include "table.h"

#include <QKeyEvent>

TDefForm::TDefForm(TDM *dm, QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::TDefForm>())
{
    m_ui->setupUi(this);
    bindDataControls(this, dm);
    TDBNavigator *navigators[] = {m_ui->DBNavigator1, m_ui->DBNavigator2, m_ui->DBNavigator3,
                                  m_ui->DBNavigator4, m_ui->DBNavigator5, m_ui->DBNavigator6};
    for (int column = 0; column < 6; ++column) {
        grid(column)->OnKeyDown = [this, column](TDBGrid &, QKeyEvent &key) {
            gridKeyDown(column, key);
        };
        navigators[column]->OnClick = [this, column](TDBNavigator &, TNavigateBtn button) {
            navigatorClick(column, button);
        };
    }
    m_ui->DBGrid1->setFocus();
}

TDefForm::~TDefForm() = default;

void TDefForm::open(TDM *dm, QWidget *parent)
{
    TDefForm form(dm, parent);
    form.exec();
}

TDBGrid *TDefForm::grid(int column) const
{
    TDBGrid *grids[] = {m_ui->DBGrid1, m_ui->DBGrid2, m_ui->DBGrid3,
                        m_ui->DBGrid4, m_ui->DBGrid5, m_ui->DBGrid6};
    return grids[column];
}

void TDefForm::gridKeyDown(int column, QKeyEvent &key)
{
    TTable *table = grid(column)->tableModel()->table();
    if ((key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter) && table &&
        (table->State() == TDataSetState::Edit || table->State() == TDataSetState::Insert))
        table->Post();
}

void TDefForm::navigatorClick(int column, TNavigateBtn button)
{
    if (button == TNavigateBtn::Insert)
        grid(column)->setFocus();
}

void TDefForm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (m_placed)
        return;
    m_placed = true;
    // Designed as 1024 × 544 outside, at the screen's top left corner.
    const QSize frame = frameGeometry().size() - size();
    resize(QSize(1024, 544) - frame);
    move(0, 0);
}
