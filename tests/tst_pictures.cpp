#include "jpegimage.h"
#include "mainwindowfixture.h"
#include "messages.h"

#include <QDirIterator>
#include <QProcess>
#include <QScrollBar>

#include <cstdio>

#include <jpeglib.h>

namespace {

// A JPEG written by libjpeg itself from CMYK inks stored the Adobe way (inverted), as
// colour space CMYK or YCCK.
QByteArray adobeCmykJpeg(int width, int height, const uchar (&inks)[4], J_COLOR_SPACE space)
{
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char *buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = JDIMENSION(width);
    info.image_height = JDIMENSION(height);
    info.input_components = 4;
    info.in_color_space = JCS_CMYK;
    jpeg_set_defaults(&info);
    jpeg_set_colorspace(&info, space);
    jpeg_set_quality(&info, 95, TRUE);
    jpeg_start_compress(&info, TRUE);
    QByteArray row(width * 4, Qt::Uninitialized);
    for (int x = 0; x < width; ++x)
        for (int i = 0; i < 4; ++i)
            row[x * 4 + i] = char(255 - inks[i]);
    while (info.next_scanline < info.image_height) {
        JSAMPROW line = reinterpret_cast<JSAMPROW>(row.data());
        jpeg_write_scanlines(&info, &line, 1);
    }
    jpeg_finish_compress(&info);
    const QByteArray data(reinterpret_cast<const char *>(buffer), qsizetype(size));
    jpeg_destroy_compress(&info);
    std::free(buffer);
    return data;
}

// A JPEG made by ImageMagick, an encoder independent of ours.
QByteArray magickJpeg(const QStringList &arguments)
{
    QProcess convert;
    convert.start(u"convert"_s, arguments + QStringList{u"jpg:-"_s});
    if (!convert.waitForFinished(30000) || convert.exitCode() != 0)
        qWarning() << "convert failed:" << convert.readAllStandardError();
    return convert.readAllStandardOutput();
}

void writePicture(const QString &path, QSize size, QColor colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    QVERIFY(image.save(path, "JPG", 95));
}

bool near(QColor actual, QColor expected, int tolerance = 12)
{
    return std::abs(actual.red() - expected.red()) <= tolerance &&
           std::abs(actual.green() - expected.green()) <= tolerance &&
           std::abs(actual.blue() - expected.blue()) <= tolerance;
}

} // namespace

class TestPictures : public MainWindowFixture
{
    Q_OBJECT

private:
    QString pictureOf(const TDM &dm) const
    {
        return u"Billeder/%1.jpg"_s.arg(dm.FrimTableNum->AsString());
    }
    static QSize shown(TMainForm &window) { return window.ui().Image15->pixmap().size(); }
    static const QSize placeholder() { return {321, 186}; }

private Q_SLOTS:
    void decodesEveryKindOfJpeg_data()
    {
        QTest::addColumn<QByteArray>("data");
        QTest::addColumn<QColor>("colour");
        QTest::addColumn<bool>("grey");
        const QColor red(0xc0, 0x30, 0x20);
        const QStringList redPicture{u"-size"_s, u"40x30"_s, u"xc:#c03020"_s, u"-quality"_s,
                                     u"95"_s};
        QTest::newRow("baseline") << magickJpeg(redPicture) << red << false;
        QTest::newRow("progressive")
            << magickJpeg(redPicture + QStringList{u"-interlace"_s, u"JPEG"_s}) << red << false;
        QTest::newRow("greyscale")
            << magickJpeg(redPicture + QStringList{u"-colorspace"_s, u"Gray"_s})
            << QColor(0x4b, 0x4b, 0x4b) << true;
        QTest::newRow("CMYK by ImageMagick")
            << magickJpeg(redPicture + QStringList{u"-colorspace"_s, u"CMYK"_s}) << red << false;
        const uchar pureRed[4] = {0, 255, 255, 0};
        QTest::newRow("Adobe CMYK")
            << adobeCmykJpeg(16, 8, pureRed, JCS_CMYK) << QColor(255, 0, 0) << false;
        const uchar darkBlue[4] = {255, 255, 0, 128};
        QTest::newRow("Adobe YCCK")
            << adobeCmykJpeg(16, 8, darkBlue, JCS_YCCK) << QColor(0, 0, 127) << false;
    }

    void decodesEveryKindOfJpeg()
    {
        QFETCH(QByteArray, data);
        QFETCH(QColor, colour);
        QFETCH(bool, grey);
        QVERIFY(!data.isEmpty());
        const QImage image = JpegImage::decode(data);
        QVERIFY(!image.isNull());
        QCOMPARE(image.format(), grey ? QImage::Format_Grayscale8 : QImage::Format_RGB888);
        const QColor centre = image.pixelColor(image.width() / 2, image.height() / 2);
        QVERIFY2(near(centre, colour), qPrintable(centre.name()));
    }

