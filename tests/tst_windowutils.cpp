#include "formshaper.h"
#include "morvane.h"
#include "pbjustone.h"
#include "windowpresence.h"

#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QContextMenuEvent>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QLocalServer>
#include <QMenu>
#include <QPointer>
#include <QProcess>
#include <QScreen>
#include <QTest>
#include <QtEndian>

#include <memory>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace {

// The offscreen platform tells of what it cannot do for a window (masks, raising, size
// hints); the notices say nothing about the program.
void quietOffscreen(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (message.startsWith(QLatin1String("This plugin does not support")))
        return;
    qt_message_output(type, context, message);
}

QRegion regionOf(const QList<QRect> &rects)
{
    QRegion region;
    for (const QRect &rect : rects)
        region += rect;
    return region;
}

// Loads a "FormShape" value into a shaper, as the stored layout does.
void load(TFormShaper &shaper, QByteArray payload)
{
    QBuffer stream(&payload);
    stream.open(QIODevice::ReadOnly);
    shaper.ReadShape(stream);
}

QByteArray int32s(std::initializer_list<qint32> values)
{
    QByteArray bytes;
    for (qint32 value : values) {
        char le[4];
        qToLittleEndian(value, le);
        bytes.append(le, 4);
    }
    return bytes;
}

// A copy of the program's stand-in, started under a title of its own.
struct Probe
{
    QProcess process;
    explicit Probe(const QString &title, const QStringList &options = {})
    {
        process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process.start(QStringLiteral(ALBUMINO_GUARD_PROBE), QStringList{title} + options);
    }
    ~Probe()
    {
        process.kill();
        process.waitForFinished();
    }
    // The next line it prints; empty when none comes.
    QString line()
    {
        [this] { QTRY_VERIFY_WITH_TIMEOUT(process.canReadLine(), 30000); }();
        return QString::fromUtf8(process.readLine()).trimmed();
    }
};

} // namespace

class TestWindowUtils : public QObject
{
    Q_OBJECT

    QString m_title;

private Q_SLOTS:
    void initTestCase()
    {
        qInstallMessageHandler(quietOffscreen);
        m_title = u"AlbuminoProbe-%1"_s.arg(QCoreApplication::applicationPid());
    }
    void cleanup()
    {
        // A killed probe leaves its socket behind.
        for (const QString &title : {m_title, m_title.toLower()})
            QLocalServer::removeServer(TPBJustOne::ServerName(title));
    }

    // --- the form shaper --------------------------------------------------------------------

    void payloadIsTheRegionFormat()
    {
        const QByteArray payload = TFormShaper::Payload({QRect(QPoint(5, 1), QPoint(9, 2))});
        const QByteArray expected = int32s({48, 32, 1, 1, 16, 5, 1, 10, 3, 5, 1, 10, 3});
        QCOMPARE(payload, expected);
    }

    void shapeWrittenReadAndApplied_data()
    {
        QTest::addColumn<QList<QRect>>("rects");
        QTest::addColumn<QRegion>("region");
        QTest::newRow("one rectangle")
            << QList<QRect>{QRect(10, 10, 20, 20)} << QRegion(10, 10, 20, 20);
        const QList<QRect> bands{QRect(12, 3, 30, 4), QRect(8, 7, 10, 5), QRect(25, 7, 20, 5)};
        QTest::newRow("two bands") << bands << regionOf(bands);
        // As the window system does, an empty rectangle adds nothing.
        QTest::newRow("empty rectangle")
            << QList<QRect>{QRect(10, 10, 20, 20), QRect(40, 5, 0, 10)} << QRegion(10, 10, 20, 20);
    }

