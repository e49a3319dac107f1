#include "formresizer.h"
#include "messagerecorder.h"

#include <QDialog>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QScrollArea>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <tuple>

using namespace Qt::Literals::StringLiterals;

namespace {

// A label that fits its text while AutoSize is on, as the data-aware text does.
class AutoSizeLabel : public QLabel
{
    Q_OBJECT
    Q_PROPERTY(bool AutoSize READ autoSize WRITE setAutoSize)
public:
    using QLabel::QLabel;
    bool autoSize() const { return m_autoSize; }
    void setAutoSize(bool autoSize)
    {
        m_autoSize = autoSize;
        if (autoSize)
            resize(sizeHint());
    }

private:
    bool m_autoSize = false;
};

// A control with named parts that it places itself, as the navigator has.
class Composite : public QWidget
{
    Q_OBJECT
public:
    explicit Composite(QWidget *parent) : QWidget(parent)
    {
        auto *part = new QToolButton(this);
        part->setObjectName(u"nbFirst"_s);
        part->setGeometry(0, 0, 27, 25);
    }
};

template <typename Widget>
Widget *place(QWidget *parent, const QString &name, const QRect &geometry)
{
    auto *widget = new Widget(parent);
    widget->setObjectName(name);
    widget->setGeometry(geometry);
    return widget;
}

QFont pointFont(qreal size)
{
    QFont font;
    font.setPointSizeF(size);
    return font;
}

// A small main window of 1024 x 768, built like the program's: absolute places on the
// central widget, a page control filling a panel, nested group box and scroll box. Kept
// hidden unless a test says otherwise: a hidden window has no frame in its outer size.
class TestForm : public QMainWindow
{
public:
    TestForm()
    {
        setObjectName(u"TestForm"_s);
        central = new QWidget(this);
        central->setObjectName(u"centralwidget"_s);
        setCentralWidget(central);
        Edit1 = place<QLineEdit>(central, u"Edit1"_s, {8, 16, 100, 21});
        Edit1->setFont(pointFont(10));
        Edit2 = place<QLineEdit>(central, u"Edit2"_s, {8, 48, 100, 21});
        Edit2->setFont(pointFont(8));
        Edit3 = place<QLineEdit>(central, u"Edit3"_s, {8, 80, 100, 21});
        Edit3->setFont(pointFont(40));
        Edit6 = place<QLineEdit>(central, u"Edit6"_s, {120, 80, 100, 21});
        QFont pixels;
        pixels.setPixelSize(16);
        Edit6->setFont(pixels);

        Label1 = place<QLabel>(central, u"Label1"_s, {8, 120, 60, 13});
        Label1->setText(u"Katalognavn"_s);
        Label1->setFont(pointFont(8));
        DBText1 = place<AutoSizeLabel>(central, u"DBText1"_s, {8, 140, 30, 13});
        DBText1->setFont(pointFont(8));
        DBText1->setText(u"Danmark"_s);
        DBText1->setAutoSize(true);
        DBText2 = place<AutoSizeLabel>(central, u"DBText2"_s, {120, 140, 30, 13});
        DBText2->setText(u"Sverige"_s);
        Image1 = place<QLabel>(central, u"Image1"_s, {200, 8, 90, 104});
        QPixmap picture(90, 104);
        picture.fill(Qt::darkRed);
        Image1->setPixmap(picture);

        Panel1 = place<QFrame>(central, u"Panel1"_s, {300, 100, 400, 300});
        auto *panelLayout = new QVBoxLayout(Panel1);
        panelLayout->setContentsMargins(0, 0, 0, 0);
        PageControl1 = new QTabWidget;
        PageControl1->setObjectName(u"PageControl1"_s);
        PageControl1->setFont(pointFont(10));
        panelLayout->addWidget(PageControl1);
        TabSheet1 = new QWidget;
        TabSheet1->setObjectName(u"TabSheet1"_s);
        PageControl1->addTab(TabSheet1, u"Frimærker"_s);
        GroupBox1 = place<QGroupBox>(TabSheet1, u"GroupBox1"_s, {10, 10, 200, 100});
        Edit4 = place<QLineEdit>(GroupBox1, u"Edit4"_s, {8, 16, 100, 21});
        TabSheet2 = new QWidget;
        TabSheet2->setObjectName(u"TabSheet2"_s);
        PageControl1->addTab(TabSheet2, u"Registrering"_s);
        ScrollBox1 = place<QScrollArea>(TabSheet2, u"ScrollBox1"_s, {4, 4, 160, 120});
        ScrollBox1Contents = new QWidget;
        ScrollBox1Contents->setObjectName(u"ScrollBox1Contents"_s);
        ScrollBox1Contents->resize(150, 110);
        ScrollBox1Contents->setFont(pointFont(9));
        ScrollBox1->setWidget(ScrollBox1Contents);
        Edit5 = place<QLineEdit>(ScrollBox1Contents, u"Edit5"_s, {8, 16, 100, 21});

        place<Composite>(central, u"DBNavigator1"_s, {8, 200, 243, 25});
        place<QMenu>(central, u"PopupMenu1"_s, {0, 0, 100, 100});
        place<QDialog>(this, u"AboutWnd"_s, {0, 0, 300, 200});
        auto *menu = new QMenuBar;
        menu->setObjectName(u"MainMenu1"_s);
        menu->addMenu(u"&Funktioner"_s)->setObjectName(u"Funktioner1"_s);
        setMenuBar(menu);
        auto *status = new QStatusBar;
        status->setObjectName(u"StatusBar"_s);
        setStatusBar(status);
        resize(1024, 768);
    }

