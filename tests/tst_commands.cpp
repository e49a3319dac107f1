#include "aboutbox.h"
#include "backup.h"
#include "dbgrid.h"
#include "dbnavigator.h"
#include "defform.h"
#include "mainwindowfixture.h"
#include "messages.h"
#include "qlanguagesource.h"
#include "ui_aboutwnd.h"
#include "ui_defform.h"

#include <QAction>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPushButton>

namespace {

// The definitions window over the module, shown as the program shows it, but not modally.
struct Definitions
{
    TDefForm form;
    explicit Definitions(TDM &dm) : form(&dm)
    {
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
    }
};

} // namespace

class TestCommands : public MainWindowFixture
{
    Q_OBJECT

private Q_SLOTS:
    // --- the definitions window -------------------------------------------------------------

    void enterSavesTheValueBeingTyped()
    {
        makeCollection(768, 1024, -1);
        Program program;
        Definitions definitions(program.dm);
        TDBGrid *series = definitions.form.ui().DBGrid2;
        TTable &table = *program.dm.SerieTable;
        const int before = table.RecordCount();
        definitions.form.ui().DBNavigator2->BtnClick(TNavigateBtn::Insert);
        QCOMPARE(definitions.form.focusWidget(), series);
        QCOMPARE(table.State(), TDataSetState::Insert);
        // Typing opens the cell's editor; Enter in it saves at once.
        QTest::keyClick(series, 'J');
        auto *editor = series->findChild<QLineEdit *>();
        QVERIFY(editor);
        QTest::keyClicks(editor, u"ulemaerker"_s);
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_COMPARE(table.State(), TDataSetState::Browse);
        QCOMPARE(table.RecordCount(), before + 1);
        QVERIFY(table.Locate(u"Serie"_s, u"Julemaerker"_s));
        // Enter while only browsing changes nothing and the grid still gets the key.
        QTest::keyClick(series, Qt::Key_Return);
        QCOMPARE(table.RecordCount(), before + 1);
    }

    void deleteAsksAndAnnullerKeepsTheValue()
    {
        makeCollection(768, 1024, -1);
        Program program;
        Definitions definitions(program.dm);
        const int before = program.dm.KataTable->RecordCount();
        m_messages->answers = {false};
        definitions.form.ui().DBNavigator1->BtnClick(TNavigateBtn::Delete);
        QCOMPARE(m_messages->requests.last().text, u"Slet denne post?"_s);
        QCOMPARE(m_messages->requests.last().caption, u"Bekræft"_s);
        QCOMPARE(program.dm.KataTable->RecordCount(), before);
    }

    void theWindowIsTheSameInEveryLanguageAndSize_data()
    {
        QTest::addColumn<int>("language");
        for (int language = -1; language <= 3; ++language)
            QTest::newRow(QByteArray::number(language)) << language;
    }

    void theWindowIsTheSameInEveryLanguageAndSize()
    {
        QFETCH(int, language);
        writeLanguageFiles();
        makeCollection(768, 1024, language);
        Program program;
        Definitions definitions(program.dm);
        Ui::TDefForm &ui = definitions.form.ui();
        QCOMPARE(definitions.form.windowTitle(), u"DefForm"_s);
        QCOMPARE(definitions.form.font().pointSize(), 10);
        QCOMPARE(ui.Label6->text(), u"Kvalitet"_s);
        QCOMPARE(ui.DBNavigator3->hints().at(4), u"Tilføj"_s);
        const QRect grid = ui.DBGrid4->geometry();
        definitions.form.resize(1400, 900);
        QCOMPARE(ui.DBGrid4->geometry(), grid);
        QCOMPARE(grid, QRect(540, 30, 151, 426));
    }

    // --- backups ---------------------------------------------------------------------------