    void badDataIsRefusedWithTheDecodersMessage()
    {
        try {
            JpegImage::decode("PK\x03\x04 not a picture");
            QFAIL("no error");
        } catch (const EJpegError &error) {
            QVERIFY2(error.message().contains(u"Not a JPEG file"_s), qPrintable(error.message()));
        }
        QVERIFY_THROWS_EXCEPTION(EJpegError, JpegImage::decode(QByteArray()));
    }

    void aPictureTooLargeToHoldIsRefusedBeforeDecoding()
    {
        // A real 16 × 8 file whose header claims 30000 × 30000 pixels (2.7 GB decoded).
        QByteArray data = adobeCmykJpeg(16, 8, {0, 0, 0, 0}, JCS_YCCK);
        const qsizetype frame = data.indexOf("\xff\xc0");
        QVERIFY(frame > 0);
        for (const qsizetype at : {frame + 5, frame + 7}) {
            data[at] = char(30000 >> 8);
            data[at + 1] = char(30000 & 0xff);
        }
        try {
            JpegImage::decode(data);
            QFAIL("no error");
        } catch (const EJpegError &error) {
            QVERIFY2(error.message().contains(u"too large"_s), qPrintable(error.message()));
        }
    }

    void inputsTheFuzzerFoundDecodeOrFail()
    {
        QDirIterator files(QStringLiteral(ALBUMINO_FUZZ_REGRESSIONS_DIR), QDir::Files);
        while (files.hasNext()) {
            QFile file(files.next());
            QVERIFY(file.open(QIODevice::ReadOnly));
            try {
                JpegImage::decode(file.readAll());
            } catch (const EJpegError &) {
            }
        }
    }

    void aStampWithoutPictureShowsThePlaceholderUnderItsOwnName()
    {
        makeCollection(768, 1024, -1);
        Program program;
        choosePage(program.window, program.window.ui().TabSheet2);
        QCOMPARE(shown(program.window), placeholder());
        QCOMPARE(program.window.ui().Label24->text(),
                 program.dm.FrimTableNum->AsString() + u".jpg"_s);
        QVERIFY(m_messages->requests.isEmpty());
    }

    void noStampAtAllShowsThePlaceholder()
    {
        makeCollection(768, 1024, -1);
        Program program;
        program.dm.LandTable->Append();
        program.dm.LandTable->FieldByName(u"Land"_s)->setAsString(u"Norge"_s);
        program.dm.LandTable->Post();
        QCOMPARE(program.dm.FrimTable->RecordCount(), 0);
        program.window.Billede();
        QCOMPARE(shown(program.window), placeholder());
        QCOMPARE(program.window.ui().Label24->text(), u".jpg"_s);
    }

    void sletShowsThePlaceholderUntilTheNextMove()
    {
        makeCollection(768, 1024, -1);
        Program program;
        TMainForm &window = program.window;
        writePicture(pictureOf(program.dm), {64, 48}, Qt::red);
        choosePage(window, window.ui().TabSheet2);
        QCOMPARE(shown(window), QSize(64, 48));
        const QString own = window.ui().Label24->text();
        window.ui().SpeedButton5->click();
        QCOMPARE(shown(window), placeholder());
        QCOMPARE(window.ui().Label24->text(), u"Ingen.jpg"_s);
        QVERIFY(QFile::exists(pictureOf(program.dm)));
        window.ui().DBNavigator1->BtnClick(TNavigateBtn::Next);
        QCOMPARE(shown(window), placeholder());
        window.ui().DBNavigator1->BtnClick(TNavigateBtn::Prior);
        QCOMPARE(shown(window), QSize(64, 48));
        QCOMPARE(window.ui().Label24->text(), own);
        // Inserting refreshes nothing: the previous picture stays until a move.
        window.ui().DBNavigator1->BtnClick(TNavigateBtn::Insert);
        QCOMPARE(shown(window), QSize(64, 48));
        QCOMPARE(window.ui().Label24->text(), own);
    }

    void hentSavesANewStampAndStoresThePictureUnderItsNumber()
    {
        makeCollection(768, 1024, -1);
        Program program;
        TMainForm &window = program.window;
        choosePage(window, window.ui().TabSheet2);
        window.ui().DBNavigator1->BtnClick(TNavigateBtn::Insert);
        QTest::keyClicks(window.ui().DBEdit2, u"Facit"_s);
        writePicture(u"chosen.jpg"_s, {80, 60}, Qt::blue);
        m_messages->answers = {QDir::current().filePath(u"chosen.jpg"_s)};
        window.ui().SpeedButton1->click();
        QCOMPARE(program.dm.FrimTable->State(), TDataSetState::Browse);
        QCOMPARE(program.dm.FrimTableKatalog->AsString(), u"Facit"_s);
        const QString target = pictureOf(program.dm);
        QCOMPARE(target, u"Billeder/6.jpg"_s);
        QFile copied(target), chosen(u"chosen.jpg"_s);
        QVERIFY(copied.open(QIODevice::ReadOnly) && chosen.open(QIODevice::ReadOnly));
        QCOMPARE(copied.readAll(), chosen.readAll());
        QCOMPARE(window.ui().Label24->text(), u"6.jpg"_s);
        QCOMPARE(shown(window), QSize(80, 60));
        QCOMPARE(m_messages->requests.size(), 1);
        QCOMPARE(m_messages->requests[0].kind, Messages::Request::Kind::OpenFile);
        QCOMPARE(m_messages->requests[0].caption, u"Hent billede"_s);
        QCOMPARE(m_messages->requests[0].filter, u"Billeder (*.jpg)|*.jpg"_s);
    }