    void shapeWrittenReadAndApplied()
    {
        QFETCH(QList<QRect>, rects);
        QFETCH(QRegion, region);
        const QByteArray payload = TFormShaper::Payload(rects);
        QWidget window;
        window.resize(100, 100);
        auto *target = new QWidget(&window);
        target->setGeometry(0, 0, 60, 60);
        TFormShaper shaper(target);
        // Read from the stream's position, not its start.
        QByteArray stored = "layout" + payload;
        QBuffer stream(&stored);
        stream.open(QIODevice::ReadOnly);
        stream.seek(6);
        shaper.SetShape(stream);
        QCOMPARE(shaper.ShapeSize(), payload.size() - 4);
        QCOMPARE(shaper.Shape(), payload);
        QByteArray written;
        QBuffer out(&written);
        out.open(QIODevice::WriteOnly);
        shaper.WriteShape(out);
        QCOMPARE(written, payload);

        QVERIFY(target->mask().isEmpty());
        shaper.SetActive(true);
        QVERIFY(shaper.Active());
        QCOMPARE(target->mask(), region);
        QCOMPARE(shaper.Region(), region);
        // Only the region takes the mouse.
        QCOMPARE(window.childAt(region.begin()->topLeft()), target);
        QCOMPARE(window.childAt(QPoint(59, 59)), nullptr);
    }

    void reader_data()
    {
        QTest::addColumn<QByteArray>("stream");
        QTest::addColumn<QByteArray>("data");
        const QByteArray block = TFormShaper::Payload({QRect(1, 1, 4, 4)}).mid(4);
        QTest::newRow("empty stream") << QByteArray() << QByteArray();
        QTest::newRow("whole value") << int32s({48}) + block << block;
        QTest::newRow("ends early")
            << int32s({48}) + block.left(20) << block.left(20) + QByteArray(28, '\0');
        QTest::newRow("zero length") << int32s({0}) << QByteArray();
        // A damaged length must not make it allocate gigabytes.
        QTest::newRow("a length of 2 GB") << int32s({0x7fffffff, 32}) << QByteArray();
    }

    void reader()
    {
        QFETCH(QByteArray, stream);
        QFETCH(QByteArray, data);
        QWidget window;
        TFormShaper shaper(&window);
        load(shaper, TFormShaper::Payload({QRect(0, 0, 9, 9)}));
        shaper.SetActive(true);
        load(shaper, stream);
        QCOMPARE(shaper.ShapeData(), data);
        QCOMPARE(shaper.ShapeSize(), data.size());
        QCOMPARE(shaper.Shape().isEmpty(), data.isEmpty());
        QVERIFY(shaper.Active());
        if (stream.isEmpty()) {
            // An empty value clears the shape and takes the region off the window.
            QVERIFY(window.mask().isEmpty());
            QVERIFY(shaper.Region().isEmpty());
        } else {
            // Reading does not apply what it read.
            QCOMPARE(window.mask(), QRegion(0, 0, 9, 9));
        }
    }

    void noShapeWritesNothing()
    {
        TFormShaper shaper;
        QCOMPARE(shaper.ShapeSize(), 0);
        QVERIFY(shaper.Shape().isEmpty());
        QByteArray written;
        QBuffer out(&written);
        out.open(QIODevice::WriteOnly);
        shaper.WriteShape(out);
        QCOMPARE(out.pos(), 0);
        // Without a target nothing happens.
        load(shaper, TFormShaper::Payload({QRect(0, 0, 9, 9)}));
        shaper.SetActive(true);
        QVERIFY(!shaper.Active());
    }

    void refusedRegion_data()
    {
        QTest::addColumn<QByteArray>("block");
        const QByteArray rect = int32s({0, 0, 9, 9});
        const QByteArray bounds = int32s({0, 0, 9, 9});
        QTest::newRow("short header") << int32s({32, 1, 0, 0});
        QTest::newRow("header size below 32") << int32s({28, 1, 1, 16}) + bounds + rect;
        QTest::newRow("not rectangles") << int32s({32, 2, 1, 16}) + bounds + rect;
        QTest::newRow("count beyond the data") << int32s({32, 1, 2, 32}) + bounds + rect;
    }

    void refusedRegion()
    {
        QFETCH(QByteArray, block);
        QVERIFY(!TFormShaper::BuildRegion(block));
        QWidget window;
        TFormShaper shaper(&window);
        load(shaper, int32s({qint32(block.size())}) + block);
        shaper.SetActive(true);
        QVERIFY(shaper.Active());
        QVERIFY(window.mask().isEmpty());
    }