    void aBackupIsMadeWhereTheUserChooses()
    {
        makeCollection(768, 1024, 0);
        Program program;
        TMainForm &window = program.window;
        // A stamp being typed is saved first and is in the backup.
        program.dm.FrimTable->Edit();
        program.dm.FrimTableKatalog->setAsString(u"Facit 9"_s);
        m_messages->requests.clear();
        const QString chosen = QDir::current().filePath(u"Kopier"_s);
        m_messages->answers = {chosen};
        window.ui().Sikkerhedskopi1->trigger();
        QCOMPARE(m_messages->requests.size(), 2);
        QCOMPARE(m_messages->requests[0].kind, Messages::Request::Kind::ChooseFolder);
        QCOMPARE(m_messages->requests[0].text, u"Choose the folder for backups"_s);
        QCOMPARE(m_messages->requests[0].filter, QDir::current().filePath(u"Sikkerhedskopier"_s));
        QCOMPARE(program.dm.FrimTable->State(), TDataSetState::Browse);
        const QList<Backup::Info> made = Backup::list(chosen);
        QCOMPARE(made.size(), 1);
        QVERIFY(!made.first().automatic);
        QCOMPARE(made.first().stamps, 5);
        QCOMPARE(m_messages->requests[1].kind, Messages::Request::Kind::Information);
        QVERIFY2(m_messages->requests[1].text.startsWith(u"The backup has been saved in:"_s),
                 qPrintable(m_messages->requests[1].text));
        QVERIFY(m_messages->requests[1].text.endsWith(u"5 stamps, 2 countries and 0 pictures."_s));
        // The folder is remembered; cancelling the dialog makes nothing.
        m_messages->requests.clear();
        m_messages->answers = {QString()};
        window.ui().Sikkerhedskopi1->trigger();
        QCOMPARE(m_messages->requests.size(), 1);
        QCOMPARE(m_messages->requests[0].filter, chosen);
        QCOMPARE(Backup::list(chosen).size(), 1);
    }

    void closingBacksUpAChangedCollectionOnly()
    {
        makeCollection(768, 1024, -1);
        const QString folder = QDir::current().filePath(u"Sikkerhedskopier"_s);
        {
            Program program;
            QVERIFY(program.window.close());
        }
        QCOMPARE(Backup::list(folder).size(), 1);
        QVERIFY(Backup::list(folder).first().automatic);
        {
            // Nothing changed: no new backup.
            Program program;
            QVERIFY(program.window.close());
        }
        QCOMPARE(Backup::list(folder).size(), 1);
        {
            Program program;
            program.dm.FrimTable->Edit();
            program.dm.FrimTableKatalog->setAsString(u"Ændret"_s);
            QVERIFY(program.window.close());
        }
        QCOMPARE(Backup::list(folder).size(), 2);
    }

    // --- the help and information commands -------------------------------------------------

    void dataLocation_data()
    {
        QTest::addColumn<int>("language");
        QTest::addColumn<QString>("heading");
        QTest::newRow("Dansk") << -1 << u"VIGTIGT!"_s;
        QTest::newRow("English") << 0 << u"IMPORTANT!"_s;
        QTest::newRow("Norsk") << 1 << u"VIGTIGT!"_s;
        QTest::newRow("Svensk") << 2 << u"VIGTIGT!"_s;
        QTest::newRow("Deutsch") << 3 << u"Von großer Bedeutung!"_s;
    }

    void dataLocation()
    {
        QFETCH(int, language);
        QFETCH(QString, heading);
        makeCollection(768, 1024, language);
        Program program;
        m_messages->requests.clear();
        program.window.ui().Dataplacering1->trigger();
        QCOMPARE(m_messages->requests.size(), 1);
        const Messages::Request &message = m_messages->requests[0];
        QCOMPARE(message.kind, Messages::Request::Kind::Plain);
        const QStringList lines = message.text.split(u"\n\r"_s);
        QCOMPARE(lines.size(), 8);
        QCOMPARE(lines[2],
                 QDir::toNativeSeparators(QCoreApplication::applicationDirPath()) + u"/Data"_s);
        QCOMPARE(lines[6], heading);
        if (language == -1)
            QCOMPARE(message.text,
                     u"Data for dette program er placeret i: \n\r\n\r"_s + lines[2] +
                         u"\n\r\n\rDet er meget vigtigt, at du sikkerhedskopierer filer i "
                         u"datamappen mindst en gang om dagen!\n\r\n\rVIGTIGT!\n\rDette program "
                         u"må IKKE være åbent under sikkerhedskopiering af data."_s);
    }

