#include "mainwindowfixture.h"
#include "messages.h"
#include "qlanguagesource.h"

#include <QAccessible>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QScreen>
#include <QStatusTipEvent>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <memory>

using namespace Qt::Literals::StringLiterals;

class TestMainForm : public MainWindowFixture
{
    Q_OBJECT

private Q_SLOTS:
    void formShowRestoresSizeAndLanguage_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("sproget");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("help");
        QTest::newRow("Dansk") << -1 << "Dansk"
                               << "Albumino"
                               << "Help/Dansk/index.html";
        QTest::newRow("English") << 0 << "English"
                                 << "Albumino"
                                 << "Help/Engelsk/index.html";
        QTest::newRow("Norsk") << 1 << "Norsk"
                               << "Albumino"
                               << "Help/Norsk/index.html";
        QTest::newRow("Svensk") << 2 << "Svensk"
                                << "Albumino"
                                << "Help/Svensk/index.html";
        QTest::newRow("Deutsch") << 3 << "Deutsch"
                                 << "Dizadariduz"
                                 << "Help/Tysk/index.html";
    }

    void formShowRestoresSizeAndLanguage()
    {
        QFETCH(int, language);
        QFETCH(QString, sproget);
        QFETCH(QString, caption);
        QFETCH(QString, help);
        makeCollection(600, 800, language, false);
        Program program;
        TMainForm &window = program.window;
        QCOMPARE(window.frameGeometry().size(), QSize(800, 600));
        QCOMPARE(window.QLanguageSource1()->ActiveLanguage(), language);
        QCOMPARE(window.ui().Sproget->text(), sproget);
        QCOMPARE(window.windowTitle(), caption);
        QVERIFY(window.ui().Help1->statusTip().endsWith(help));
        QAction *checked = window.findChild<QAction *>(sproget);
        QVERIFY(checked && checked->isChecked());
        // No stamps yet: the first-run message of the language.
        QCOMPARE(m_messages->requests.size(), 1);
        QCOMPARE(m_messages->requests[0].kind, Messages::Request::Kind::Information);
        QCOMPARE(m_messages->requests[0].caption, u"Information"_s);
        QVERIFY(m_messages->requests[0].text.startsWith(language == 0   ? u"Before"_s
                                                        : language == 2 ? u"Innan"_s
                                                        : language == 3 ? u"Bevor"_s
                                                                        : u"Inden"_s));
        QVERIFY(program.dm.FrimAllTable->Active());
        QCOMPARE(window.statusText(), u"Morvane Software"_s);
    }

    void aBadStoredLanguageStartsInDanish()
    {
        m_messages->expectErrors();
        makeCollection(768, 1024, 7);
        {
            Program program;
            QCOMPARE(m_messages->requests.size(), 1);
            QCOMPARE(m_messages->requests[0].kind, Messages::Request::Kind::Error);
            QCOMPARE(m_messages->requests[0].text,
                     u"Index out of bounds (7)"_s); // ")" takes no "."
            QCOMPARE(program.window.QLanguageSource1()->ActiveLanguage(), -1);
            QVERIFY(program.dm.FrimAllTable->Active());
            QVERIFY(program.window.close());
        }
        TDM dm;
        dm.ConfigTable->Open();
        QCOMPARE(dm.ConfigTable->FieldByName(u"Sprog"_s)->AsInteger(), -1);
    }

    void formCloseStoresTheSize()
    {
        makeCollection(768, 1024, 2);
        {
            Program program;
            TMainForm &window = program.window;
            window.resize(QSize(800, 600) - (window.frameGeometry().size() - window.size()));
            QVERIFY(window.close());
        }
        {
            Program program;
            QCOMPARE(program.window.frameGeometry().size(), QSize(800, 600));
            QCOMPARE(program.window.QLanguageSource1()->ActiveLanguage(), 2);
        }
    }

    void anEmptyConfigurationIsAppendedOnClose()
    {
        makeCollection(768, 1024, -1);
        {
            TDM dm;
            dm.ConfigTable->Open();
            dm.ConfigTable->Delete();
        }
        {
            Program program;
            QCOMPARE(program.window.QLanguageSource1()->ActiveLanguage(), 0);
            TMainForm &window = program.window;
            window.resize(QSize(900, 700) - (window.frameGeometry().size() - window.size()));
            QVERIFY(window.close());
        }
        TDM dm;
        dm.ConfigTable->Open();
        QCOMPARE(dm.ConfigTable->RecordCount(), 1);
        QCOMPARE(dm.ConfigTable->FieldByName(u"Bredde"_s)->AsInteger(), 900);
        QCOMPARE(dm.ConfigTable->FieldByName(u"Sprog"_s)->AsInteger(), 0);
    }

    void statusTexts_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("status");
        const QString all = u"Der er fundet 5 frimærke(r)."_s;
        for (int language = -1; language <= 3; ++language) {
            const QByteArray tag = QByteArray::number(language);
            QTest::newRow("stamps, " + tag) << language << 1 << all;
            QTest::newRow("overview, " + tag) << language << 2 << all;
            QTest::newRow("countries, " + tag) << language << 0 << u"Morvane Software"_s;
        }
    }

    void statusTexts()
    {
        QFETCH(int, language);
        QFETCH(int, page);
        QFETCH(QString, status);
        makeCollection(768, 1024, language);
        Program program;
        TMainForm &window = program.window;
        if (page == 0)
            choosePage(window, window.ui().TabSheet2);
        choosePage(window, window.ui().PageControl1->widget(page));
        QCOMPARE(window.statusText(), status);
    }

    void theStampPageNeedsACountry_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("message");
        QTest::newRow("Norsk") << 1
                               << "Der skal oprettes et land, før du begynder at registrere dine "
                                  "frimærker!";
        QTest::newRow("Deutsch") << 3
                                 << "A country must be registered before you register your "
                                    "stamps!";
    }

    void theStampPageNeedsACountry()
    {
        QFETCH(int, language);
        QFETCH(QString, message);
        makeCollection(768, 1024, language, false);
        Program program;
        m_messages->requests.clear();
        choosePage(program.window, program.window.ui().TabSheet2);
        QCOMPARE(m_messages->requests.size(), 1);
        QCOMPARE(m_messages->requests[0].text, message);
        QCOMPARE(program.window.ui().PageControl1->currentWidget(), program.window.ui().TabSheet1);
        QCOMPARE(program.window.statusText(), u"Morvane Software"_s);
    }

    void doubleClickOpensTheCountrysStamps()
    {
        makeCollection(768, 1024, 0);
        Program program;
        TMainForm &window = program.window;
        program.dm.FrimTable->Last();
        // The first country's name has an apostrophe: its stamps open all the same.
        window.DBGrid2DblClick();
        QCOMPARE(window.ui().PageControl1->currentWidget(), window.ui().TabSheet2);
        QCOMPARE(window.statusText(), u"Der er fundet 4 frimærke(r)."_s);
        QCOMPARE(program.dm.FrimTable->RecNo(), 1);
        QCOMPARE(window.ui().DBEdit2->text(), u"AFA 0"_s);
        QCOMPARE(program.dm.FrimTable->Filter(), u"Land = 'Côte d''Ivoire'"_s);
    }

    void pickListWritesTheStamp()
    {
        makeCollection(768, 1024, -1);
        {
            TDM dm;
            dm.ArtTable->Open();
            dm.ArtTable->Append();
            dm.ArtTable->FieldByName(u"Art"_s)->setAsString(u"Blok"_s);
            dm.ArtTable->Post();
        }
        Program program;
        QVERIFY(program.window.ui().DBLookupComboBox4->choose(u"Blok"_s));
        QCOMPARE(program.window.ui().DBEdit10->text(), u"Blok"_s);
        QCOMPARE(program.dm.FrimTableArt->AsString(), u"Blok"_s);
    }

    void navigatorDeleteCanBeCancelled()
    {
        makeCollection(768, 1024, -1);
        Program program;
        m_messages->answers = {false};
        program.window.ui().DBNavigator1->BtnClick(TNavigateBtn::Delete);
        QCOMPARE(m_messages->requests.last().text, u"Slet denne post?"_s);
        QCOMPARE(program.dm.FrimTable->RecordCount(), 4);
    }

    void savingFillsCountsAndComputesTheTotal_data()
    {
        QTest::addColumn<QStringList>("typed"); // DBEdit18, 16, 21, 23, 22, 24
        QTest::addColumn<double>("total");
        QTest::newRow("all empty") << QStringList{u""_s, u""_s, u""_s, u""_s, u""_s, u""_s} << 0.0;
        QTest::newRow("3 x 1,50 + 2 x 0,75")
            << QStringList{u"3"_s, u"1,50"_s, u"2"_s, u"0,75"_s, u""_s, u""_s} << 6.0;
        // 3 × 1.1 is 3.3000000000000003 in binary: the 16th digit is dropped.
        QTest::newRow("15 significant digits")
            << QStringList{u"3"_s, u"1,1"_s, u""_s, u""_s, u""_s, u""_s} << 3.3;
        QTest::newRow("uncancelled copies")
            << QStringList{u""_s, u""_s, u""_s, u""_s, u"4"_s, u"0,5"_s} << 2.0;
    }

    void savingFillsCountsAndComputesTheTotal()
    {
        QFETCH(QStringList, typed);
        QFETCH(double, total);
        makeCollection(768, 1024, -1);
        Program program;
        TMainForm &window = program.window;
        choosePage(window, window.ui().TabSheet2);
        TDBEdit *edits[] = {window.ui().DBEdit18, window.ui().DBEdit16, window.ui().DBEdit21,
                            window.ui().DBEdit23, window.ui().DBEdit22, window.ui().DBEdit24};
        for (int i = 0; i < 6; ++i) {
            edits[i]->setFocus();
            edits[i]->selectAll();
            QTest::keyClick(edits[i], Qt::Key_Delete);
            QTest::keyClicks(edits[i], typed[i]);
        }
        window.ui().DBNavigator1->BtnClick(TNavigateBtn::Post);
        QVERIFY2(m_messages->requests.isEmpty(), qPrintable(m_messages->requests.value(0).text));
        TDM &dm = program.dm;
        for (TField *field :
             {dm.FrimTableUbrugt, dm.FrimTableVaerdiUbrugt, dm.FrimTableStemplet,
              dm.FrimTableVaerdiStemplet, dm.FrimTableUstemplet, dm.FrimTableVaerdiUstemplet})
            QVERIFY2(!field->IsNull(), qPrintable(field->FieldName()));
        QVERIFY2(dm.FrimTableIalt->AsFloat() == total,
                 qPrintable(QString::number(dm.FrimTableIalt->AsFloat(), 'g', 17)));
    }

    void savingExtendsThePickLists()
    {
        makeCollection(768, 1024, 0);
        Program program;
        TMainForm &window = program.window;
        TDM &dm = program.dm;
        choosePage(window, window.ui().TabSheet2);
        const auto save = [&](TDBEdit *edit, const QString &text) {
            edit->setFocus();
            edit->selectAll();
            QTest::keyClick(edit, Qt::Key_Delete);
            QTest::keyClicks(edit, text);
            window.ui().DBNavigator1->BtnClick(TNavigateBtn::Post);
        };
        QCOMPARE(dm.SerieTable->RecordCount(), 2); // "Children's Day", "Europa"
        save(window.ui().DBEdit6, u"EUROPA"_s);
        QCOMPARE(dm.SerieTable->RecordCount(), 2);
        save(window.ui().DBEdit6, u"Europa 1973"_s);
        save(window.ui().DBEdit6, u"Europa 1973"_s);
        QCOMPARE(dm.SerieTable->RecordCount(), 3);
        QVERIFY(dm.SerieTable->Locate(u"Serie"_s, u"Europa 1973"_s));
        // An empty colour adds nothing; blanks are a value.
        QCOMPARE(dm.FarveTable->RecordCount(), 0);
        save(window.ui().DBEdit12, u" "_s);
        QCOMPARE(dm.FarveTable->RecordCount(), 1);
        // Saving again unchanged adds nothing anywhere.
        const int lists = dm.KataTable->RecordCount() + dm.SerieTable->RecordCount() +
                          dm.FarveTable->RecordCount();
        window.ui().DBNavigator1->BtnClick(TNavigateBtn::Edit);
        window.ui().DBNavigator1->BtnClick(TNavigateBtn::Post);
        QCOMPARE(dm.KataTable->RecordCount() + dm.SerieTable->RecordCount() +
                     dm.FarveTable->RecordCount(),
                 lists);
        // English is active, the status text is Danish, and the overview shows the save.
        QCOMPARE(window.statusText(), u"Der er fundet 4 frimærke(r)."_s);
        QCOMPARE(window.ui().Label35->text(), u"5"_s);
        QVERIFY(dm.FrimAllTable->Locate(u"Serie"_s, u"Europa 1973"_s));
        QVERIFY(m_messages->requests.isEmpty());
    }

    void newRecordsStartInTheirFirstEdit()
    {
        makeCollection(768, 1024, -1);
        Program program;
        TMainForm &window = program.window;
        window.ui().DBNavigator2->BtnClick(TNavigateBtn::Insert);
        QCOMPARE(window.focusWidget(), window.ui().DBEdit1);
        window.ui().DBNavigator2->BtnClick(TNavigateBtn::Cancel);
        choosePage(window, window.ui().TabSheet2);
        window.ui().DBNavigator1->BtnClick(TNavigateBtn::Insert);
        QCOMPARE(window.focusWidget(), window.ui().DBEdit2);
        QCOMPARE(program.dm.FrimTableLand->AsString(), u"Côte d'Ivoire"_s);
        QCOMPARE(window.ui().DBText3->text(), u"Côte d'Ivoire"_s);
    }

    void countLabelFollowsTheLastTableThatChanged()
    {
        makeCollection(768, 1024, -1);
        Program program;
        QCOMPARE(program.window.ui().Label35->text(), u"5"_s);
        program.dm.FrimTable->Next();
        QCOMPARE(program.window.ui().Label35->text(), u"4"_s);
        program.dm.FrimAllTable->Next();
        QCOMPARE(program.window.ui().Label35->text(), u"5"_s);
    }

    void totalsOfTheCountryAndOfTheOverview()
    {
        makeCollection(768, 1024, -1);
        Program program;
        TMainForm &window = program.window;
        TDM &dm = program.dm;
        dm.FrimTable->Last();
        choosePage(window, window.ui().TabSheet2);
        // 1.25 × (1 + 2 + 3 + 4), and back on the country's first stamp.
        QCOMPARE(window.ui().Label34->text(), u"   12,50"_s);
        QCOMPARE(window.ui().Label31->text(), u"   12,50"_s);
        QCOMPARE(dm.FrimTable->RecNo(), 1);
        QCOMPARE(window.ui().Label35->text(), u"4"_s);
        choosePage(window, window.ui().TabSheet3);
        QCOMPARE(window.ui().Label31->text(), u"   13,75"_s);
        QCOMPARE(window.ui().Label34->text(), u"   12,50"_s);
        QCOMPARE(dm.FrimAllTable->RecNo(), dm.FrimAllTable->RecordCount());
        QCOMPARE(window.ui().Label35->text(), u"5"_s);
        QVERIFY(!dm.FrimAllTable->ControlsDisabled());
        QVERIFY(!dm.FrimTable->ControlsDisabled());
    }

    void eachTotalIsRoundedToFourDecimalsBeforeTheSum()
    {
        makeCollection(768, 1024, -1, false);
        {
            TDM dm;
            dm.OpenTables();
            dm.LandTable->Append();
            dm.LandTable->FieldByName(u"Land"_s)->setAsString(u"Island"_s);
            dm.LandTable->Post();
            for (int i = 0; i < 2; ++i) {
                dm.FrimTable->Append();
                dm.FrimTableUbrugt->setAsInteger(1);
                dm.FrimTableVaerdiUbrugt->setAsFloat(0.00249);
                dm.FrimTable->Post();
            }
        }
        Program program;
        choosePage(program.window, program.window.ui().TabSheet3);
        // 0.0025 twice makes 0.005, shown as 0,01; unrounded, 0.00498 would show 0,00.
        QCOMPARE(program.window.ui().Label31->text(), u"    0,01"_s);
    }

    void selectionListsReplaceTheFilter()
    {
        makeCollection(768, 1024, 3);
        Program program;
        TMainForm &window = program.window;
        TTable &all = *program.dm.FrimAllTable;
        choosePage(window, window.ui().TabSheet3);
        // Letter case counts: Danmark's "europa" is not listed.
        QVERIFY(window.ui().DBLookupComboBox8->choose(u"Europa"_s));
        QVERIFY(!window.ui().RadioButton1->isChecked());
        QCOMPARE(all.RecordCount(), 3);
        QCOMPARE(window.statusText(), u"Der er fundet 3 frimærke(r)."_s);
        QCOMPARE(window.ui().Label31->text(), u"   11,25"_s);
        QCOMPARE(all.RecNo(), 3);
        QVERIFY(window.ui().DBLookupComboBox7->choose(u"AFA 0"_s));
        QCOMPARE(window.ui().DBLookupComboBox8->Text(), QString());
        QCOMPARE(all.Filter(), u"Katalog = 'AFA 0'"_s);
        QCOMPARE(all.RecordCount(), 2);
        // An apostrophe in the chosen value filters like any other.
        QVERIFY(window.ui().DBLookupComboBox8->choose(u"Children's Day"_s));
        QCOMPARE(all.RecordCount(), 1);
        QCOMPARE(window.ui().DBLookupComboBox7->Text(), QString());
        QVERIFY(m_messages->requests.isEmpty());
        // Sorting keeps the filter and writes nothing.
        window.setStatusText(u"-"_s);
        window.ui().RadioButton2->click();
        QCOMPARE(all.IndexName(), u"IndexKatalog"_s);
        QVERIFY(all.Filtered());
        QCOMPARE(window.statusText(), u"-"_s);
        // A save on the stamp page keeps the overview's filter, order and lists.
        program.dm.FrimTable->Edit();
        program.dm.FrimTableMotiv->setAsString(u"Fugl"_s);
        program.dm.FrimTable->Post();
        QCOMPARE(all.Filter(), u"Serie = 'Children''s Day'"_s);
        QVERIFY(all.Filtered());
        QCOMPARE(all.IndexName(), u"IndexKatalog"_s);
        QCOMPARE(window.ui().DBLookupComboBox8->Text(), u"Children's Day"_s);
    }

    void showAllListsEveryStampAgain()
    {
        makeCollection(768, 1024, 1);
        Program program;
        TMainForm &window = program.window;
        TTable &all = *program.dm.FrimAllTable;
        choosePage(window, window.ui().TabSheet3);
        // "Vis alle" is checked at start: clicking it again does nothing.
        window.setStatusText(u"-"_s);
        window.ui().RadioButton1->click();
        QCOMPARE(window.statusText(), u"-"_s);
        window.ui().RadioButton4->click();
        QVERIFY(window.ui().DBLookupComboBox8->choose(u"Europa"_s));
        window.ui().RadioButton1->click();
        QVERIFY(window.ui().RadioButton1->isChecked());
        QVERIFY(window.ui().RadioButton4->isChecked());
        QVERIFY(!all.Filtered());
        QCOMPARE(all.IndexName(), u"IndexArt"_s);
        QCOMPARE(all.RecordCount(), 5);
        QCOMPARE(window.ui().DBLookupComboBox8->Text(), QString());
        QCOMPARE(window.statusText(), u"Der er fundet 5 frimærke(r)."_s);
        QCOMPARE(window.ui().Label31->text(), u"   13,75"_s);
    }

    void aCountryChosenInTheOverviewBecomesCurrent()
    {
        makeCollection(768, 1024, -1);
        Program program;
        TMainForm &window = program.window;
        choosePage(window, window.ui().TabSheet3);
        QVERIFY(window.ui().DBLookupComboBox11->choose(u"Danmark"_s));
        QCOMPARE(program.dm.LandTable->FieldByName(u"Land"_s)->AsString(), u"Danmark"_s);
        QCOMPARE(program.dm.FrimTable->RecordCount(), 1);
        QCOMPARE(program.dm.FrimAllTable->RecordCount(), 1);
        QCOMPARE(window.ui().DBEdit1->text(), u"Danmark"_s);
    }

    void aStampSavedInTheOverviewGetsItsTotal()
    {
        makeCollection(768, 1024, -1);
        Program program;
        TTable &all = *program.dm.FrimAllTable;
        all.First();
        all.Edit();
        all.FieldByName(u"Ubrugt"_s)->setAsInteger(2);
        all.FieldByName(u"VaerdiUbrugt"_s)->setAsString(u"3,5"_s);
        all.FieldByName(u"Stemplet"_s)->setAsInteger(5); // no value: counts as 0
        all.Post();
        QCOMPARE(all.FieldByName(u"Ialt"_s)->AsFloat(), 7.0);
    }

    void theOverviewGridShowsItsDesignedColumns()
    {
        makeCollection(768, 1024, -1);
        Program program;
        const QAbstractItemModel *model = program.window.ui().DBGrid1->model();
        QCOMPARE(model->columnCount(), 23);
        QStringList titles;
        for (int column = 0; column < model->columnCount(); ++column)
            titles.append(model->headerData(column, Qt::Horizontal).toString());
        QCOMPARE(titles.mid(0, 3), (QStringList{u"Land"_s, u"Katalog"_s, u"Katalognr"_s}));
        QCOMPARE(titles[8], u"Pålydende"_s);
        QCOMPARE(titles[18], u"Vandmærke"_s);
        QCOMPARE(titles[19], u"Ialt"_s);
        QCOMPARE(titles[22], u"VaerdiUstemplet"_s);
        QCOMPARE(model->rowCount(), 5);
    }

    void screenReadersHearTheCaptions()
    {
        makeCollection(768, 1024, -1);
        Program program;
        Ui::TMainForm &ui = program.window.ui();
        QCOMPARE(ui.Label2->buddy(), ui.DBEdit2);
        const auto spoken = [](QWidget *widget) {
            QAccessibleInterface *accessible = QAccessible::queryAccessibleInterface(widget);
            return accessible ? accessible->text(QAccessible::Name) : QString();
        };
        QCOMPARE(spoken(ui.DBEdit2), u"Katalognavn"_s);
        QCOMPARE(spoken(ui.DBMemo1), u"Notater"_s);
        QCOMPARE(spoken(ui.DBLookupComboBox6), u"Farve"_s);
        QCOMPARE(spoken(ui.DBEdit16), u"Ubrugt, Antal og katalogværdi"_s);
        QCOMPARE(spoken(ui.DBGrid2), u"Frimærker"_s);
        QCOMPARE(spoken(ui.DBEdit1), u"Land"_s);
        QCOMPARE(spoken(ui.Label31), u"Værdi i alt"_s);
        QCOMPARE(spoken(ui.DBNavigator1->button(TNavigateBtn::Insert)), u"Tilføj"_s);
        choosePage(program.window, ui.TabSheet2);
        QCOMPARE(QAccessible::queryAccessibleInterface(ui.Image15)->text(QAccessible::Description),
                 program.dm.FrimTableNum->AsString() + u".jpg"_s);
        // The totals are heard with their values, which follow every change.
        const auto value = [](QWidget *widget) {
            return QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Description);
        };
        QCOMPARE(value(ui.Label34), u"   12,50"_s);
        QCOMPARE(value(ui.DBText1), ui.DBText1->text());
        QCOMPARE(value(ui.Label35), u"4"_s);
        const QString first = ui.DBText1->text();
        program.dm.FrimTable->Next();
        QVERIFY(ui.DBText1->text() != first);
        QCOMPARE(value(ui.DBText1), ui.DBText1->text());
        choosePage(program.window, ui.TabSheet3);
        QCOMPARE(value(ui.Label31), u"   13,75"_s);
        QCOMPARE(value(ui.Label35), u"5"_s);
        // Every edit, memo, pick list and grid has a name.
        for (QWidget *control : program.window.findChildren<QWidget *>()) {
            if (qobject_cast<QLineEdit *>(control) || qobject_cast<QPlainTextEdit *>(control) ||
                qobject_cast<QComboBox *>(control) || qobject_cast<QTableView *>(control))
                if (!control->objectName().isEmpty() && !control->objectName().startsWith(u"qt_"_s))
                    QVERIFY2(!spoken(control).isEmpty(), qPrintable(control->objectName()));
        }
    }

    void tabKeyFollowsTheDesignedOrder()
    {
        makeCollection(768, 1024, -1);
        Program program;
        // Every control that Tab reaches, in the order of the focus chain; the page control
        // and its tab bar come first and are left out.
        QTabWidget *pages = program.window.ui().PageControl1;
        QStringList reached;
        for (QWidget *widget = program.window.nextInFocusChain(); widget != &program.window;
             widget = widget->nextInFocusChain()) {
            if ((widget->focusPolicy() & Qt::TabFocus) && widget != pages &&
                !pages->tabBar()->isAncestorOf(widget) && widget != pages->tabBar())
                reached.append(widget->objectName());
        }
        const QStringList expected =
            u"DBGrid2 DBEdit1 "
            "DBEdit2 DBEdit17 DBEdit3 DBEdit6 DBEdit4 DBEdit12 DBEdit5 "
            "DBEdit10 DBEdit8 DBEdit11 DBEdit13 DBEdit14 DBEdit20 DBEdit19 "
            "DBEdit7 DBEdit15 "
            "DBEdit18 DBEdit16 DBEdit21 DBEdit23 DBEdit22 DBEdit24 DBMemo1 "
            "DBLookupComboBox1 DBLookupComboBox2 DBLookupComboBox6 "
            "DBLookupComboBox4 DBLookupComboBox5 DBLookupComboBox3 "
            "ScrollBox1 "
            "DBGrid1 DBLookupComboBox7 DBLookupComboBox8 DBLookupComboBox9 "
            "DBLookupComboBox10 RadioButton1 DBLookupComboBox11 "
            "RadioButton2 RadioButton3 RadioButton4"_s.split(u' ');
        QCOMPARE(reached, expected);
    }

    void aStoredSizeLargerThanTheScreenIsFitted()
    {
        makeCollection(3000, 3000, -1);
        Program program;
        const QRect available = program.window.screen()->availableGeometry();
        QVERIFY(available.contains(program.window.frameGeometry()));
    }

    void statusTipsLeaveTheStatusBarAlone()
    {
        makeCollection(768, 1024, -1);
        Program program;
        TMainForm &window = program.window;
        // Passing over a menu item sends its tip, empty or not (the help item's is a path).
        for (QAction *item : {window.ui().Help1, window.ui().Dataplacering1}) {
            QStatusTipEvent tip(item->statusTip());
            QApplication::sendEvent(window.menuBar(), &tip);
            QCOMPARE(window.statusText(), u"Morvane Software"_s);
        }
    }

    void labelsFitTheirTextAtEverySize()
    {
        makeCollection(768, 1024, -1);
        Program program;
        TMainForm &window = program.window;
        Ui::TMainForm &ui = window.ui();
        choosePage(window, ui.TabSheet2);
        const std::pair<QLabel *, QWidget *> beside[] = {{ui.Anskaffet, ui.DBEdit8},
                                                         {ui.Label28, ui.DBEdit19},
                                                         {ui.Label16, ui.DBMemo1},
                                                         {ui.Label2, ui.DBEdit2},
                                                         {ui.Label21, ui.DBEdit17}};
        // From the design size through larger and smaller ones and back.
        const QSize design = QSize(1024, 768) - (window.frameGeometry().size() - window.size());
        window.resize(design);
        std::vector<QRect> atStart;
        for (const auto &[label, control] : beside)
            atStart.push_back(label->geometry());
        for (const QSize size : {QSize(1400, 1050), QSize(950, 700), QSize(1300, 740), design}) {
            window.resize(size);
            for (const auto &[label, control] : beside) {
                const QString where = label->objectName() + u" at "_s +
                                      QString::number(size.width()) + u'x' +
                                      QString::number(size.height());
                QVERIFY2(label->geometry().right() < control->x(), qPrintable(where));
                QVERIFY2(label->width() >= label->fontMetrics().horizontalAdvance(label->text()),
                         qPrintable(where));
            }
        }
        // Back at the size it opened with, the window shows the same layout.
        for (size_t i = 0; i < atStart.size(); ++i)
            QCOMPARE(beside[i].first->geometry(), atStart[i]);
        // The picture's name takes the width of its text.
        window.SpeedButton5Click();
        QCOMPARE(ui.Label24->width(),
                 ui.Label24->fontMetrics().horizontalAdvance(u"Ingen.jpg"_s) + 2);
    }

    void anUnreadableLanguageFileKeepsMarksAndChoice()
    {
        m_messages->expectErrors();
        if (!placeUnreadableFile(u"Deutsch.lng"_s))
            QSKIP("no file here that cannot be read");
        makeCollection(768, 1024, 3);
        {
            Program program;
            TMainForm &window = program.window;
            QCOMPARE(m_messages->requests.size(), 1);
            QCOMPARE(m_messages->requests[0].kind, Messages::Request::Kind::Error);
            QCOMPARE(window.ui().PageControl1->tabText(0), u"Frimærker"_s);
            QVERIFY(program.dm.FrimAllTable->Active());
            QVERIFY(window.close());
        }
        {
            TDM dm;
            dm.ConfigTable->Open();
            QCOMPARE(dm.ConfigTable->FieldByName(u"Sprog"_s)->AsInteger(), 3);
            dm.ConfigTable->Edit();
            dm.ConfigTable->FieldByName(u"Sprog"_s)->setAsInteger(-1);
            dm.ConfigTable->Post();
        }
        Program program;
        Ui::TMainForm &ui = program.window.ui();
        m_messages->requests.clear();
        // As a click does: the menu checks the item, then runs the command.
        ui.Deutsch->trigger();
        QCOMPARE(m_messages->requests.size(), 1);
        QCOMPARE(m_messages->requests[0].kind, Messages::Request::Kind::Error);
        for (QAction *item : {ui.Dansk, ui.English, ui.Svensk, ui.Norsk, ui.Deutsch})
            QCOMPARE(item->isChecked(), item == ui.Dansk);
        QCOMPARE(ui.Sproget->text(), u"Dansk"_s);
    }

    void closingSavesOnlyWhatWasTouched()
    {
        makeCollection(768, 1024, -1);
        {
            Program program;
            TMainForm &window = program.window;
            Ui::TMainForm &ui = window.ui();
            // A stamp added and left untouched is not saved.
            choosePage(window, ui.TabSheet2);
            ui.DBNavigator1->button(TNavigateBtn::Insert)->click();
            QCOMPARE(program.dm.FrimTable->State(), TDataSetState::Insert);
            // A change typed into the overview grid is.
            choosePage(window, ui.TabSheet3);
            TDBGrid *grid = ui.DBGrid1;
            program.dm.FrimAllTable->First();
            grid->setFocus();
            grid->setCurrentIndex(grid->model()->index(0, 13)); // Motiv
            QTest::keyClicks(grid, u"S"_s);
            QWidget *editor = grid->indexWidget(grid->currentIndex());
            QVERIFY(editor);
            QTest::keyClicks(editor, u"kibe"_s);
            QVERIFY(window.close());
        }
        TDM dm;
        dm.OpenTables();
        QCOMPARE(dm.FrimAllTable->RecordCount(), 5);
        QCOMPARE(dm.FrimAllTable->FieldByName(u"Motiv"_s)->AsString(), u"Skibe"_s);
    }

    void aDeleteOnOnePageIsSeenOnTheOther()
    {
        makeCollection(768, 1024, -1);
        Program program;
        TMainForm &window = program.window;
        Ui::TMainForm &ui = window.ui();
        TDM &dm = program.dm;
        m_messages->answers = {true, true};

        // The stamp page deletes the first stamp of Côte d'Ivoire (1 copy at 1,25).
        choosePage(window, ui.TabSheet2);
        ui.DBNavigator1->button(TNavigateBtn::Delete)->click();
        choosePage(window, ui.TabSheet3);
        QCOMPARE(window.statusText(), u"Der er fundet 4 frimærke(r)."_s);
        QCOMPARE(ui.Label35->text(), u"4"_s);
        QCOMPARE(ui.Label31->text(), u"   12,50"_s);
        QCOMPARE(ui.DBGrid1->model()->rowCount(), 4);

        // The overview deletes its first row (Côte d'Ivoire's second stamp, 2 × 1,25).
        dm.FrimAllTable->First();
        ui.DBGrid1->setFocus();
        QTest::keyClick(ui.DBGrid1, Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(dm.FrimAllTable->RecordCount(), 3);
        choosePage(window, ui.TabSheet2);
        QCOMPARE(dm.FrimTable->RecordCount(), 2);
        QCOMPARE(ui.Label35->text(), u"2"_s);
        QCOMPARE(ui.Label34->text(), u"    8,75"_s);
    }

    void closingSavesWhatWasTyped()
    {
        m_messages->expectErrors();
        makeCollection(768, 1024, -1);
        {
            Program program;
            TMainForm &window = program.window;
            window.ui().PageControl1->setCurrentWidget(window.ui().TabSheet2);
            TDBEdit *year = window.ui().DBEdit20;
            year->setFocus();
            QTest::keyClicks(year, u"19x4"_s);
            // A save that fails keeps the window open and the record in edit.
            m_messages->requests.clear();
            QVERIFY(!window.close());
            QCOMPARE(m_messages->requests.size(), 1);
            QVERIFY(m_messages->requests[0].text.contains(u"Aarstal"_s));
            QCOMPARE(program.dm.FrimTable->State(), TDataSetState::Edit);
            year->selectAll();
            QTest::keyClicks(year, u"1934"_s);
            QVERIFY(window.close());
        }
        TDM dm;
        dm.LandTable->Open();
        dm.FrimTable->Open();
        QCOMPARE(dm.FrimTableAarstal->AsInteger(), 1934);
    }
};

QTEST_MAIN(TestMainForm)

#include "tst_mainform.moc"
