#pragma once

#include <QMainWindow>
#include <QString>

#include <memory>

namespace Ui {
class TMainForm;
}
class TDM;
class TQLanguageSource;
class TDBGrid;

// The main window: the country list, the stamp page and the overview, with their menus
// and the status bar. The data module is given after both exist, as at start-up.
class TMainForm : public QMainWindow
{
    Q_OBJECT
public:
    explicit TMainForm(QWidget *parent = nullptr);
    ~TMainForm() override;

    // Links the window's data-aware controls to the module's data sources.
    void setDataModule(TDM *dm);
    TDM *dataModule() const { return m_dm; }
    Ui::TMainForm &ui() const { return *m_ui; }
    TQLanguageSource *QLanguageSource1() const { return m_languageSource; }
    QString statusText() const;
    void setStatusText(const QString &text);

    void FormCreate();
    void FormShow();
    // True when the window may close.
    bool FormClose();
    void PageControl1Change();
    void DBGrid2DblClick();
    void Luk1Click() { close(); }
    void Luk2Click() { close(); }
    void Definitioner1Click();
    void FormResize();

    // The stamp count texts of the status bar.
    static QString danishStatus(int count);
    static QString englishStatus(int count);
    static QString germanStatus(int count);
    static QString plainStatus();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void setActivePage(QWidget *page);
    void Billede();
    void Beregn();
    void BeregnAll();

    std::unique_ptr<Ui::TMainForm> m_ui;
    TDM *m_dm = nullptr;
    TQLanguageSource *m_languageSource;
    bool m_shown = false;
    bool m_settingPage = false;
};