    void theScreenSizeNoteIsDanishInEveryLanguage_data()
    {
        QTest::addColumn<int>("language");
        for (int language = -1; language <= 3; ++language)
            QTest::newRow(QByteArray::number(language)) << language;
    }

    void theScreenSizeNoteIsDanishInEveryLanguage()
    {
        QFETCH(int, language);
        makeCollection(768, 1024, language);
        Program program;
        m_messages->requests.clear();
        program.window.ui().Omskrmstrrelser1->trigger();
        QCOMPARE(m_messages->requests.size(), 1);
        const Messages::Request &message = m_messages->requests[0];
        QCOMPARE(message.kind, Messages::Request::Kind::Information);
        QCOMPARE(message.caption, u"Information"_s);
        const QStringList lines = message.text.split(u"\n\r"_s);
        QCOMPARE(lines.size(), 6);
        QCOMPARE(lines[0], u"SKÆRMSTØRRELSER"_s);
        QVERIFY(lines[1].isEmpty() && lines[3].isEmpty());
        QVERIFY(lines[2].contains(u"denne PC.  Placér"_s) &&
                lines[2].contains(u"mindre.  Indholdet"_s) && lines[2].endsWith(u"størrelse. "_s));
        QCOMPARE(lines[4], u"BEMÆRK"_s);
    }

    void helpOpensTheStartUpPage()
    {
        makeCollection(768, 1024, -1);
        Program program;
        const QString danish = program.window.ui().Help1->statusTip();
        QVERIFY(danish.endsWith(u"Help/Dansk/index.html"_s));
        program.window.EnglishClick(); // no English.lng here
        m_messages->requests.clear();
        program.window.ui().Help1->trigger();
        QCOMPARE(m_messages->requests.size(), 1);
        QCOMPARE(m_messages->requests[0].kind, Messages::Request::Kind::OpenDocument);
        QCOMPARE(m_messages->requests[0].text, danish);
        // Any other sender does nothing.
        program.window.Help1Click(&program.window);
        QCOMPARE(m_messages->requests.size(), 1);
    }

    // --- the about window --------------------------------------------------------------------

