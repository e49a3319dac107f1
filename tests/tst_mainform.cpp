#include "ui_mainform.h"

#include "dm.h"
#include "mainform.h"
#include "messagerecorder.h"
#include "messages.h"
#include "qlanguagesource.h"

#include <QDir>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Qt::Literals::StringLiterals;

class TestMainForm : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_previousFolder;
    std::unique_ptr<MessageRecorder> m_messages;

    // A collection whose first country ("Côte d'Ivoire") has 4 stamps and the second 1.
    void makeCollection(int height, int width, int language, bool stamps = true)
    {
        QVERIFY(TDM::CreateDataFolderIfMissing());
        TDM dm;
        dm.ConfigTable->Open();
        dm.ConfigTable->Edit();
        dm.ConfigTable->FieldByName(u"Hojde"_s)->setAsInteger(height);
        dm.ConfigTable->FieldByName(u"Bredde"_s)->setAsInteger(width);
        dm.ConfigTable->FieldByName(u"Sprog"_s)->setAsInteger(language);
        dm.ConfigTable->Post();
        if (!stamps)
            return;
        dm.OpenTables();
        for (const auto &[country, count] :
             {std::pair{u"Côte d'Ivoire"_s, 4}, std::pair{u"Danmark"_s, 1}}) {
            dm.LandTable->Append();
            dm.LandTable->FieldByName(u"Land"_s)->setAsString(country);
            dm.LandTable->Post();
            for (int i = 0; i < count; ++i) {
                dm.FrimTable->Append();
                dm.FrimTableKatalog->setAsString(u"AFA %1"_s.arg(i));
                dm.FrimTable->Post();
            }
        }
    }

    struct Program
    {
        TMainForm window;
        TDM dm;
        Program()
        {
            window.setDataModule(&dm);
            window.show();
        }
    };

    void choosePage(TMainForm &window, QWidget *page)
    {
        // As the user does: the tab is clicked.
        QTabBar *tabs = window.ui().PageControl1->tabBar();
        const int index = window.ui().PageControl1->indexOf(page);
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(index).center());
    }

private Q_SLOTS:
    void initTestCase() { qInstallMessageHandler(quietOffscreen); }

    void init()
    {
        QLocale::setDefault(QLocale(QLocale::Danish, QLocale::Denmark));
        m_dir = std::make_unique<QTemporaryDir>();
        m_previousFolder = QDir::currentPath();
        QVERIFY(QDir::setCurrent(m_dir->path()));
        m_messages = std::make_unique<MessageRecorder>();
    }

    void cleanup()
    {
        m_messages.reset();
        QDir::setCurrent(m_previousFolder);
        m_dir.reset();
    }

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
        QVERIFY(window.ui().Help1->toolTip().endsWith(help));
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

    void closingSavesWhatWasTyped()
    {
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
