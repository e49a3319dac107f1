#pragma once

#include "dm.h"

#include <QMainWindow>
#include <QString>

#include <memory>

namespace Ui {
class TMainForm;
}
class TQLanguageSource;
class TQFormLocalizer;
class TAboutBox;
class TFormResizer;
class TDBGrid;
class TDBLookupComboBox;
class QAction;
class QLabel;
class QRadioButton;
class QSettings;
enum class TNavigateBtn;
enum class Language;

// The main window: the country list, the stamp page and the overview, with their menus
// and the status bar. The data module is given after both exist, as at start-up.
class TMainForm : public QMainWindow, public TStampRulesWindow
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
    TQFormLocalizer *QFormLocalizer1() const { return m_localizer; }
    TAboutBox *AboutBox1() const { return m_aboutBox; }
    QString statusText() const;
    void setStatusText(const QString &text) override;
    QString editText(const QString &editName) const override;
    void focusEdit(const QString &editName) override;
    void setStampCountText(const QString &text) override;

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

    // The stamp page's picture: the current stamp's <Num>.jpg from the pictures folder, or
    // the placeholder Ingen.jpg; "Hent" copies a chosen file in, "Slet" shows the placeholder.
    void Billede();
    void SpeedButton1Click();
    void SpeedButton5Click();
    void DBNavigator1Click(TNavigateBtn button);
    // "Billeder" beside the program file.
    QString picturesFolder() const { return m_picturesFolder; }
    void setPicturesFolder(const QString &folder) { m_picturesFolder = folder; }

    // The help and information commands; the sender of Help1Click carries the page's path
    // in its hint.
    void Help1Click(QObject *sender);
    void Information1Click();
    void Omskrmstrrelser1Click();
    void Dataplacering1Click();
    // A backup of the collection, now, into a folder the user chooses (remembered).
    void Sikkerhedskopi1Click();
    // The printed list of the overview's stamps, shown in the preview first.
    void Udskrivning1Click();

    // The language menu.
    void DanskClick();
    void EnglishClick();
    void SvenskClick();
    void NorskClick();
    void DeutschClick();

    // The totals of the current country's stamps and of the overview's stamps.
    void Beregn();
    void BeregnAll();

    // The overview's selection lists, "Vis alle" and its sort buttons.
    void DBLookupComboBox11Click();
    void DBLookupComboBox7Click();
    void DBLookupComboBox8Click();
    void DBLookupComboBox9Click();
    void DBLookupComboBox10Click();
    void RadioButton1Click();
    void RadioButton2Click();
    void RadioButton3Click();
    void RadioButton4Click();

protected:
    bool event(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void restoreOuterSize();
    void saveEveryPendingEdit();
    // The program's folder: where the pictures folder, the settings and backups are.
    QString programFolder() const;
    // The program's own settings beside it (the backup folder chosen last).
    QSettings settings() const;
    QString backupFolder() const;
    void makeAutomaticBackup();
    // The window with its frame, as the configuration stores it.
    QSize outerSize() const;
    void setActivePage(QWidget *page);
    QAction *languageAction(Language language) const;
    void chooseLanguage(Language language);
    bool sizesToItsText(const QLabel *label) const;
    void fitLabelToItsText(QLabel *label);
    void fitLabelsToTheirText();
    // A total or count: its text, also for a screen reader.
    void showValue(QLabel *label, const QString &text);
    // What a screen reader says for each control: the caption beside it, in the language shown.
    void updateAccessibleNames();
    // The picture's file name under the picture, and in its description for a screen reader.
    void setPictureName(const QString &fileName);
    QString pictureFileName() const;
    void showPicture(const QString &fileName);
    void selectionChosen(TDBLookupComboBox *list, const QString &fieldName);
    void clearSelectionLists(const TDBLookupComboBox *except = nullptr);

    std::unique_ptr<Ui::TMainForm> m_ui;
    TDM *m_dm = nullptr;
    TQLanguageSource *m_languageSource;
    TQFormLocalizer *m_localizer;
    TAboutBox *m_aboutBox;
    TFormResizer *m_resizer = nullptr;
    // The stored outer size, until the window manager's frame is known.
    QSize m_restoredOuterSize;
    // The language item that carries the check mark; none until the window is first shown.
    QAction *m_languageMark = nullptr;
    QString m_picturesFolder;
    bool m_shown = false;
    bool m_settingPage = false;
};