    void theAboutWindow_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QSize>("clientSize");
        QTest::newRow("60 x 200") << QSize(60, 200) << QSize(309, 321);
        QTest::newRow("taller") << QSize(48, 230) << QSize(297, 351);
        QTest::newRow("none") << QSize() << QSize(297, 321);
    }

    void theAboutWindow()
    {
        QFETCH(QSize, picture);
        QFETCH(QSize, clientSize);
        QCoreApplication::setApplicationVersion(u"8.7.0.0"_s);
        TAboutBox box;
        box.AppName = u"Morvane Albumino"_s;
        if (picture.isValid()) {
            box.Picture = QPixmap(picture);
            box.Picture.fill(Qt::darkGreen);
        }
        TAboutWnd window(box);
        Ui::TAboutWnd &ui = window.ui();
        QCOMPARE(window.windowTitle(), u"About Morvane Albumino ®"_s);
        QCOMPARE(ui.lblAppName->text(), u"Morvane Albumino ®"_s);
        QCOMPARE(ui.lblVersion->text(), u"8.7 (Build: 0.0)"_s);
        QVERIFY(ui.lblVersion->font().bold());
        QVERIFY(!ui.lblVersionInfo->isHidden());
        // "Version:" takes its text's width and the version stands a space apart.
        QCOMPARE(ui.lblVersionInfo->width(), ui.lblVersionInfo->sizeHint().width());
        QVERIFY(ui.lblVersion->x() >= ui.lblVersionInfo->geometry().right() + 1 +
                                          ui.lblVersionInfo->fontMetrics().horizontalAdvance(u' '));
        QCOMPARE(ui.lblUrl->text(), TAboutBox::defaultUrl());
        QVERIFY(TAboutBox::defaultUrl().startsWith(u"http://"_s));
        QCOMPARE(window.size(), clientSize);
        const int wider = clientSize.width() - 297;
        const int taller = clientSize.height() - 321;
        QCOMPARE(ui.lblAppName->x(), 64 + wider);
        QCOMPARE(ui.btnOk->pos(), QPoint(216 + wider, 288 + taller));
        QCOMPARE(ui.btnSysInfo->pos(), QPoint(136 + wider, 288 + taller));
        QCOMPARE(ui.bvlSep->width(), 281 + wider);
        QCOMPARE(ui.bvlOuter->isHidden(), !picture.isValid());
        if (picture.isValid())
            QCOMPARE(ui.bvlOuter->width(), picture.width() + 2);
        QVERIFY(ui.btnOk->isDefault());
    }

    void withoutAVersionTheLabelIsHidden()
    {
        QCoreApplication::setApplicationVersion(QString());
        TAboutBox box;
        TAboutWnd window(box);
        QCOMPARE(window.ui().lblVersion->text(), QString());
        QVERIFY(window.ui().lblVersionInfo->isHidden());
        QCoreApplication::setApplicationVersion(u"8.7.0.0"_s);
    }

    void escapeAndEnterClose_data()
    {
        QTest::addColumn<int>("key");
        QTest::newRow("Escape") << int(Qt::Key_Escape);
        QTest::newRow("Enter") << int(Qt::Key_Return);
    }

    void escapeAndEnterClose()
    {
        QFETCH(int, key);
        TAboutBox box;
        TAboutWnd window(box);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTest::keyClick(&window, Qt::Key(key));
        QVERIFY(!window.isVisible());
        QCOMPARE(window.result(), int(QDialog::Rejected));
    }

    void noSystemInformationViewer()
    {
        m_messages->expectErrors();
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(m_dir->path()));
        TAboutBox box;
        TAboutWnd window(box);
        window.ui().btnSysInfo->click();
        qputenv("PATH", path);
        QCOMPARE(m_messages->requests.size(), 1);
        QCOMPARE(m_messages->requests[0].kind, Messages::Request::Kind::Error);
        QCOMPARE(m_messages->requests[0].text, u"Could not execute system information!"_s);
    }

    void theLinkOpensTheAddress()
    {
        TAboutBox box;
        box.Url = u"http://www.example.org/"_s;
        TAboutWnd window(box);
        window.show();
        QTest::mouseClick(window.ui().lblUrl, Qt::LeftButton);
        QCOMPARE(m_messages->requests.size(), 1);
        QCOMPARE(m_messages->requests[0].kind, Messages::Request::Kind::OpenDocument);
        QCOMPARE(m_messages->requests[0].text, u"http://www.example.org/"_s);
        QVERIFY(!QApplication::overrideCursor());
    }

private:
    // Every language translates the main window; none may reach the definitions window.
    void writeLanguageFiles()
    {
        for (const char *name : {"English", "Norsk", "Svensk", "Deutsch"}) {
            QFile file(QString::fromLatin1(name) + u".lng"_s);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("[MainForm]\r\nCaption=Translated\r\nLabel6.Caption=Quality\r\n"
                       "[DefForm]\r\nCaption=Translated\r\nLabel6.Caption=Quality\r\n");
        }
    }
};

QTEST_MAIN(TestCommands)

#include "tst_commands.moc"
