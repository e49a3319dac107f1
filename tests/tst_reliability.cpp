#include "databaseerror.h"
#include "dbedit.h"
#include "dbmemo.h"
#include "mainwindowfixture.h"
#include "messages.h"
#include "qformlocalizer.h"
#include "qlanguagefile.h"
#include "tablefiles.h"

#include <QProcess>
#include <QRandomGenerator>

#include <sqlite3.h>

#include <unistd.h>

namespace {

// Another program holding the stamp file with an open transaction.
class Locker
{
public:
    explicit Locker(const QString &path)
    {
        m_shell.start(u"sqlite3"_s, {path});
        m_shell.waitForStarted();
        m_shell.write("BEGIN EXCLUSIVE;\nSELECT 'locked';\n");
        // Locked once the shell has answered.
        m_shell.waitForReadyRead(10000);
    }
    void release()
    {
        if (m_shell.state() == QProcess::NotRunning)
            return;
        m_shell.write("COMMIT;\n.quit\n");
        m_shell.closeWriteChannel();
        m_shell.waitForFinished(10000);
    }
    ~Locker() { release(); }

private:
    QProcess m_shell;
};

const QString kStamps = u"Data/Tmb_Mark.DB"_s;

} // namespace

class TestReliability : public MainWindowFixture
{
    Q_OBJECT

private Q_SLOTS:
    // --- damaged files -------------------------------------------------------------------

