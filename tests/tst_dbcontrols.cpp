#include "databaseerror.h"
#include "dbedit.h"
#include "dbgrid.h"
#include "dblookupcombobox.h"
#include "dbmemo.h"
#include "dbnavigator.h"
#include "dbtext.h"
#include "handler.h"
#include "messagerecorder.h"
#include "messages.h"
#include "table.h"
#include "tablefile.h"

#include <QApplication>
#include <QLineEdit>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QWheelEvent>

#include <memory>
#include <stdexcept>

using namespace Qt::Literals::StringLiterals;

class TestDbControls : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<TTable> m_stamps;
    std::unique_ptr<TTable> m_catalogues;
    std::unique_ptr<TDataSource> m_stampSource;
    std::unique_ptr<TDataSource> m_catalogueSource;
    std::unique_ptr<MessageRecorder> m_messages;

    void addStamp(const QString &katalog, int year)
    {
        m_stamps->Append();
        m_stamps->FieldByName(u"Katalog"_s)->setAsString(katalog);
        m_stamps->FieldByName(u"Aarstal"_s)->setAsInteger(year);
        m_stamps->Post();
    }

private Q_SLOTS:
    void initTestCase() { qInstallMessageHandler(quietOffscreen); }

    void init()
    {
        QLocale::setDefault(QLocale(QLocale::Danish, QLocale::Denmark));
        m_dir = std::make_unique<QTemporaryDir>();
        createTableFile(m_dir->path(), TTableDef{u"Tmb_Mark.DB"_s,
                                                 {{u"Katalog"_s, TFieldType::String, 20},
                                                  {u"Num"_s, TFieldType::AutoInc},
                                                  {u"Aarstal"_s, TFieldType::SmallInt},
                                                  {u"Notater"_s, TFieldType::Memo}},
                                                 {},
                                                 {},
                                                 {}});
        createTableFile(m_dir->path(), TTableDef{u"Tmb_Kata.db"_s,
                                                 {{u"Katalog"_s, TFieldType::String, 20}},
                                                 {u"Katalog"_s},
                                                 {},
                                                 {{u"AFA"_s}, {u"Facit"_s}, {u"Michel"_s}}});
        m_stamps = std::make_unique<TTable>();
        m_stamps->setDatabaseName(m_dir->path());
        m_stamps->setTableName(u"Tmb_Mark.DB"_s);
        m_stamps->Open();
        m_catalogues = std::make_unique<TTable>();
        m_catalogues->setDatabaseName(m_dir->path());
        m_catalogues->setTableName(u"Tmb_Kata.db"_s);
        m_catalogues->Open();
        m_stampSource = std::make_unique<TDataSource>();
        m_stampSource->setDataSet(m_stamps.get());
        m_catalogueSource = std::make_unique<TDataSource>();
        m_catalogueSource->setDataSet(m_catalogues.get());
        m_messages = std::make_unique<MessageRecorder>();
    }

    void cleanup()
    {
        const QString unexpected = m_messages->unexpectedErrors();
        m_messages.reset();
        m_stampSource.reset();
        m_catalogueSource.reset();
        m_stamps.reset();
        m_catalogues.reset();
        QVERIFY2(unexpected.isEmpty(), qPrintable(unexpected));
    }

    void errorReportText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown");
        QTest::newRow("letter") << "Fejl"
                                << "Fejl.";
        QTest::newRow("full stop") << "Fejl."
                                   << "Fejl.";
        QTest::newRow("code below the full stop") << "Fejl (3)"
                                                  << "Fejl (3)";
        QTest::newRow("slash is above") << "a/b/"
                                        << "a/b/.";
        QTest::newRow("empty") << ""
                               << "";
    }

    void errorReportText()
    {
        QFETCH(QString, text);
        QFETCH(QString, shown);
        QCOMPARE(Messages::errorReportText(text), shown);
    }

    void handlersReportErrorsAndGoOn()
    {
        m_messages->expectErrors();
        QVERIFY(!runHandler([] { throw EDatabaseError(u"Tmb_Mark.DB: locked"_s); }));
        QVERIFY(runHandler([] {}));
        QCOMPARE(m_messages->requests.size(), 1);
        QCOMPARE(m_messages->requests[0].kind, Messages::Request::Kind::Error);
        QCOMPARE(m_messages->requests[0].text, u"Tmb_Mark.DB: locked."_s);
    }

    void editWritesBeforePost()
    {
        addStamp(u"AFA"_s, 1950);
        TDBEdit katalog;
        katalog.setDataField(u"Katalog"_s);
        katalog.setDataSource(m_stampSource.get());
        TDBEdit year;
        year.setDataField(u"Aarstal"_s);
        year.setDataSource(m_stampSource.get());
        TDBText shown;
        shown.setDataField(u"Katalog"_s);
        shown.setDataSource(m_stampSource.get());
        QCOMPARE(katalog.text(), u"AFA"_s);
        QCOMPARE(katalog.maxLength(), 20);
        QCOMPARE(shown.text(), u"AFA"_s);

        QString seenByBeforePost;
        m_stamps->BeforePost = [&](TTable &table) {
            seenByBeforePost = table.FieldByName(u"Katalog"_s)->AsString();
        };
        katalog.show();
        katalog.setFocus();
        katalog.selectAll();
        QTest::keyClicks(&katalog, u"Facit"_s);
        QCOMPARE(m_stamps->State(), TDataSetState::Edit);
        m_stamps->Post();
        QCOMPARE(seenByBeforePost, u"Facit"_s);
        QCOMPARE(shown.text(), u"Facit"_s);

        // A number that is no number stops the post; the typed text stays.
        year.show();
        year.setFocus();
        year.selectAll();
        QTest::keyClicks(&year, u"19x0"_s);
        QVERIFY_THROWS_EXCEPTION(EDatabaseError, m_stamps->Post());
        QCOMPARE(m_stamps->State(), TDataSetState::Edit);
        QCOMPARE(year.text(), u"19x0"_s);
        year.selectAll();
        QTest::keyClicks(&year, u"1960"_s);
        m_stamps->Post();
        QCOMPARE(m_stamps->FieldByName(u"Aarstal"_s)->AsInteger(), 1960);
    }

    void memoTypesIntoTheRecord()
    {
        TDBMemo memo;
        memo.setDataField(u"Notater"_s);
        memo.setDataSource(m_stampSource.get());
        memo.setWantTabs(true);
        memo.show();
        memo.setFocus();
        // Typing into an empty table appends a record that keeps what was typed.
        QTest::keyClicks(&memo, u"Fin"_s);
        QTest::keyClick(&memo, Qt::Key_Tab);
        QTest::keyClicks(&memo, u"kant"_s);
        QCOMPARE(m_stamps->State(), TDataSetState::Insert);
        m_stamps->Post();
        QCOMPARE(m_stamps->FieldByName(u"Notater"_s)->AsString(), u"Fin\tkant"_s);
    }

    void navigatorFollowsTheTable()
    {
        addStamp(u"AFA"_s, 1950);
        addStamp(u"Facit"_s, 1951);
        TDBNavigator navigator;
        navigator.setDataSource(m_stampSource.get());
        navigator.setHints({u"Første"_s, u"Forrige"_s, u"Næste"_s, u"Sidste"_s, u"Tilføj"_s,
                            u"Slet"_s, u"Ret"_s, u"Gem"_s, u"Fortryd"_s});
        QList<TNavigateBtn> clicked;
        navigator.OnClick = [&](TDBNavigator &, TNavigateBtn button) { clicked.append(button); };
        auto enabled = [&](TNavigateBtn button) { return navigator.button(button)->isEnabled(); };

        m_stamps->First();
        QVERIFY(!enabled(TNavigateBtn::First) && !enabled(TNavigateBtn::Prior));
        QVERIFY(enabled(TNavigateBtn::Next) && enabled(TNavigateBtn::Last));
        QVERIFY(!enabled(TNavigateBtn::Post) && !enabled(TNavigateBtn::Cancel));
        QCOMPARE(navigator.button(TNavigateBtn::Insert)->toolTip(), u"Tilføj"_s);
        QCOMPARE(navigator.button(TNavigateBtn::Next)->cursor().shape(), Qt::PointingHandCursor);

        QTest::mouseClick(navigator.button(TNavigateBtn::Next), Qt::LeftButton);
        QCOMPARE(m_stamps->RecNo(), 2);
        QVERIFY(!enabled(TNavigateBtn::Last));
        QCOMPARE(clicked, QList<TNavigateBtn>{TNavigateBtn::Next});

        navigator.BtnClick(TNavigateBtn::Insert);
        QVERIFY(enabled(TNavigateBtn::Post) && enabled(TNavigateBtn::Cancel));
        QVERIFY(!enabled(TNavigateBtn::Edit));
        navigator.BtnClick(TNavigateBtn::Cancel);

        // Delete asks first; "Annuller" keeps the record.
        m_messages->answers = {false, true};
        navigator.BtnClick(TNavigateBtn::Delete);
        QCOMPARE(m_stamps->RecordCount(), 2);
        QCOMPARE(m_messages->requests.last().text, u"Slet denne post?"_s);
        QCOMPARE(m_messages->requests.last().caption, u"Bekræft"_s);
        QCOMPARE(m_messages->requests.last().buttons, (QStringList{u"OK"_s, u"Annuller"_s}));
        navigator.BtnClick(TNavigateBtn::Delete);
        QCOMPARE(m_stamps->RecordCount(), 1);

        navigator.setVisibleButtons({u"nbInsert"_s, u"nbDelete"_s, u"nbPost"_s});
        QVERIFY(navigator.button(TNavigateBtn::First)->isHidden());
        QVERIFY(!navigator.button(TNavigateBtn::Post)->isHidden());
    }

    void pickListWritesItsField()
    {
        addStamp(QString(), 1950);
        TDBLookupComboBox list;
        list.setListSource(m_catalogueSource.get());
        list.setKeyField(u"Katalog"_s);
        list.setListField(u"Katalog"_s);
        list.setDataField(u"Katalog"_s);
        list.setDataSource(m_stampSource.get());
        TDBEdit edit;
        edit.setDataField(u"Katalog"_s);
        edit.setDataSource(m_stampSource.get());
        QCOMPARE(list.count(), 3);
        QCOMPARE(list.currentIndex(), -1);
        int clicks = 0;
        list.OnClick = [&](TDBLookupComboBox &) { ++clicks; };

        QVERIFY(list.choose(u"Facit"_s));
        QCOMPARE(m_stamps->State(), TDataSetState::Edit);
        QCOMPARE(edit.text(), u"Facit"_s);
        QCOMPARE(m_catalogues->FieldByName(u"Katalog"_s)->AsString(), u"Facit"_s);
        QCOMPARE(clicks, 1);

        // The arrow keys step through the entries while the list is closed.
        list.show();
        list.setFocus();
        QTest::keyClick(&list, Qt::Key_Down);
        QCOMPARE(m_stamps->FieldByName(u"Katalog"_s)->AsString(), u"Michel"_s);
        QCOMPARE(clicks, 2);
        m_stamps->Post();
        QCOMPARE(list.Text(), u"Michel"_s);

        // The wheel over the closed list changes nothing.
        for (const int delta : {120, -120, -120}) {
            QWheelEvent wheel(QPointF(5, 5), list.mapToGlobal(QPointF(5, 5)), QPoint(),
                              QPoint(0, delta), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                              false);
            QApplication::sendEvent(&list, &wheel);
        }
        QCOMPARE(m_stamps->State(), TDataSetState::Browse);
        QCOMPARE(list.Text(), u"Michel"_s);
        QCOMPARE(clicks, 2);
    }

    void unboundPickListHoldsAKey()
    {
        TDBLookupComboBox list;
        list.setListSource(m_catalogueSource.get());
        list.setKeyField(u"Katalog"_s);
        list.setListField(u"Katalog"_s);
        QVERIFY(list.choose(u"AFA"_s));
        QCOMPARE(list.KeyValue(), u"AFA"_s);
        list.setKeyValue(QString());
        QCOMPARE(list.Text(), QString());
        QCOMPARE(list.currentIndex(), -1);
    }

    void gridIsAViewOverTheCursor()
    {
        for (int i = 0; i < 5; ++i)
            addStamp(u"K%1"_s.arg(i), 1950 + i);
        TDBGrid grid;
        grid.setDataSource(m_stampSource.get());
        grid.resize(600, 300);
        grid.show();
        TTableModel *model = grid.tableModel();
        QCOMPARE(model->rowCount(), 5);
        QCOMPARE(model->columnCount(), 4); // no designed columns: every field
        QCOMPARE(model->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), u"Katalog"_s);
        QCOMPARE(model->data(model->index(3, 0), Qt::DisplayRole).toString(), u"K3"_s);

        // The current row is the cursor's record, both ways.
        m_stamps->First();
        QCOMPARE(grid.currentIndex().row(), 0);
        grid.setCurrentIndex(model->index(2, 0));
        QCOMPARE(m_stamps->RecNo(), 3);

        // Editing in place, then leaving the row, posts it.
        QVERIFY(model->setData(model->index(2, 0), u"Ny"_s, Qt::EditRole));
        QCOMPARE(m_stamps->State(), TDataSetState::Edit);
        grid.setCurrentIndex(model->index(1, 0));
        QCOMPARE(m_stamps->State(), TDataSetState::Browse);
        QCOMPARE(model->data(model->index(2, 0), Qt::DisplayRole).toString(), u"Ny"_s);

        // Insert inserts, the down arrow on the last row appends, Ctrl+Delete asks.
        grid.setFocus();
        QTest::keyClick(&grid, Qt::Key_Insert);
        QCOMPARE(m_stamps->State(), TDataSetState::Insert);
        QCOMPARE(model->rowCount(), 6);
        QTest::keyClick(&grid, Qt::Key_Escape);
        QCOMPARE(model->rowCount(), 5);
        m_stamps->Last();
        QTest::keyClick(&grid, Qt::Key_Down);
        QCOMPARE(m_stamps->State(), TDataSetState::Insert);
        QCOMPARE(grid.currentIndex().row(), 5);
        m_stamps->FieldByName(u"Katalog"_s)->setAsString(u"Sidst"_s);
        m_stamps->Post();
        QCOMPARE(model->rowCount(), 6);
        m_messages->answers = {false, true};
        QTest::keyClick(&grid, Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(model->rowCount(), 6);
        QTest::keyClick(&grid, Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(model->rowCount(), 5);

        // Designed columns with titles.
        grid.setColumns({{u"Aarstal"_s, u"Årstal"_s, 60}, {u"Katalog"_s, QString(), 0}});
        QCOMPARE(model->columnCount(), 2);
        QCOMPARE(model->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), u"Årstal"_s);
        QCOMPARE(model->data(model->index(0, 0), Qt::DisplayRole).toString(), u"1950"_s);

        int doubleClicks = 0;
        grid.OnDblClick = [&](TDBGrid &) { ++doubleClicks; };
        QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {},
                           grid.visualRect(model->index(0, 0)).center());
        QCOMPARE(doubleClicks, 1);
    }

    void gridEditorsAndNewRows()
    {
        addStamp(u"AFA"_s, 1950);
        addStamp(u"Facit"_s, 1951);
        QWidget window;
        auto *grid = new TDBGrid(&window);
        grid->setGeometry(0, 0, 400, 200);
        grid->setDataSource(m_stampSource.get());
        grid->setColumns({{u"Katalog"_s, QString(), 80}});
        auto *edit = new TDBEdit(&window);
        edit->setGeometry(0, 210, 100, 24);
        edit->setDataField(u"Katalog"_s);
        edit->setDataSource(m_stampSource.get());
        auto *other = new QLineEdit(&window);
        other->setGeometry(0, 240, 100, 24);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        TTableModel *model = grid->tableModel();

        // The only column fills the grid's width.
        QCOMPARE(grid->columnWidth(0), grid->viewport()->width());

        // A new row left unchanged is dropped when another control takes the focus; the
        // focus going to an edit of the same record keeps it.
        grid->setFocus();
        QTest::keyClick(grid, Qt::Key_Insert);
        QCOMPARE(m_stamps->State(), TDataSetState::Insert);
        edit->setFocus();
        QCOMPARE(m_stamps->State(), TDataSetState::Insert);
        grid->setFocus();
        other->setFocus();
        QCOMPARE(m_stamps->State(), TDataSetState::Browse);
        QCOMPARE(model->rowCount(), 2);

        // A double-click on the current row opens no editor, not even late.
        int doubleClicks = 0;
        grid->OnDblClick = [&](TDBGrid &) { ++doubleClicks; };
        const QPoint cell = grid->visualRect(model->index(0, 0)).center();
        grid->setFocus();
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell);
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell);
        QCOMPARE(doubleClicks, 1);
        QTest::qWait(QApplication::doubleClickInterval() + 100);
        QVERIFY(!grid->indexWidget(model->index(0, 0)));

        // An editor opened and left with Escape leaves the record as it was.
        QTest::keyClick(grid, Qt::Key_F2);
        QWidget *opened = grid->indexWidget(model->index(0, 0));
        QVERIFY(opened);
        QCOMPARE(m_stamps->State(), TDataSetState::Edit);
        QTest::keyClick(opened, Qt::Key_Escape);
        QCOMPARE(m_stamps->State(), TDataSetState::Browse);

        // Typing into a cell puts the record into edit, and a save takes the editor's text.
        QTest::keyClicks(grid, u"M"_s);
        QWidget *editor = grid->indexWidget(model->index(0, 0));
        QVERIFY(editor);
        QTest::keyClicks(editor, u"ichel"_s);
        QCOMPARE(m_stamps->State(), TDataSetState::Edit);
        m_stamps->CheckBrowseMode();
        QCOMPARE(m_stamps->State(), TDataSetState::Browse);
        QCOMPARE(model->data(model->index(0, 0), Qt::DisplayRole).toString(), u"Michel"_s);
    }

    void bindingByName()
    {
        QObject dm;
        dm.setObjectName(u"DM"_s);
        auto *source = new TDataSource(&dm);
        source->setObjectName(u"FrimSource"_s);
        source->setDataSet(m_stamps.get());
        addStamp(u"AFA"_s, 1950);
        QWidget window;
        auto *edit = new TDBEdit(&window);
        edit->setProperty("DataSource", u"DM.FrimSource"_s);
        edit->setProperty("DataField", u"Katalog"_s);
        bindDataControls(&window, &dm);
        QCOMPARE(edit->DataSource(), source);
        QCOMPARE(edit->text(), u"AFA"_s);

        // A name that resolves to nothing is reported with the control that carries it.
        auto *misspelt = new TDBEdit(&window);
        misspelt->setObjectName(u"DBEdit9"_s);
        misspelt->setProperty("DataSource", u"DM.FrimSorce"_s);
        auto *wrongField = new TDBText(&window);
        wrongField->setObjectName(u"DBText9"_s);
        wrongField->setProperty("DataSource", u"DM.FrimSource"_s);
        wrongField->setProperty("DataField", u"Katalogue"_s);
        try {
            bindDataControls(&window, &dm);
            QFAIL("unresolved names were not reported");
        } catch (const std::invalid_argument &error) {
            const QString report = QString::fromUtf8(error.what());
            QVERIFY2(report.contains(u"DBEdit9: no data source 'DM.FrimSorce'"_s), error.what());
            QVERIFY2(report.contains(u"DBText9: no field 'Katalogue'"_s), error.what());
        }
    }
};

QTEST_MAIN(TestDbControls)

#include "tst_dbcontrols.moc"
