#pragma once

#include "ui_mainform.h"

#include "dm.h"
#include "mainform.h"
#include "messagerecorder.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

#include <unistd.h>

using namespace Qt::Literals::StringLiterals;

// The main window's suites work in a fresh program folder with a small collection, answer
// every message box through a recorder, and use Danish number formats.
class MainWindowFixture : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Run by QtTest around the suite and around each test of a suite built on the fixture.
    void initTestCase() { qInstallMessageHandler(quietOffscreen); }
    void init() { setUpProgramFolder(); }
    void cleanup() { tearDownProgramFolder(); }

protected:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_previousFolder;
    std::unique_ptr<MessageRecorder> m_messages;

    // A collection whose first country ("Côte d'Ivoire") has 4 stamps and the second
    // ("Danmark") 1. Stamp i of a country is "AFA i" with i + 1 unused copies at 1.25; the
    // series are "Children's Day" and then "Europa" for the first country, "europa" for the
    // second. Saved with the data module's rules, so the pick lists hold these values.
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
                dm.FrimTableSerie->setAsString(count == 1 ? u"europa"_s
                                               : i == 0   ? u"Children's Day"_s
                                                          : u"Europa"_s);
                dm.FrimTableUbrugt->setAsInteger(i + 1);
                dm.FrimTableVaerdiUbrugt->setAsFloat(1.25);
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
            // The test's program folder is the working folder.
            window.setPicturesFolder(QDir::current().filePath(u"Billeder"_s));
            window.setDataModule(&dm);
            window.show();
        }
    };

    // Places a language file that exists but cannot be opened for reading. Root reads
    // every file whatever its mode, but not a write-only attribute of the kernel's sysfs,
    // which the file is then linked to. False when the machine offers neither.
    static bool placeUnreadableFile(const QString &fileName)
    {
        if (::geteuid() != 0) {
            QFile file(fileName);
            return file.open(QIODevice::WriteOnly) && file.setPermissions({});
        }
        QDirIterator attributes(u"/sys/devices"_s, QDir::Files | QDir::System,
                                QDirIterator::Subdirectories);
        while (attributes.hasNext()) {
            const QString path = attributes.next();
            const QFileInfo info(path);
            constexpr QFile::Permissions readable =
                QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
            if (info.isFile() && !(info.permissions() & readable))
                return !QFile(path).open(QIODevice::ReadOnly) && QFile::link(path, fileName);
        }
        return false;
    }

    void choosePage(TMainForm &window, QWidget *page)
    {
        // As the user does: the tab is clicked.
        QTabBar *tabs = window.ui().PageControl1->tabBar();
        const int index = window.ui().PageControl1->indexOf(page);
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(index).center());
    }

    void setUpProgramFolder()
    {
        QLocale::setDefault(QLocale(QLocale::Danish, QLocale::Denmark));
        m_dir = std::make_unique<QTemporaryDir>();
        m_previousFolder = QDir::currentPath();
        QVERIFY(QDir::setCurrent(m_dir->path()));
        QVERIFY(QDir().mkdir(u"Billeder"_s));
        QVERIFY(
            QFile::copy(QStringLiteral(ALBUMINO_ASSETS_DIR "/Ingen.jpg"), u"Billeder/Ingen.jpg"_s));
        m_messages = std::make_unique<MessageRecorder>();
    }

    void tearDownProgramFolder()
    {
        const QString unexpected = m_messages ? m_messages->unexpectedErrors() : QString();
        m_messages.reset();
        QDir::setCurrent(m_previousFolder);
        m_dir.reset();
        QVERIFY2(unexpected.isEmpty(), qPrintable(unexpected));
    }
};