    void aDamagedStampFileIsReportedAndLeftAlone_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<QString>("reason");
        QTest::newRow("truncated") << u"truncate"_s << u"damaged"_s;
        QTest::newRow("zero bytes") << u"empty"_s << u"Tmb_Mark"_s;
        QTest::newRow("random bytes") << u"random"_s << u"not a table file or is damaged"_s;
        QTest::newRow("a field missing") << u"drop Motiv"_s << u"Motiv"_s;
        QTest::newRow("locked by another program") << u"lock"_s << u"locked"_s;
    }

    void aDamagedStampFileIsReportedAndLeftAlone()
    {
        m_messages->expectErrors();
        QFETCH(QString, damage);
        QFETCH(QString, reason);
        makeCollection(768, 1024, -1);
        {
            // Enough stamps that the file has pages to lose.
            TDM dm;
            dm.OpenTables();
            for (int i = 0; i < 300; ++i) {
                dm.FrimTable->Append();
                dm.FrimTableNotater->setAsString(QString(200, u'x'));
                dm.FrimTable->Post();
            }
        }
        if (damage != u"lock"_s)
            QVERIFY(TableFiles::damage(kStamps, damage));
        std::unique_ptr<Locker> locker;
        if (damage == u"lock"_s)
            locker = std::make_unique<Locker>(kStamps);
        const QByteArray before = TableFiles::digest(kStamps);
        {
            Program program;
            QVERIFY(program.window.isVisible());
            QVERIFY(!m_messages->requests.isEmpty());
            const Messages::Request &error = m_messages->requests.first();
            QCOMPARE(error.kind, Messages::Request::Kind::Error);
            QVERIFY2(error.text.contains(u"Tmb_Mark.DB"_s) && error.text.contains(reason),
                     qPrintable(error.text));
            // The program goes on: the country list works.
            QVERIFY(program.dm.LandTable->Active());
            QVERIFY(program.window.close());
        }
        QCOMPARE(TableFiles::digest(kStamps), before);
    }

    void aReadOnlyDataFolderRefusesSavesClearly()
    {
        if (geteuid() == 0)
            QSKIP("root writes into read-only folders");
        makeCollection(768, 1024, -1);
        QFile::setPermissions(u"Data"_s, QFile::ReadOwner | QFile::ExeOwner);
        const QByteArray before = TableFiles::digest(kStamps);
        {
            Program program;
            program.dm.FrimTable->Edit();
            program.dm.FrimTableMotiv->setAsString(u"Fugl"_s);
            QVERIFY_THROWS_EXCEPTION(EDatabaseError, program.dm.FrimTable->Post());
            QCOMPARE(program.dm.FrimTable->State(), TDataSetState::Edit);
            program.dm.FrimTable->Cancel();
        }
        QFile::setPermissions(u"Data"_s, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(TableFiles::digest(kStamps), before);
    }

    void aSaveRefusedByALockKeepsWhatWasTyped()
    {
        m_messages->expectErrors();
        makeCollection(768, 1024, -1);
        Program program;
        TMainForm &window = program.window;
        choosePage(window, window.ui().TabSheet2);
        TDBEdit *motif = window.ui().DBEdit7;
        motif->setFocus();
        QTest::keyClicks(motif, u"Skib"_s);
        Locker locker(kStamps);
        m_messages->requests.clear();
        window.ui().DBNavigator1->BtnClick(TNavigateBtn::Post);
        QCOMPARE(m_messages->requests.size(), 1);
        QVERIFY2(m_messages->requests[0].text.contains(u"Tmb_Mark.DB"_s) &&
                     m_messages->requests[0].text.contains(u"locked"_s),
                 qPrintable(m_messages->requests[0].text));
        QCOMPARE(program.dm.FrimTable->State(), TDataSetState::Edit);
        QCOMPARE(motif->text(), u"Skib"_s);
        locker.release();
        window.ui().DBNavigator1->BtnClick(TNavigateBtn::Post);
        QCOMPARE(program.dm.FrimTable->State(), TDataSetState::Browse);
        TDM other;
        other.OpenTables();
        QVERIFY(other.FrimAllTable->Locate(u"Motiv"_s, u"Skib"_s));
    }

    // --- hostile input --------------------------------------------------------------------

    void strangeTextsAreKeptExactly_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("control characters and tabs") << u"a\tb\x01\x1f\x7f\r\nc"_s;
        QTest::newRow("outside Windows-1252") << u"Łódź · Ελλάς · 🦅"_s;
        QTest::newRow("blanks only") << u"   "_s;
        QTest::newRow("quotes only") << u"'\"''\""_s;
        QTest::newRow("a long memo") << QString(100000, u'ø');
    }

    void strangeTextsAreKeptExactly()
    {
        QFETCH(QString, text);
        makeCollection(768, 1024, -1);
        const QString shortText = text.left(20);
        {
            TDM dm;
            dm.OpenTables();
            dm.LandTable->Append();
            dm.LandTable->FieldByName(u"Land"_s)->setAsString(shortText);
            dm.LandTable->Post();
            dm.FrimTable->Append();
            dm.FrimTableSerie->setAsString(shortText);
            dm.FrimTableMotiv->setAsString(shortText);
            dm.FrimTableNotater->setAsString(text);
            dm.FrimTable->Post();
        }
        TDM dm;
        dm.OpenTables();
        QVERIFY(dm.LandTable->Locate(u"Land"_s, shortText));
        QCOMPARE(dm.FrimTable->RecordCount(), 1);
        QCOMPARE(dm.FrimTableSerie->AsString(), shortText);
        QCOMPARE(dm.FrimTableMotiv->AsString(), shortText);
        QCOMPARE(dm.FrimTableNotater->AsString(), text);
        // The pick list took the value as it is.
        QVERIFY(dm.SerieTable->Locate(u"Serie"_s, shortText));
    }

    void numbersAtTheLimits_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("smallest count") << u"Ubrugt"_s << u"-32768"_s << true;
        QTest::newRow("largest count") << u"Ubrugt"_s << u"32767"_s << true;
        QTest::newRow("count too large") << u"Ubrugt"_s << u"32768"_s << false;
        QTest::newRow("a count with decimals") << u"Stemplet"_s << u"1,5"_s << false;
        QTest::newRow("fifteen digits") << u"VaerdiUbrugt"_s << u"99999999999,9999"_s << true;
        QTest::newRow("more digits than a value keeps")
            << u"VaerdiUbrugt"_s << u"922337203685477,5807"_s << false;
        QTest::newRow("negative value") << u"VaerdiUbrugt"_s << u"-99999999,99"_s << true;
        QTest::newRow("no number") << u"VaerdiUbrugt"_s << u"1e400"_s << false;
    }

    void numbersAtTheLimits()
    {
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(bool, accepted);
        makeCollection(768, 1024, -1);
        TDM dm;
        dm.OpenTables();
        dm.FrimTable->Edit();
        TField *target = dm.FrimTable->FieldByName(field);
        const QVariant before = target->Value();
        bool refused = false;
        try {
            target->setAsString(text);
            dm.FrimTable->Post();
        } catch (const EDatabaseError &error) {
            refused = true;
            QVERIFY2(error.message().contains(field), qPrintable(error.message()));
        }
        QCOMPARE(!refused, accepted);
        if (accepted) {
            TDM again;
            again.OpenTables();
            QCOMPARE(again.FrimTable->FieldByName(field)->AsString(), text.remove(u'.'));
        } else {
            QCOMPARE(target->Value(), before);
        }
    }

    void hugeLanguageFilesDoNoHarm_data()
    {
        QTest::addColumn<QByteArray>("content");
        QByteArray lines = "[MainForm]\r\n";
        for (int i = 0; i < 1000000; ++i)
            lines += "Label2.Caption=L\r\n";
        QTest::newRow("a million lines") << lines;
        QTest::newRow("a 10 MB line")
            << QByteArray("[MainForm]\r\nLabel2.Caption=") + QByteArray(10 << 20, 'x') + "\r\n";
        QTest::newRow("NUL bytes")
            << QByteArray::fromRawData("[MainForm]\r\nLabel2.Caption=Cata\0logue\r\n", 39);
        QTest::newRow("a section header of 100,000 characters")
            << "[" + QByteArray(100000, 'M') + "]\r\nLabel2.Caption=X\r\n";
    }

    void hugeLanguageFilesDoNoHarm()
    {
        QFETCH(QByteArray, content);
        QFile file(u"English.lng"_s);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.close();
        makeCollection(768, 1024, -1);
        Program program;
        program.window.EnglishClick();
        const QString caption = program.window.ui().Label2->text();
        QVERIFY(!caption.isEmpty());
        QVERIFY(caption.size() <= 10 << 20);
        program.window.DanskClick();
        QCOMPARE(program.window.ui().Label2->text(), u"Katalognavn"_s);
        QVERIFY(m_messages->requests.isEmpty());
    }

    void aHugeJpegHeaderShowsThePlaceholder()
    {
        makeCollection(768, 1024, -1);
        Program program;
        // A baseline header that declares 65000 × 65000 pixels, and nothing after it.
        const QByteArray header = QByteArray::fromHex(
            "ffd8ffe000104a46494600010100000100010000ffc0001108fde8fde803012200021101031101");
        QFile picture(u"Billeder/"_s + program.dm.FrimTableNum->AsString() + u".jpg"_s);
        QVERIFY(picture.open(QIODevice::WriteOnly));
        picture.write(header);
        picture.close();
        choosePage(program.window, program.window.ui().TabSheet2);
        QCOMPARE(program.window.ui().Image15->pixmap().size(), QSize(321, 186));
        QVERIFY(m_messages->requests.isEmpty());
    }
};

QTEST_MAIN(TestReliability)

#include "tst_reliability.moc"