    QWidget *central;
    QLineEdit *Edit1, *Edit2, *Edit3, *Edit4, *Edit5, *Edit6;
    QLabel *Label1, *Image1;
    AutoSizeLabel *DBText1, *DBText2;
    QFrame *Panel1;
    QTabWidget *PageControl1;
    QWidget *TabSheet1, *TabSheet2, *ScrollBox1Contents;
    QGroupBox *GroupBox1;
    QScrollArea *ScrollBox1;
};

// The main window's settings.
TFormResizer *initializedResizer(TestForm &form)
{
    auto *resizer = new TFormResizer(&form);
    resizer->ResizeFonts = true;
    resizer->InitializeResizer();
    return resizer;
}

void resizeTo(TestForm &form, TFormResizer &resizer, const QSize &size)
{
    form.resize(size);
    resizer.ResizeAll();
}

const TSingleResizer *recordOf(const TFormResizer &resizer, const QWidget *control)
{
    for (const TSingleResizer &record : resizer.Resizers())
        if (record.Control == control)
            return &record;
    return nullptr;
}

} // namespace

class TestFormResizer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { qInstallMessageHandler(quietOffscreen); }

    void snapshotRecordsTheWindowsControls()
    {
        TestForm form;
        auto *resizer = new TFormResizer(&form);
        QCOMPARE(resizer->parent(), &form);
        QVERIFY(!resizer->ResizeFonts);
        QCOMPARE(resizer->MinFontSize, 8);
        QCOMPARE(resizer->MaxFontSize, 48);
        QVERIFY(!resizer->EnforceMinSize);
        QVERIFY(!resizer->OnPostResize);
        QVERIFY(!resizer->Initialized());
        QVERIFY(resizer->Resizers().empty());

        resizer->ResizeFonts = true;
        resizer->MinFontSize = 6;
        resizer->MaxFontSize = 30;
        resizer->InitializeResizer();
        QVERIFY(resizer->Initialized());
        QCOMPARE(resizer->OrigHeight(), 768);
        QCOMPARE(resizer->OrigWidth(), 1024);

        // Nested in panels, pages, group boxes and scroll boxes, hidden or not; no parts
        // of controls, no Qt internals, no windows of their own.
        QStringList names;
        for (const TSingleResizer &record : resizer->Resizers())
            names.append(record.Control->objectName());
        names.sort();
        QStringList expected{u"centralwidget"_s,
                             u"Edit1"_s,
                             u"Edit2"_s,
                             u"Edit3"_s,
                             u"Edit6"_s,
                             u"Label1"_s,
                             u"DBText1"_s,
                             u"DBText2"_s,
                             u"Image1"_s,
                             u"Panel1"_s,
                             u"PageControl1"_s,
                             u"TabSheet1"_s,
                             u"GroupBox1"_s,
                             u"Edit4"_s,
                             u"TabSheet2"_s,
                             u"ScrollBox1"_s,
                             u"ScrollBox1Contents"_s,
                             u"Edit5"_s,
                             u"DBNavigator1"_s,
                             u"MainMenu1"_s,
                             u"StatusBar"_s};
        expected.sort();
        QCOMPARE(names, expected);
        // A container comes before what it holds.
        const auto &records = resizer->Resizers();
        const auto indexOf = [&](const QWidget *control) {
            return std::find_if(records.begin(), records.end(),
                                [&](const TSingleResizer &r) { return r.Control == control; }) -
                   records.begin();
        };
        QVERIFY(indexOf(form.TabSheet1) < indexOf(form.GroupBox1));
        QVERIFY(indexOf(form.GroupBox1) < indexOf(form.Edit4));

        const TSingleResizer *edit = recordOf(*resizer, form.Edit1);
        QVERIFY(edit);
        QCOMPARE(edit->ParentControl, &form);
        QCOMPARE(std::tuple(edit->OrigLeft, edit->OrigTop, edit->OrigWidth, edit->OrigHeight),
                 std::tuple(8, 16, 100, 21));
        QCOMPARE(std::tuple(edit->OrigParentWidth, edit->OrigParentHeight), std::tuple(1024, 768));
        QVERIFY(edit->HasFont);
        QCOMPARE(edit->OrigFontSize, 10.0);
        QCOMPARE(std::tuple(edit->ResizeFonts, edit->MinFontSize, edit->MaxFontSize),
                 std::tuple(true, 6, 30));
        QVERIFY(edit->ResizeLeft && edit->ResizeTop && edit->ResizeWidth && edit->ResizeHeight);
        QCOMPARE(recordOf(*resizer, form.Edit6)->OrigFontSize, 16.0);
        // Relative to its own parent.
        QCOMPARE(recordOf(*resizer, form.Edit4)->OrigTop, 16);
        // A label's width is its text's; a picture label is an image.
        QVERIFY(!recordOf(*resizer, form.Label1)->ResizeWidth);
        QVERIFY(!recordOf(*resizer, form.DBText1)->ResizeWidth);
        QVERIFY(recordOf(*resizer, form.Image1)->ResizeWidth);
    }

    void resizeScalesFromTheSnapshot_data()
    {
        QTest::addColumn<QSize>("before");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("resizeFonts");
        QTest::addColumn<int>("minFontSize");
        QTest::addColumn<int>("maxFontSize");
        QTest::addColumn<bool>("enforceMinSize");
        QTest::addColumn<QSize>("windowSize");
        QTest::addColumn<QRect>("edit");
        // The 8, 10 and 40 point fonts, then the 16 pixel one.
        QTest::addColumn<QList<qreal>>("points");
        QTest::addColumn<int>("pixels");

        const QRect design(8, 16, 100, 21);
        const QList<qreal> designPoints{8, 10, 40};
        // 26.25 gives 26, 12.5 the even 12, 50 is cut to 48.
        QTest::newRow("a quarter larger")
            << QSize() << QSize(1280, 960) << true << 8 << 48 << false << QSize(1280, 960)
            << QRect(10, 20, 125, 26) << QList<qreal>{10, 12, 48} << 20;
        // 10.5 gives the even 10; 4 and 5 points are raised to the minimum.
        QTest::newRow("half height")
            << QSize() << QSize(1024, 384) << true << 8 << 48 << false << QSize(1024, 384)
            << QRect(8, 8, 100, 10) << QList<qreal>{8, 8, 20} << 8;
        // 31.5 gives the even 32; 60 is cut to 48.
        QTest::newRow("half as large again")
            << QSize() << QSize(1536, 1152) << true << 8 << 48 << false << QSize(1536, 1152)
            << QRect(12, 24, 150, 32) << QList<qreal>{12, 15, 48} << 24;
        QTest::newRow("minimum above maximum")
            << QSize() << QSize(1280, 960) << true << 20 << 10 << false << QSize(1280, 960)
            << QRect(10, 20, 125, 26) << QList<qreal>{20, 20, 20} << 20;
        QTest::newRow("only wider")
            << QSize() << QSize(2048, 768) << true << 8 << 48 << false << QSize(2048, 768)
            << QRect(16, 16, 200, 21) << designPoints << 16;
        QTest::newRow("fonts not resized")
            << QSize() << QSize(1280, 960) << false << 8 << 48 << false << QSize(1280, 960)
            << QRect(10, 20, 125, 26) << designPoints << 16;
        QTest::newRow("back from smaller")
            << QSize(512, 384) << QSize(1024, 768) << true << 8 << 48 << false << QSize(1024, 768)
            << design << designPoints << 16;
        QTest::newRow("back from clamped larger")
            << QSize(1536, 1152) << QSize(1024, 768) << true << 8 << 48 << false << QSize(1024, 768)
            << design << designPoints << 16;
        QTest::newRow("back from another scaling")
            << QSize(1280, 960) << QSize(1536, 1152) << true << 8 << 48 << false
            << QSize(1536, 1152) << QRect(12, 24, 150, 32) << QList<qreal>{12, 15, 48} << 24;
        QTest::newRow("smaller than the snapshot, enforced")
            << QSize() << QSize(800, 600) << true << 8 << 48 << true << QSize(1024, 768) << design
            << designPoints << 16;
        QTest::newRow("lower only, enforced")
            << QSize() << QSize(1280, 600) << true << 8 << 48 << true << QSize(1280, 768)
            << QRect(10, 16, 125, 21) << designPoints << 16;
    }

    void resizeScalesFromTheSnapshot()
    {
        QFETCH(QSize, before);
        QFETCH(QSize, size);
        QFETCH(bool, resizeFonts);
        QFETCH(int, minFontSize);
        QFETCH(int, maxFontSize);
        QFETCH(bool, enforceMinSize);
        QFETCH(QSize, windowSize);
        QFETCH(QRect, edit);
        QFETCH(QList<qreal>, points);
        QFETCH(int, pixels);

        TestForm form;
        auto *resizer = new TFormResizer(&form);
        resizer->ResizeFonts = resizeFonts;
        resizer->MinFontSize = minFontSize;
        resizer->MaxFontSize = maxFontSize;
        resizer->EnforceMinSize = enforceMinSize;
        resizer->InitializeResizer();
        if (before.isValid())
            resizeTo(form, *resizer, before);
        resizeTo(form, *resizer, size);

        QCOMPARE(form.frameGeometry().size(), windowSize);
        QCOMPARE(form.Edit1->geometry(), edit);
        const QList<qreal> actual{form.Edit2->font().pointSizeF(), form.Edit1->font().pointSizeF(),
                                  form.Edit3->font().pointSizeF()};
        QCOMPARE(actual, points);
        QCOMPARE(form.Edit6->font().pixelSize(), pixels);
    }

    void labelsKeepTheirWidthAndFitTheirText()
    {
        TestForm form;
        TFormResizer *resizer = initializedResizer(form);
        const QRect autoDesign = form.DBText1->geometry();
        resizeTo(form, *resizer, {1280, 960});

        // 13 x 1.25 = 16.25; the width stays.
        QCOMPARE(form.Label1->geometry(), QRect(10, 150, 60, 16));
        QCOMPARE(form.Label1->font().pointSizeF(), 10.0);
        QCOMPARE(form.Image1->geometry(), QRect(250, 10, 112, 130));
        // At the scaled place, the size of its text in the scaled font.
        QCOMPARE(form.DBText1->font().pointSizeF(), 10.0);
        QCOMPARE(form.DBText1->pos(), QPoint(10, 175));
        QCOMPARE(form.DBText1->size(), form.DBText1->sizeHint());
        QVERIFY(form.DBText1->width() > autoDesign.width());
        QVERIFY(form.DBText1->autoSize());
        QVERIFY(!form.DBText2->autoSize());
        QCOMPARE(form.DBText2->pos(), QPoint(150, 175));

        // At the snapshot size no fitting: the place and height come back, the width stays.
        const int scaledWidth = form.DBText1->width();
        resizeTo(form, *resizer, {1024, 768});
        QCOMPARE(form.Label1->geometry(), QRect(8, 120, 60, 13));
        QCOMPARE(form.DBText1->geometry(),
                 QRect(autoDesign.topLeft(), QSize(scaledWidth, autoDesign.height())));
        QCOMPARE(form.DBText1->font().pointSizeF(), 8.0);
    }

    void controlsFillingTheirParentAreLeftAlone()
    {
        TestForm form;
        const QList<QWidget *> filling{form.central,    form.PageControl1,       form.TabSheet1,
                                       form.TabSheet2,  form.ScrollBox1Contents, form.menuBar(),
                                       form.statusBar()};
        QList<QRect> geometries;
        QList<QFont> fonts;
        for (const QWidget *widget : filling) {
            geometries.append(widget->geometry());
            fonts.append(widget->font());
        }
        TFormResizer *resizer = initializedResizer(form);
        resizeTo(form, *resizer, {1280, 960});

        for (qsizetype i = 0; i < filling.size(); ++i) {
            QCOMPARE(filling[i]->geometry(), geometries[i]);
            QCOMPARE(filling[i]->font(), fonts[i]);
        }
        // What they hold is scaled as usual: 12.5 gives 12.
        QCOMPARE(form.Panel1->geometry(), QRect(375, 125, 500, 375));
        QCOMPARE(form.GroupBox1->geometry(), QRect(12, 12, 250, 125));
        QCOMPARE(form.Edit4->geometry(), QRect(10, 20, 125, 26));
        QCOMPARE(form.ScrollBox1->geometry(), QRect(5, 5, 200, 150));
        QCOMPARE(form.Edit5->geometry(), QRect(10, 20, 125, 26));
        // The navigator places its own buttons.
        const auto *navigator = form.findChild<QWidget *>(u"DBNavigator1"_s);
        QCOMPARE(navigator->geometry(), QRect(10, 250, 304, 31));
        QCOMPARE(navigator->findChild<QToolButton *>()->geometry(), QRect(0, 0, 27, 25));
    }

    void destroyedControlIsSkippedButReported()
    {
        TestForm form;
        TFormResizer *resizer = initializedResizer(form);
        std::vector<std::tuple<QObject *, QWidget *, double, double>> calls;
        resizer->OnPostResize = [&](QObject *sender, QWidget *comp, double heightRatio,
                                    double widthRatio) {
            calls.emplace_back(sender, comp, heightRatio, widthRatio);
        };
        const size_t count = resizer->Resizers().size();
        delete form.Edit2;

        resizeTo(form, *resizer, {1280, 960});
        QCOMPARE(resizer->Resizers().size(), count);
        QCOMPARE(calls.size(), count);
        for (size_t i = 0; i < count; ++i) {
            const auto &[sender, comp, heightRatio, widthRatio] = calls[i];
            QCOMPARE(sender, resizer);
            QCOMPARE(comp, resizer->Resizers()[i].Control.data());
            QCOMPARE(heightRatio, 1.25);
            QCOMPARE(widthRatio, 1.25);
        }
        QCOMPARE(std::count_if(calls.begin(), calls.end(),
                               [](const auto &call) { return std::get<1>(call) == nullptr; }),
                 std::ptrdiff_t(1));
        QCOMPARE(form.Edit1->geometry(), QRect(10, 20, 125, 26));
    }

    void snapshotIsTakenOnce()
    {
        TestForm form;
        TFormResizer *resizer = initializedResizer(form);
        const size_t count = resizer->Resizers().size();
        resizeTo(form, *resizer, {1280, 960});
        auto *later = place<QLineEdit>(form.central, u"Edit9"_s, {8, 16, 100, 21});
        resizer->MinFontSize = 30;
        resizer->InitializeResizer();
        QCOMPARE(resizer->Resizers().size(), count);
        QCOMPARE(resizer->OrigHeight(), 768);
        QCOMPARE(resizer->OrigWidth(), 1024);

        // The records keep the minimum they were made with; a later control is not scaled.
        resizeTo(form, *resizer, {1024, 384});
        QCOMPARE(form.Edit2->font().pointSizeF(), 8.0);
        QCOMPARE(later->geometry(), QRect(8, 16, 100, 21));
        resizeTo(form, *resizer, {1024, 768});
        QCOMPARE(form.Edit1->geometry(), QRect(8, 16, 100, 21));
    }

    // The main window takes its snapshot before it is first shown, when it has no frame yet.
    void frameShownAfterTheSnapshotBelongsToIt()
    {
        TestForm form;
        TFormResizer *resizer = initializedResizer(form);
        const QRect panel = form.Panel1->geometry();
        const QRect label = form.DBText1->geometry();
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        const QSize frame = form.frameGeometry().size() - form.size();
        if (frame.isNull())
            QSKIP("The platform draws no window frame");

        resizer->ResizeAll();
        QCOMPARE(resizer->OrigHeight(), 768 + frame.height());
        QCOMPARE(resizer->OrigWidth(), 1024 + frame.width());
        QCOMPARE(form.Panel1->geometry(), panel);
        QCOMPARE(form.DBText1->geometry(), label);
    }

    void resizeBeforeTheSnapshotIsIgnored()
    {
        TestForm form;
        auto *resizer = new TFormResizer(&form);
        resizer->ResizeFonts = true;
        int calls = 0;
        resizer->OnPostResize = [&](QObject *, QWidget *, double, double) { ++calls; };
        resizeTo(form, *resizer, {1280, 960});
        QCOMPARE(form.Edit1->geometry(), QRect(8, 16, 100, 21));
        QCOMPARE(form.Edit1->font().pointSizeF(), 10.0);
        QCOMPARE(calls, 0);
    }

    void constructionErrors_data()
    {
        QTest::addColumn<int>("construction");
        QTest::addColumn<QString>("message");
        QTest::newRow("resizer without owner") << 0 << u"TFormResizer created without an owner"_s;
        QTest::newRow("resizer owned by no control")
            << 1 << u"TFormResizer owner must be a panel or form"_s;
        QTest::newRow("record without control")
            << 2 << u"TSingleResizer created without a component link"_s;
        QTest::newRow("record without parent")
            << 3 << u"TSingleResizer created without a parent form link"_s;
    }

    void constructionErrors()
    {
        QFETCH(int, construction);
        QFETCH(QString, message);
        QObject plain;
        QWidget window;
        QWidget *control = new QWidget(&window);
        try {
            switch (construction) {
            case 0:
                TFormResizer{nullptr};
                break;
            case 1:
                TFormResizer{&plain};
                break;
            case 2:
                TSingleResizer{nullptr, &window, false, 8, 48};
                break;
            default:
                TSingleResizer{control, nullptr, false, 8, 48};
            }
            QFAIL("constructed");
        } catch (const EResizerException &error) {
            QCOMPARE(QString::fromUtf8(error.what()), message);
        }
        QVERIFY(plain.children().isEmpty());
    }
};

QTEST_MAIN(TestFormResizer)

#include "tst_formresizer.moc"
