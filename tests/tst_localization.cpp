#include "mainwindowfixture.h"
#include "messages.h"
#include "qformlocalizer.h"
#include "qlanguagefile.h"
#include "qlanguagesource.h"
#include "windows1252.h"

#include <QAbstractButton>
#include <QAction>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QStyle>

namespace {

// A language file as a translator writes it: lines joined with CR LF, in Windows-1252.
void writeLanguageFile(const QString &name, const QStringList &lines)
{
    QFile file(name);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(Windows1252::fromUnicode(lines.join(u"\r\n"_s) + u"\r\n"_s));
}

QStringList mainFormSection(const QString &fileName)
{
    return TQLanguageFile(fileName).ReadSection(u"MainForm"_s);
}

} // namespace

class TestLocalization : public MainWindowFixture
{
    Q_OBJECT

private Q_SLOTS:
    // --- the file format ----------------------------------------------------------------

    void encodedValues_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("encoded");
        QTest::newRow("empty") << QString() << u"\"\""_s;
        QTest::newRow("quotes") << u"Say \"hi\""_s << u"\"Say \"\"hi\"\"\""_s;
        QTest::newRow("line break") << u"A\r\nB"_s << u"\"A\"#13#10\"B\""_s;
        QTest::newRow("leading tab") << u"\tX"_s << u"\"\"#9\"X\""_s;
        QTest::newRow("quote then #") << u"a\"#1"_s << u"\"a\"\"#1\""_s;
        QTest::newRow("ends in a control") << u"A\r"_s << u"\"A\"#13\"\""_s;
        QTest::newRow("8-bit") << u"Frimærker ©"_s << u"\"Frimærker ©\""_s;
    }

    void encodedValues()
    {
        QFETCH(QString, text);
        QFETCH(QString, encoded);
        QCOMPARE(TQLanguageFile::EncodeValue(text), encoded);
        QCOMPARE(TQLanguageFile::DecodeValue(encoded), text);
    }

    void oddValuesDecode_data()
    {
        QTest::addColumn<QString>("raw");
        QTest::addColumn<QString>("text");
        QTest::newRow("plain, # means nothing") << u"a#13b"_s << u"a#13b"_s;
        QTest::newRow("a lone quote") << u"\""_s << u"\""_s;
        QTest::newRow("no closing quote") << u"\"abc"_s << u"abc"_s;
        QTest::newRow("escape without a run after it") << u"\"a\"#65"_s << u"aA"_s;
        QTest::newRow("pieces that are no code") << u"\"a\"#x#65##300#\"b\""_s << u"aAb"_s;
        QTest::newRow("left over after a run") << u"\"a\"xyz#65"_s << u"a"_s;
        QTest::newRow("two quotes") << u"\"\""_s << QString();
    }

    void oddValuesDecode()
    {
        QFETCH(QString, raw);
        QFETCH(QString, text);
        QCOMPARE(TQLanguageFile::DecodeValue(raw), text);
    }

    void everyTextSurvivesEncoding()
    {
        QRandomGenerator random(20261210);
        for (int round = 0; round < 2000; ++round) {
            QString text;
            const int length = random.bounded(12);
            for (int i = 0; i < length; ++i) {
                // Quotes, # and control characters often, any 8-bit character sometimes.
                const char16_t favourites[] = {u'"', u'#', u'\r', u'\n', 0, u' ', u'a'};
                text += random.bounded(2) ? QChar(favourites[random.bounded(7)])
                                          : QChar(char16_t(random.bounded(256)));
            }
            QCOMPARE(TQLanguageFile::DecodeValue(TQLanguageFile::EncodeValue(text)), text);
        }
    }

    void commaTexts_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("items");
        QTest::newRow("unquoted blank splits") << u"Nyt land"_s << QStringList{u"Nyt"_s, u"land"_s};
        QTest::newRow("quoted") << u"Første,\"Nyt land\",Gem"_s
                                << QStringList{u"Første"_s, u"Nyt land"_s, u"Gem"_s};
        QTest::newRow("trailing comma") << u"a,b,"_s << QStringList{u"a"_s, u"b"_s, u""_s};
        QTest::newRow("one empty item") << u"\"\""_s << QStringList{QString()};
        QTest::newRow("empty") << QString() << QStringList();
        QTest::newRow("blanks around") << u"  a ,  b"_s << QStringList{u"a"_s, u"b"_s};
        QTest::newRow("inner quotes")
            << u"\"say \"\"hi\"\"\",x"_s << QStringList{u"say \"hi\""_s, u"x"_s};
    }

    void commaTexts()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, items);
        QCOMPARE(CommaText::read(text), items);
        QCOMPARE(CommaText::read(CommaText::write(items)), items);
    }

    void designedHintsAsCommaText()
    {
        QCOMPARE(
            CommaText::write({u"Første"_s, u"Forrige"_s, u"Næste"_s, u"Sidste"_s, u"Nyt land"_s,
                              u"Slet land"_s, u"Ret"_s, u"Gem"_s, u"Fortryd"_s}),
            u"Første,Forrige,Næste,Sidste,\"Nyt land\",\"Slet land\",Ret,Gem,Fortryd"_s);
        QCOMPARE(CommaText::write({QString()}), u"\"\""_s);
        QCOMPARE(CommaText::write({}), QString());
    }

    void readingRules_data()
    {
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<QStringList>("section");
        QTest::newRow("last key and last block win")
            << QStringList{u"[MainForm]"_s, u"A=1"_s, u"B=2"_s, u"A=3"_s,
                           u"[mainform]"_s, u"C=4"_s, u"c=5"_s}
            << QStringList{u"C=5"_s};
        QTest::newRow("trimming, comments, empty values")
            << QStringList{u"before=ignored"_s, u"  [ MainForm ]  "_s, u"; A=comment"_s,
                           u"  A =  plain  "_s, u"B=\"  kept  \""_s,   u"C="_s,
                           u"D=\"\""_s,         u"no equals sign"_s}
            << QStringList{u"A=plain"_s, u"B=  kept  "_s};
        QTest::newRow("a byte-order mark hides the first header")
            << QStringList{u"\u00ef\u00bb\u00bf[MainForm]"_s, u"A=1"_s, u"[Other]"_s, u"B=2"_s}
            << QStringList();
        QTest::newRow("NUL ends the text")
            << QStringList{u"[MainForm]"_s, u"A=1"_s, QString(QChar(0)) + u"B=2"_s}
            << QStringList{u"A=1"_s};
    }

    void readingRules()
    {
        QFETCH(QStringList, lines);
        QFETCH(QStringList, section);
        writeLanguageFile(u"Test.lng"_s, lines);
        QCOMPARE(mainFormSection(u"Test.lng"_s), section);
        // Names are found in any letter case.
        if (!section.isEmpty())
            QCOMPARE(TQLanguageFile(u"Test.lng"_s)
                         .ReadValue(u"MAINFORM"_s, section.first().section(u'=', 0, 0).toLower(),
                                    u"-"_s),
                     section.first().section(u'=', 1));
    }

    void writingRewritesTheWholeFile()
    {
        writeLanguageFile(u"Test.lng"_s, {u"; a comment"_s, u"[MainForm]"_s, u"A=1"_s,
                                          u"loose line"_s, u""_s, u"[Other]"_s, u"B=2"_s});
        TQLanguageFile file(u"Test.lng"_s);
        file.WriteValue(u"mainform"_s, u"a"_s, u"ny tekst"_s);
        file.WriteValue(u"New"_s, u"C"_s, u"x\ty"_s);
        QFile written(u"Test.lng"_s);
        QVERIFY(written.open(QIODevice::ReadOnly));
        QCOMPARE(written.readAll(), QByteArray("[MainForm]\r\na=\"ny tekst\"\r\nloose line\r\n\r\n"
                                               "[Other]\r\nB=2\r\n\r\n"
                                               "[New]\r\nC=\"x\"#9\"y\"\r\n\r\n"));
    }

    void settingsFromTheFile_data()
    {
        QTest::addColumn<QString>("lines");
        QTest::addColumn<int>("biDiMode");
        QTest::addColumn<int>("charSet");
        QTest::newRow("none") << QString() << 0 << 1;
        QTest::newRow("right to left, Russian")
            << u"BiDiMode=1|FontCharSet=russian_charset"_s << 1 << 204;
        QTest::newRow("out of range, unknown")
            << u"BiDiMode=7|FontCharSet=KLINGON_CHARSET"_s << 0 << 1;
        QTest::newRow("no number") << u"BiDiMode=x|FontCharSet=GREEK_CHARSET"_s << 0 << 161;
    }

    void settingsFromTheFile()
    {
        QFETCH(QString, lines);
        QFETCH(int, biDiMode);
        QFETCH(int, charSet);
        writeLanguageFile(u"English.lng"_s,
                          QStringList{u"[General Settings]"_s} + lines.split(u'|'));
        TQLanguageSource source;
        source.setLanguages({u"English=English.lng"_s});
        source.SetCurrentSection(u"MainForm"_s);
        source.SetActiveLanguage(0);
        QCOMPARE(source.ActiveSettings()->BiDiMode(), biDiMode);
        QCOMPARE(source.ActiveSettings()->FontCharSet(), charSet);
        QCOMPARE(source.CurrentSection(), u"MainForm"_s);
    }

    // --- the source -------------------------------------------------------------------------

    void languageIndexOutOfBounds_data()
    {
        QTest::addColumn<int>("index");
        QTest::newRow("4") << 4;
        QTest::newRow("-2") << -2;
    }

    void languageIndexOutOfBounds()
    {
        QFETCH(int, index);
        TQLanguageSource source;
        source.setLanguages({u"English=English.lng"_s, u"Norsk=Norsk.lng"_s, u"Svensk=Svensk.lng"_s,
                             u"Deutsch=Deutsch.lng"_s});
        source.SetActiveLanguage(1);
        try {
            source.SetActiveLanguage(index);
            QFAIL("no error");
        } catch (const EQLocalError &error) {
            QCOMPARE(QString::fromUtf8(error.what()), u"Index out of bounds (%1)"_s.arg(index));
        }
        QCOMPARE(source.ActiveLanguage(), 1);
        QVERIFY_THROWS_EXCEPTION(EQLocalError, source.GetLanguageFileName(index));
    }

    void sourcesAndLocalizersRefuseWhatTheyCannotDo()
    {
        TQCustomLanguageSource readOnly;
        try {
            readOnly.WriteValue(u"A"_s, u"1"_s);
            QFAIL("no error");
        } catch (const EQLocalError &error) {
            QCOMPARE(QString::fromUtf8(error.what()),
                     u"Cannot write to source file (ReadOnly = True)!"_s);
        }
        QCOMPARE(readOnly.ReadValue(u"A"_s, u"default"_s), u"default"_s);
        QVERIFY_THROWS_EXCEPTION(EQLocalError, TQLanguageSettings(nullptr));
        try {
            TQFormLocalizer orphan(nullptr);
            QFAIL("no error");
        } catch (const EQLocalError &error) {
            QCOMPARE(QString::fromUtf8(error.what()), u"Owner is not specified!"_s);
        }
        makeCollection(768, 1024, -1);
        Program program;
        try {
            TQFormLocalizer second(&program.window);
            QFAIL("no error");
        } catch (const EQLocalError &error) {
            QCOMPARE(QString::fromUtf8(error.what()),
                     u"'MainForm' already contains instance of TQFormLocalizer class!"_s);
        }
    }

    void choosingTheActiveLanguageAgainDoesNothing()
    {
        writeLanguageFile(u"English.lng"_s, {u"[MainForm]"_s, u"Caption=First"_s});
        makeCollection(768, 1024, -1);
        Program program;
        TQLanguageSource &source = *program.window.QLanguageSource1();
        int changes = 0;
        source.OnLanguageChanging = [&](QObject *, int, bool &) { ++changes; };
        program.window.EnglishClick();
        QCOMPARE(program.window.windowTitle(), u"First"_s);
        // The file is not read again.
        writeLanguageFile(u"English.lng"_s, {u"[MainForm]"_s, u"Caption=Second"_s});
        program.window.EnglishClick();
        QCOMPARE(changes, 1);
        QCOMPARE(program.window.windowTitle(), u"First"_s);
        QVERIFY(program.window.ui().English->isChecked());
    }

    // --- the localizer on the main window --------------------------------------------------

    void languagesReplaceAndDanskRestores()
    {
        writeLanguageFile(u"English.lng"_s,
                          {u"[MainForm]"_s, u"TabSheet1.Caption=Stamps"_s,
                           u"label2.CAPTION=\"Catalogue name\""_s, u"Label2.Font=Arial"_s,
                           u"Nothing.Caption=x"_s, u"Label24.Caption=never"_s,
                           u"DBNavigator1.Hints=\"First,Prior,Next,Last\""_s,
                           u"DBGrid1.Columns=\"Country,Catalogue,No.,Mint,Used\""_s,
                           u"Help1.Hint=English help"_s, u"Label13.Caption=Perforation"_s});
        writeLanguageFile(u"Norsk.lng"_s,
                          {u"[MainForm]"_s, u"TabSheet1.Caption=Frimerker"_s,
                           QStringList(30, u"X"_s).join(u',').prepend(u"DBGrid1.Columns="_s)});
        makeCollection(768, 1024, -1);
        Program program;
        TMainForm &window = program.window;
        const auto tab = [&] { return window.ui().PageControl1->tabText(0); };
        const auto title = [&](int column) {
            return window.ui().DBGrid1->model()->headerData(column, Qt::Horizontal).toString();
        };
        const QString help = window.ui().Help1->statusTip();
        const int right = window.ui().Label13->geometry().right();
        window.EnglishClick();
        // The right-aligned label grows to the left to show the longer text.
        QCOMPARE(window.ui().Label13->geometry().right(), right);
        QVERIFY(window.ui().Label13->width() >=
                window.ui().Label13->fontMetrics().horizontalAdvance(u"Perforation"_s));
        for (const QString &original : window.QFormLocalizer1()->Originals())
            QVERIFY2(!original.startsWith(u"nb"_s), qPrintable(original));
        QCOMPARE(tab(), u"Stamps"_s);
        QCOMPARE(window.ui().Label2->text(), u"Catalogue name"_s);
        QCOMPARE(window.ui().Label24->text(), QString()); // empty texts get none
        QCOMPARE(window.ui().DBNavigator1->hints().size(), 4);
        QCOMPARE(title(0), u"Country"_s);
        QCOMPARE(title(4), u"Used"_s);
        QCOMPARE(title(5), u"Ustemplet"_s);
        QCOMPARE(window.ui().Help1->statusTip(), u"English help"_s);
        QVERIFY(window.ui().Label2->testAttribute(Qt::WA_SetFont));
        // Norsk lacks the label: it keeps its English text; thirty titles fill 23 columns.
        window.NorskClick();
        QCOMPARE(tab(), u"Frimerker"_s);
        QCOMPARE(window.ui().Label2->text(), u"Catalogue name"_s);
        QCOMPARE(title(22), u"X"_s);
        QCOMPARE(window.QLanguageSource1()->ActiveLanguage(), 1);
        // Dansk brings back every recorded text, the help path among them.
        window.DanskClick();
        QCOMPARE(tab(), u"Frimærker"_s);
        QCOMPARE(window.ui().Label2->text(), u"Katalognavn"_s);
        QCOMPARE(window.ui().DBNavigator1->hints().size(), 9);
        QCOMPARE(title(0), u"Land"_s);
        QCOMPARE(title(8), u"Pålydende"_s);
        QCOMPARE(window.ui().Help1->statusTip(), help);
        QVERIFY(window.QFormLocalizer1()->Originals().isEmpty());
        QVERIFY(window.ui().Label2->testAttribute(Qt::WA_SetFont));
        QCOMPARE(window.ui().Sproget->text(), u"Dansk"_s);
    }

    void aMissingLanguageFileChangesNothing()
    {
        writeLanguageFile(u"English.lng"_s, {u"[MainForm]"_s, u"TabSheet1.Caption=Stamps"_s});
        makeCollection(768, 1024, -1);
        Program program;
        program.window.EnglishClick();
        program.window.NorskClick();
        QCOMPARE(program.window.ui().PageControl1->tabText(0), u"Stamps"_s);
        QCOMPARE(program.window.QLanguageSource1()->ActiveLanguage(), 1);
        QCOMPARE(program.window.ui().Sproget->text(), u"Norsk"_s);
        QVERIFY(m_messages->requests.isEmpty());
    }

    void theMenuSetsItsOwnIndexAndItIsKept_data()
    {
        QTest::addColumn<int>("item"); // position in the menu
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("name");
        QTest::newRow("Svensk, the third item") << 2 << 2 << u"Svensk"_s;
        QTest::newRow("Norsk, the fourth item") << 3 << 1 << u"Norsk"_s;
        QTest::newRow("Deutsch") << 4 << 3 << u"Deutsch"_s;
    }

    void theMenuSetsItsOwnIndexAndItIsKept()
    {
        QFETCH(int, item);
        QFETCH(int, index);
        QFETCH(QString, name);
        for (const QString &language : {u"Norsk"_s, u"Svensk"_s, u"Deutsch"_s})
            writeLanguageFile(language + u".lng"_s,
                              {u"[MainForm]"_s, u"TabSheet2.Caption="_s + language});
        makeCollection(768, 1024, -1);
        {
            Program program;
            const QList<QAction *> items = program.window.ui().Sprog1->actions();
            QCOMPARE(items.at(item)->text(), name);
            items.at(item)->trigger();
            QCOMPARE(program.window.QLanguageSource1()->ActiveLanguage(), index);
            QCOMPARE(program.window.ui().Sproget->text(), name);
            for (QAction *each : items)
                QCOMPARE(each->isChecked(), each == items.at(item));
            QVERIFY(program.window.close());
        }
        Program program;
        QCOMPARE(program.window.QLanguageSource1()->ActiveLanguage(), index);
        QCOMPARE(program.window.ui().PageControl1->tabText(1), name);
        QVERIFY(program.window.ui().Sprog1->actions().at(item)->isChecked());
        // Started in a language: the help path was empty when the texts were recorded, so
        // Dansk leaves it as it is.
        const QString help = program.window.ui().Help1->statusTip();
        program.window.DanskClick();
        QCOMPARE(program.window.ui().PageControl1->tabText(1), u"Registrering"_s);
        QCOMPARE(program.window.ui().Help1->statusTip(), help);
    }

    void theShippedLanguageFilesFitTheWindow_data()
    {
        QTest::addColumn<QString>("language");
        for (const char *language : {"English", "Norsk", "Svensk", "Deutsch"})
            QTest::newRow(language) << QString::fromLatin1(language);
    }

    void theShippedLanguageFilesFitTheWindow()
    {
        QFETCH(QString, language);
        const QString path = QStringLiteral(ALBUMINO_ASSETS_DIR "/lang/") + language + u".lng"_s;
        const QStringList entries = mainFormSection(path);
        QVERIFY(entries.size() > 60);
        makeCollection(768, 1024, -1);
        Program program;
        const TQFormLocalizer &localizer = *program.window.QFormLocalizer1();
        for (const QString &entry : entries) {
            const QString key = entry.section(u'=', 0, 0);
            const auto [object, name] = localizer.ResolveKey(key);
            QVERIFY2(object && localizer.PropNames().contains(name, Qt::CaseInsensitive) &&
                         !localizer.ReadText(object, name).isEmpty(),
                     qPrintable(key));
            if (name == u"Hints"_s || name == u"Columns"_s)
                QCOMPARE(CommaText::read(entry.section(u'=', 1)).size(),
                         CommaText::read(localizer.ReadText(object, name)).size());
        }
        const TQLanguageFile file(path);
        QCOMPARE(file.ReadValue(u"General Settings"_s, u"FontCharSet"_s, {}), u"DEFAULT_CHARSET"_s);
        // At the design size every button shows its whole caption in the language.
        TMainForm &window = program.window;
        window.resize(QSize(1024, 768) - (window.frameGeometry().size() - window.size()));
        QVERIFY(QFile::copy(path, language + u".lng"_s));
        const QStringList languages{u"English"_s, u"Norsk"_s, u"Svensk"_s, u"Deutsch"_s};
        window.QLanguageSource1()->SetActiveLanguage(int(languages.indexOf(language)));
        for (QAbstractButton *button : window.findChildren<QAbstractButton *>()) {
            if (button->text().isEmpty() || button->objectName().startsWith(u"qt_"_s))
                continue;
            const QStyle *style = button->style();
            const int beside = qobject_cast<QRadioButton *>(button)
                                   ? style->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth) +
                                         style->pixelMetric(QStyle::PM_RadioButtonLabelSpacing)
                                   : 4;
            const int text = button->fontMetrics().horizontalAdvance(button->text());
            QVERIFY2(beside + text <= button->width(),
                     qPrintable(button->objectName() + u": "_s + button->text()));
        }
    }
};

QTEST_MAIN(TestLocalization)

#include "tst_localization.moc"