    void hentReplacesAPictureWithoutAsking()
    {
        makeCollection(768, 1024, -1);
        Program program;
        TMainForm &window = program.window;
        writePicture(pictureOf(program.dm), {64, 48}, Qt::red);
        choosePage(window, window.ui().TabSheet2);
        // Any name and extension: the copy takes the stamp's name.
        writePicture(u"scan.jpeg"_s, {800, 600}, Qt::green);
        m_messages->answers = {QDir::current().filePath(u"scan.jpeg"_s)};
        window.ui().SpeedButton1->click();
        QCOMPARE(m_messages->requests.size(), 1);
        QCOMPARE(JpegImage::load(pictureOf(program.dm)).size(), QSize(800, 600));
        // Larger than the box: full size, with scroll bars.
        QCOMPARE(shown(window), QSize(800, 600));
        QCOMPARE(window.ui().Image15->size(), QSize(800, 600));
        QVERIFY(window.ui().ScrollBox1->horizontalScrollBar()->maximum() > 0);
        QVERIFY(window.ui().ScrollBox1->verticalScrollBar()->maximum() > 0);
    }

    void hentWithAFileThatIsNoJpegReportsTheDecodingError()
    {
        m_messages->expectErrors();
        makeCollection(768, 1024, -1);
        Program program;
        TMainForm &window = program.window;
        choosePage(window, window.ui().TabSheet2);
        QFile text(u"notes.txt"_s);
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("Not a picture at all\n");
        text.close();
        const QString own = program.dm.FrimTableNum->AsString() + u".jpg"_s;
        m_messages->answers = {QDir::current().filePath(u"notes.txt"_s)};
        window.ui().SpeedButton1->click();
        QVERIFY(QFile::exists(pictureOf(program.dm)));
        QCOMPARE(m_messages->requests.size(), 2);
        QCOMPARE(m_messages->requests[1].kind, Messages::Request::Kind::Error);
        QVERIFY2(m_messages->requests[1].text.contains(own) &&
                     m_messages->requests[1].text.contains(u"Not a JPEG file"_s),
                 qPrintable(m_messages->requests[1].text));
        QCOMPARE(window.ui().Label24->text(), own);
        // From now on the stamp shows the placeholder, without an error.
        window.ui().DBNavigator1->BtnClick(TNavigateBtn::Next);
        window.ui().DBNavigator1->BtnClick(TNavigateBtn::Prior);
        QCOMPARE(shown(window), placeholder());
        QCOMPARE(m_messages->requests.size(), 2);
    }

    void aFailedCopyKeepsTheEarlierPicture_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<bool>("folderMissing");
        QTest::addColumn<QString>("reason");
        QTest::newRow("unreadable source") << u"missing.jpg"_s << false << u"No such file"_s;
        QTest::newRow("no pictures folder") << u"chosen.jpg"_s << true << u"No such file"_s;
    }

    void aFailedCopyKeepsTheEarlierPicture()
    {
        m_messages->expectErrors();
        QFETCH(QString, source);
        QFETCH(bool, folderMissing);
        QFETCH(QString, reason);
        makeCollection(768, 1024, -1);
        Program program;
        TMainForm &window = program.window;
        writePicture(pictureOf(program.dm), {64, 48}, Qt::red);
        choosePage(window, window.ui().TabSheet2);
        writePicture(u"chosen.jpg"_s, {80, 60}, Qt::blue);
        if (folderMissing)
            window.setPicturesFolder(QDir::current().filePath(u"Borte"_s));
        m_messages->answers = {QDir::current().filePath(source)};
        window.ui().SpeedButton1->click();
        QCOMPARE(m_messages->requests.size(), 2);
        const QString message = m_messages->requests[1].text;
        QVERIFY2(message.contains(source) && message.contains(reason), qPrintable(message));
        QCOMPARE(JpegImage::load(pictureOf(program.dm)).size(), QSize(64, 48));
        QCOMPARE(window.ui().Label24->text(), program.dm.FrimTableNum->AsString() + u".jpg"_s);
        QCOMPARE(shown(window), QSize(64, 48));
        QCOMPARE(QDir(u"Billeder"_s).entryList(QDir::Files).size(), 2); // no temporary left
    }
};

QTEST_MAIN(TestPictures)

#include "tst_pictures.moc"