    void rectanglesBeyondAnyScreenAreLeftOut()
    {
        // Found by fuzzing: such a rectangle overflowed Qt's width arithmetic.
        const QByteArray block = int32s({32, 1, 2, 32, 0, 0, 9, 9}) +
                                 int32s({-2013265920, 0, 2097151999, 10}) + int32s({0, 0, 9, 9});
        const std::optional<QRegion> region = TFormShaper::BuildRegion(block);
        QVERIFY(region);
        QCOMPARE(*region, QRegion(0, 0, 9, 9));
    }

    void activeTwiceBuildsOnceAndDataSurvives()
    {
        QWidget window;
        TFormShaper shaper(&window);
        load(shaper, TFormShaper::Payload({QRect(2, 2, 8, 8)}));
        shaper.SetActive(true);
        QCOMPARE(window.mask(), QRegion(2, 2, 8, 8));
        // A second True neither builds nor sets the region again.
        window.setMask(QRegion(0, 0, 3, 3));
        shaper.SetActive(true);
        QCOMPARE(window.mask(), QRegion(0, 0, 3, 3));
        shaper.SetActive(false);
        QVERIFY(!shaper.Active());
        QVERIFY(window.mask().isEmpty());
        QCOMPARE(shaper.ShapeSize(), 48);
        shaper.SetActive(true);
        QCOMPARE(window.mask(), QRegion(2, 2, 8, 8));
    }

    void controlToShapeChanges()
    {
        QWidget owner;
        QWidget other;
        TFormShaper shaper(&owner);
        load(shaper, TFormShaper::Payload({QRect(2, 2, 8, 8)}));
        shaper.SetActive(true);
        shaper.SetControlToShape(&other);
        QVERIFY(!shaper.Active());
        QVERIFY(owner.mask().isEmpty());
        QVERIFY(other.mask().isEmpty());
        shaper.SetActive(true);
        QCOMPARE(other.mask(), QRegion(2, 2, 8, 8));
        QVERIFY(owner.mask().isEmpty());
    }

    void removalNotice()
    {
        QWidget owner;
        TFormShaper shaper(&owner);
        load(shaper, TFormShaper::Payload({QRect(2, 2, 8, 8)}));
        auto other = std::make_unique<QWidget>();
        shaper.SetControlToShape(other.get());
        shaper.SetActive(true);
        other.reset();
        QCOMPARE(shaper.ControlToShape(), nullptr);
        QVERIFY(!shaper.Active());
        shaper.SetActive(true);
        QCOMPARE(owner.mask(), QRegion(2, 2, 8, 8));
    }

    // --- the splash window ------------------------------------------------------------------

    void splashWindow()
    {
        TMorvane splash;
        QCOMPARE(splash.objectName(), u"Morvane"_s);
        QCOMPARE(splash.windowTitle(), u"Morvane"_s);
        QVERIFY(splash.windowFlags().testFlag(Qt::FramelessWindowHint));
        QCOMPARE(splash.size(), QSize(580, 80));
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY((splash.geometry().center() - screen.center()).manhattanLength() <= 1);
        auto *image = splash.findChild<QLabel *>(u"Image1"_s);
        QVERIFY(image);
        QCOMPARE(image->geometry(), QRect(0, 0, 578, 85));
        QCOMPARE(image->pixmap().size(), QSize(578, 85));
        QCOMPARE(image->toolTip(), u"Højreklik for at lukke"_s);
        QCOMPARE(splash.PopupMenu1()->actions().size(), 1);
        QCOMPARE(splash.Luk1()->text(), u"Luk"_s);
        // Shaped from its creation, although the stored layout says inactive.
        TFormShaper *shaper = splash.FormShaper1();
        QCOMPARE(shaper->objectName(), u"FormShaper1"_s);
        QVERIFY(shaper->Active());
        QCOMPARE(shaper->ControlToShape(), nullptr);
        QVERIFY(!splash.mask().isEmpty());
        QCOMPARE(splash.mask(), shaper->Region());
        QCOMPARE(shaper->Shape(), TMorvane::StoredShape());
    }

    void splashOutlineIsTheBannersShape()
    {
        QFile file(u":/splash/banner.bmp"_s);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(qFromLittleEndian<quint16>(file.readAll().constData() + 28), quint16(24));
        const QImage banner = TMorvane::Banner();
        QCOMPARE(banner.size(), QSize(578, 85));

        const QByteArray shape = TMorvane::StoredShape();
        const auto at = [&shape](int offset) {
            return qFromLittleEndian<qint32>(shape.constData() + offset);
        };
        const int count = at(12);
        QVERIFY(count > 0);
        QCOMPARE(shape.size(), 4 + 32 + count * 16);
        QCOMPARE(at(0), shape.size() - 4);
        QCOMPARE(at(4), 32);
        QCOMPARE(at(8), 1);
        QCOMPARE(at(16), count * 16);
        QRect bounds;
        QPoint previous(INT_MIN, INT_MIN);
        for (int i = 0; i < count; ++i) {
            const int offset = 36 + i * 16;
            const QPoint topLeft(at(offset), at(offset + 4));
            QVERIFY2(std::pair(topLeft.y(), topLeft.x()) > std::pair(previous.y(), previous.x()),
                     "ordered by top, then left");
            previous = topLeft;
            bounds |= QRect(topLeft, QPoint(at(offset + 8) - 1, at(offset + 12) - 1));
        }
        QCOMPARE(QRect(QPoint(at(20), at(24)), QPoint(at(28) - 1, at(32) - 1)), bounds);
        // Inside the window, the outline is every pixel of the banner but the key colour.
        TMorvane splash;
        const QRegion outline = splash.mask();
        QVERIFY(QRect(0, 0, 580, 80).contains(outline.boundingRect()));
        const QRgb key = qRgb(0xff, 0x00, 0xff);
        QCOMPARE(banner.pixel(0, 0), key);
        for (int y = 0; y < 80; ++y)
            for (int x = 0; x < 580; ++x) {
                const bool drawn = x < banner.width() && banner.pixel(x, y) != key;
                if (outline.contains(QPoint(x, y)) != drawn)
                    QFAIL(qPrintable(u"outline differs at %1, %2"_s.arg(x).arg(y)));
            }
    }

    void splashLifetime_data()
    {
        QTest::addColumn<QString>("end");
        QTest::newRow("main window shown") << u"shown"_s;
        QTest::newRow("activation lost") << u"deactivated"_s;
        QTest::newRow("Luk from its menu") << u"Luk"_s;
    }

    void splashLifetime()
    {
        QFETCH(QString, end);
        QPointer<TMorvane> splash = new TMorvane;
        splash->ShowAndPaint();
        // On the screen before start-up goes on.
        QVERIFY(splash->windowHandle()->isExposed());
        QWidget mainWindow;
        splash->DestroyWhenShown(&mainWindow);
        QCoreApplication::processEvents();
        QVERIFY(splash);
        if (end == u"shown"_s) {
            mainWindow.show();
            // Gone with the showing itself, before the window system tells of the activation.
            QVERIFY(splash->isHidden());
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QVERIFY(!splash);
            return;
        } else if (end == u"deactivated"_s) {
            splash->activateWindow();
            QTRY_VERIFY(splash->isActiveWindow());
            QWidget other;
            other.show();
            other.activateWindow();
            QTRY_VERIFY(!splash);
            return;
        } else {
            auto *image = splash->findChild<QLabel *>(u"Image1"_s);
            const QPoint at = image->rect().center();
            QContextMenuEvent rightClick(QContextMenuEvent::Mouse, at, image->mapToGlobal(at));
            QCoreApplication::sendEvent(image, &rightClick);
            QMenu *menu = splash->PopupMenu1();
            QTRY_VERIFY(menu->isVisible());
            QTest::mouseClick(menu, Qt::LeftButton, {},
                              menu->actionGeometry(splash->Luk1()).center());
            QVERIFY(splash);
            QVERIFY(splash->isHidden());
        }
        // Never inside the handler that ends it.
        QVERIFY(splash);
        QTRY_VERIFY(!splash);
    }

    // --- window presence --------------------------------------------------------------------

    void systemFontReplacesTheDesignedOne()
    {
        QWidget window;
        QFont designed(u"MS Sans Serif"_s);
        designed.setPixelSize(11);
        designed.setBold(true);
        designed.setItalic(true);
        window.setFont(designed);
        auto *follows = new QLabel(&window);
        auto *ownFont = new QLabel(&window);
        ownFont->setFont(QFont(u"Liberation Serif"_s, 10));
        WindowPresence::ApplySystemFont(window);
        const QFont system = WindowPresence::SystemFont();
        QCOMPARE(window.font(), system);
        QCOMPARE(follows->font(), system);
        QCOMPARE(ownFont->font().family(), u"Liberation Serif"_s);
    }

    void mainWindowStandsForTheProgram()
    {
        QWidget mainWindow(nullptr, Qt::Tool | Qt::WindowCloseButtonHint);
        WindowPresence::HideApplicationButton(mainWindow);
        QCOMPARE(mainWindow.windowType(), Qt::Window);
        QVERIFY(mainWindow.windowFlags().testFlag(Qt::WindowCloseButtonHint));
        mainWindow.show();
        mainWindow.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&mainWindow));
        // Activating the program while a modal window is open activates the modal window.
        QDialog modal(&mainWindow);
        modal.setWindowModality(Qt::WindowModal);
        modal.show();
        QTRY_COMPARE(QApplication::activeWindow(), &modal);
        QWidget other;
        other.show();
        other.activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), &other);
        mainWindow.activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), &modal);
    }

    void bringToFront_data()
    {
        QTest::addColumn<bool>("modalOpen");
        QTest::newRow("minimised") << false;
        QTest::newRow("modal dialog open") << true;
    }

    void bringToFront()
    {
        QFETCH(bool, modalOpen);
        QWidget mainWindow;
        mainWindow.show();
        QDialog modal(&mainWindow);
        modal.setWindowModality(Qt::WindowModal);
        if (modalOpen)
            modal.show();
        else
            mainWindow.showMinimized();
        QWidget other;
        other.show();
        other.activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), &other);
        WindowPresence::BringToFront(mainWindow);
        QVERIFY(!mainWindow.isMinimized());
        QTRY_COMPARE(QApplication::activeWindow(), modalOpen ? &modal : &mainWindow);
    }

    // --- the single-instance guard, with real processes ---------------------------------

    void secondStart_data()
    {
        QTest::addColumn<bool>("sameTitle");
        QTest::newRow("same title") << true;
        QTest::newRow("title in other letter case") << false;
    }

    void secondStart()
    {
        QFETCH(bool, sameTitle);
        Probe first(m_title, {u"minimized"_s});
        QCOMPARE(first.line(), u"first"_s);
        Probe second(sameTitle ? m_title : m_title.toLower());
        if (!sameTitle) {
            QCOMPARE(second.line(), u"first"_s);
            return;
        }
        // It ends at once, without a window, and the first comes forward restored.
        QCOMPARE(second.line(), u"second"_s);
        QTRY_COMPARE(second.process.state(), QProcess::NotRunning);
        QCOMPARE(second.process.exitStatus(), QProcess::NormalExit);
        QCOMPARE(second.process.exitCode(), 0);
        QCOMPARE(first.line(), u"front minimized=0"_s);
    }

    void socketOfAKilledCopyDoesNotBlock()
    {
        {
            Probe crashed(m_title);
            QCOMPARE(crashed.line(), u"first"_s);
        }
        QVERIFY(QFile::exists(TPBJustOne::ServerName(m_title)));
        Probe next(m_title);
        QCOMPARE(next.line(), u"first"_s);
        Probe later(m_title);
        QCOMPARE(later.line(), u"second"_s);
        QCOMPARE(next.line(), u"front minimized=0"_s);
    }

    void simultaneousStartsLeaveOneRunning()
    {
        std::vector<std::unique_ptr<Probe>> copies;
        for (int i = 0; i < 4; ++i)
            copies.push_back(std::make_unique<Probe>(m_title));
        QStringList lines;
        for (const auto &copy : copies)
            lines.append(copy->line());
        QCOMPARE(lines.count(u"first"_s), 1);
        QCOMPARE(lines.count(u"second"_s), 3);
    }
};

QTEST_MAIN(TestWindowUtils)
#include "tst_windowutils.moc"
