#include "mainform.h"

#include "numbertext.h"
#include "ui_mainform.h"

#include "aboutbox.h"
#include "backup.h"
#include "dblookupcombobox.h"
#include "dbnavigator.h"
#include "defform.h"
#include "dm.h"
#include "formresizer.h"
#include "handler.h"
#include "jpegimage.h"
#include "languagetexts.h"
#include "messages.h"
#include "picturefile.h"
#include "qformlocalizer.h"
#include "qlanguagesource.h"
#include "qrlistform.h"
#include "statustext.h"
#include "windowpresence.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QScreen>
#include <QSettings>
#include <QToolButton>
#include <QWindow>

using namespace Qt::Literals::StringLiterals;

namespace {

// Adds up Ialt of every record from the current one on, each as a currency value, with the
// bound controls suspended; they are resumed also when an error ends the walk.
double sumOfTotals(TTable &stamps)
{
    stamps.DisableControls();
    double sum = 0;
    try {
        const TField *total = stamps.FieldByName(u"Ialt"_s);
        const int count = stamps.RecordCount();
        for (int i = 0; i < count; ++i) {
            sum += total->AsCurrency();
            stamps.Next();
        }
    } catch (...) {
        stamps.EnableControls();
        throw;
    }
    stamps.EnableControls();
    return sum;
}

QString formatTotal(double sum)
{
    return NumberText::formatGrouped(sum, 2, 8);
}

// The messages break their lines with LF followed by CR.
constexpr char16_t kLineBreak[] = u"\n\r";

} // namespace

// The collage pictures live in this static library's resources, which a program must
// register itself (outside any namespace, as the macro requires).
static void initialiseResources()
{
    Q_INIT_RESOURCE(mainform);
}

TMainForm::TMainForm(QWidget *parent)
    : QMainWindow(parent), m_ui(std::make_unique<Ui::TMainForm>()),
      m_languageSource(new TQLanguageSource(this)),
      m_picturesFolder(QDir(QCoreApplication::applicationDirPath()).filePath(u"Billeder"_s))
{
    initialiseResources();
    // The program's icon, for this window and every window it opens.
    if (QGuiApplication::windowIcon().isNull()) {
        QIcon icon;
        for (int size : {16, 32, 48, 64, 128, 256})
            icon.addFile(u":/icon/albumino-%1.png"_s.arg(size), QSize(size, size));
        QGuiApplication::setWindowIcon(icon);
    }
    // The language source and the localizer are set up as the window is built; their
    // loading ends once the window is complete.
    m_languageSource->setObjectName(u"QLanguageSource1"_s);
    m_languageSource->BeginLoading();
    // The language files are named after their languages: "English=English.lng".
    QStringList languageFiles;
    for (const Language language :
         {Language::English, Language::Norsk, Language::Svensk, Language::Deutsch}) {
        const QString name = languageTexts(languageIndex(language)).name;
        languageFiles.append(name + u'=' + name + u".lng"_s);
    }
    m_languageSource->setLanguages(languageFiles);
    m_languageSource->setOriginalName(languageTexts(languageIndex(Language::Dansk)).name);
    m_localizer = new TQFormLocalizer(this);
    m_localizer->setObjectName(u"QFormLocalizer1"_s);
    m_localizer->BeginLoading();
    m_localizer->setPropNames({u"Caption"_s, u"Hint"_s, u"Hints"_s, u"Columns"_s});
    m_localizer->SetSource(m_languageSource);
    m_ui->setupUi(this);
    // The language files' section for this window.
    setObjectName(u"MainForm"_s);
    m_ui->Image15->setAccessibleName(u"Billede"_s);
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setStatusText(StatusText::plain());

    connect(m_ui->PageControl1, &QTabWidget::currentChanged, this, [this] {
        if (!m_settingPage)
            runHandler([this] { PageControl1Change(); });
    });
    m_ui->DBGrid2->OnDblClick = [this](TDBGrid &) { DBGrid2DblClick(); };
    connectHandler(m_ui->Luk1, &QAction::triggered, this, [this] { Luk1Click(); });
    connectHandler(m_ui->Luk2, &QAction::triggered, this, [this] { Luk2Click(); });
    connectHandler(m_ui->Definitioner1, &QAction::triggered, this,
                   [this] { Definitioner1Click(); });
    connectHandler(m_ui->Help1, &QAction::triggered, this, [this] { Help1Click(m_ui->Help1); });
    connectHandler(m_ui->Information1, &QAction::triggered, this, [this] { Information1Click(); });
    connectHandler(m_ui->Omskrmstrrelser1, &QAction::triggered, this,
                   [this] { Omskrmstrrelser1Click(); });
    connectHandler(m_ui->Dataplacering1, &QAction::triggered, this,
                   [this] { Dataplacering1Click(); });
    connectHandler(m_ui->Sikkerhedskopi1, &QAction::triggered, this,
                   [this] { Sikkerhedskopi1Click(); });
    connectHandler(m_ui->Udskrivning1, &QAction::triggered, this, [this] { Udskrivning1Click(); });
    m_aboutBox = new TAboutBox(this);
    m_aboutBox->setObjectName(u"AboutBox1"_s);
    m_aboutBox->AppName = u"Morvane Albumino"_s;
    m_aboutBox->Picture = QPixmap::fromImage(JpegImage::load(u":/about/about.jpg"_s));
    connectHandler(m_ui->SpeedButton1, &QToolButton::clicked, this,
                   [this] { SpeedButton1Click(); });
    connectHandler(m_ui->SpeedButton5, &QToolButton::clicked, this,
                   [this] { SpeedButton5Click(); });
    m_ui->DBNavigator1->OnClick = [this](TDBNavigator &, TNavigateBtn button) {
        DBNavigator1Click(button);
    };
    const std::pair<TDBLookupComboBox *, void (TMainForm::*)()> selectionLists[] = {
        {m_ui->DBLookupComboBox11, &TMainForm::DBLookupComboBox11Click},
        {m_ui->DBLookupComboBox7, &TMainForm::DBLookupComboBox7Click},
        {m_ui->DBLookupComboBox8, &TMainForm::DBLookupComboBox8Click},
        {m_ui->DBLookupComboBox9, &TMainForm::DBLookupComboBox9Click},
        {m_ui->DBLookupComboBox10, &TMainForm::DBLookupComboBox10Click},
    };
    for (const auto &[list, handler] : selectionLists)
        list->OnClick = [this, handler](TDBLookupComboBox &) { (this->*handler)(); };
    const std::pair<QRadioButton *, void (TMainForm::*)()> radioButtons[] = {
        {m_ui->RadioButton1, &TMainForm::RadioButton1Click},
        {m_ui->RadioButton2, &TMainForm::RadioButton2Click},
        {m_ui->RadioButton3, &TMainForm::RadioButton3Click},
        {m_ui->RadioButton4, &TMainForm::RadioButton4Click},
    };
    // Only a change to checked runs a handler, so a click on a checked button does nothing.
    for (const auto &[button, handler] : radioButtons)
        connect(button, &QRadioButton::toggled, this, [this, handler](bool checked) {
            if (checked)
                runHandler([this, handler] { (this->*handler)(); });
        });
    for (const Language language : kLanguageMenuOrder)
        connectHandler(languageAction(language), &QAction::triggered, this, [this, language] {
            switch (language) {
            case Language::Dansk:
                return DanskClick();
            case Language::English:
                return EnglishClick();
            case Language::Svensk:
                return SvenskClick();
            case Language::Norsk:
                return NorskClick();
            case Language::Deutsch:
                return DeutschClick();
            }
        });
    m_languageSource->Loaded();
    m_localizer->Loaded();
    FormCreate();
}

TMainForm::~TMainForm()
{
    // The localizer goes first, so the source's end does not make it restore the texts of
    // a window being taken apart.
    delete m_localizer;
}

void TMainForm::setDataModule(TDM *dm)
{
    m_dm = dm;
    dm->setRulesWindow(this);
    bindDataControls(this, dm);
}

QString TMainForm::editText(const QString &editName) const
{
    const auto *edit = findChild<const QLineEdit *>(editName);
    return edit ? edit->text() : QString();
}

void TMainForm::focusEdit(const QString &editName)
{
    if (auto *edit = findChild<QLineEdit *>(editName))
        edit->setFocus();
}

void TMainForm::setStampCountText(const QString &text)
{
    showValue(m_ui->Label35, text);
}

void TMainForm::showValue(QLabel *label, const QString &text)
{
    label->setText(text);
    // A screen reader names the value by its caption; the value itself is the description.
    label->setAccessibleDescription(text);
}

QString TMainForm::statusText() const
{
    return m_ui->StatusBar->currentMessage();
}

void TMainForm::setStatusText(const QString &text)
{
    m_ui->StatusBar->showMessage(text);
}

void TMainForm::FormCreate()
{
    // The desktop's own interface font and the window's task-bar entry come first; the
    // resizer's snapshot is taken of the window as it then stands.
    WindowPresence::ApplySystemFont(*this);
    WindowPresence::HideApplicationButton(*this);
    // The labels fit their texts before the snapshot, so that the snapshot size gives back
    // exactly the layout that the window opened with.
    fitLabelsToTheirText();
    m_resizer = new TFormResizer(this);
    m_resizer->setObjectName(u"FormResizer1"_s);
    m_resizer->ResizeFonts = true;
    m_resizer->InitializeResizer();
}

void TMainForm::FormShow()
{
    TDM &dm = *m_dm;
    dm.ConfigTable->Open();
    m_restoredOuterSize = QSize(dm.ConfigTable->FieldByName(u"Bredde"_s)->AsInteger(),
                                dm.ConfigTable->FieldByName(u"Hojde"_s)->AsInteger());
    restoreOuterSize();
    // A language that cannot be set is reported and the start goes on with the designed
    // texts. An index that does not exist leaves Danish active, so the next close stores a
    // valid one; a language whose file cannot be read stays the active index, so the
    // collector's choice is kept and tried again at the next start.
    try {
        m_languageSource->SetActiveLanguage(dm.ConfigTable->FieldByName(u"Sprog"_s)->AsInteger());
    } catch (const EQLocalError &error) {
        Messages::showError(QString::fromUtf8(error.what()));
    }
    fitLabelsToTheirText();
    dm.OpenTables();
    updateAccessibleNames();
    const int language = m_languageSource->ActiveLanguage();
    const LanguageTexts &texts = languageTexts(language);
    if (dm.FrimTable->RecordCount() == 0)
        Messages::showInformation(texts.firstRun);
    m_ui->Sproget->setText(texts.name);
    m_languageMark = languageAction(Language(language));
    m_languageMark->setChecked(true);
    m_ui->Help1->setStatusTip(
        QDir(QCoreApplication::applicationDirPath()).filePath(texts.helpPath));
    setWindowTitle(texts.caption);
}

bool TMainForm::FormClose()
{
    if (!m_dm)
        return true;
    TDM &dm = *m_dm;
    // If a save fails the window stays open with the record in edit.
    saveEveryPendingEdit();
    // A collection that changed since its last backup gets one; a backup that fails is
    // reported and the window closes all the same.
    runHandler([this] { makeAutomaticBackup(); });
    if (!dm.ConfigTable->Active())
        return true;
    dm.ConfigTable->Edit();
    dm.ConfigTable->FieldByName(u"Hojde"_s)->setAsInteger(outerSize().height());
    dm.ConfigTable->FieldByName(u"Bredde"_s)->setAsInteger(outerSize().width());
    dm.ConfigTable->FieldByName(u"Sprog"_s)->setAsInteger(m_languageSource->ActiveLanguage());
    dm.ConfigTable->Post();
    dm.ConfigTable->Close();
    return true;
}

void TMainForm::saveEveryPendingEdit()
{
    // A record still being edited in any table is saved, so nothing typed is lost; one that
    // was inserted and never touched is dropped.
    TDM &dm = *m_dm;
    for (TTable *table : {dm.FrimTable, dm.FrimAllTable, dm.LandTable, dm.KataTable, dm.SerieTable,
                          dm.FarveTable, dm.ArtTable, dm.TypeTable, dm.KvalitetTable})
        if (table->Active())
            table->CheckBrowseMode();
}

QString TMainForm::programFolder() const
{
    return QFileInfo(m_picturesFolder).absolutePath();
}

namespace {
// Where the backup folder chosen last is remembered.
constexpr char16_t kBackupFolderKey[] = u"Sikkerhedskopi/Mappe";
} // namespace

QSettings TMainForm::settings() const
{
    return QSettings(QDir(programFolder()).filePath(u"Albumino.ini"_s), QSettings::IniFormat);
}

QString TMainForm::backupFolder() const
{
    return settings()
        .value(QString::fromUtf16(kBackupFolderKey),
               QDir(programFolder()).filePath(u"Sikkerhedskopier"_s))
        .toString();
}

void TMainForm::Sikkerhedskopi1Click()
{
    // What is being typed is saved first, with its rules; if it cannot be, nothing is backed
    // up and the edit stays.
    saveEveryPendingEdit();
    const LanguageTexts &texts = languageTexts(m_languageSource->ActiveLanguage());
    // The dialog opens in the folder used last, made if it is the first time.
    const QString start = backupFolder();
    QDir().mkpath(start);
    const QString folder = Messages::chooseFolder(this, texts.backupFolderTitle, start);
    if (folder.isEmpty())
        return;
    settings().setValue(QString::fromUtf16(kBackupFolderKey), folder);
    const Backup::Info info = Backup::write(TDM::dataFolderPath(), m_picturesFolder, folder, false);
    Messages::showInformation(texts.backupDone.arg(QDir::toNativeSeparators(info.folder))
                                  .arg(info.stamps)
                                  .arg(info.countries)
                                  .arg(info.pictures));
}

void TMainForm::makeAutomaticBackup()
{
    const QString folder = backupFolder();
    const QString data = TDM::dataFolderPath();
    if (!QFileInfo::exists(data))
        return;
    // Changed since the newest backup: a table file (the window's size and language aside)
    // or a picture written after it.
    const QList<Backup::Info> backups = Backup::list(folder);
    const QDateTime last = backups.isEmpty() ? QDateTime() : backups.first().made;
    bool changed = !last.isValid();
    for (const QString &name : Backup::tableFiles())
        if (name != u"Config.DB"_s && QFileInfo(QDir(data).filePath(name)).lastModified() > last)
            changed = true;
    for (const QFileInfo &picture : QDir(m_picturesFolder).entryInfoList(QDir::Files))
        if (picture.lastModified() > last)
            changed = true;
    if (!changed)
        return;
    Backup::write(data, m_picturesFolder, folder, true);
    Backup::rotate(folder, 10);
}

void TMainForm::restoreOuterSize()
{
    // The stored size is the outer size, frame included, as the close stores it. A window
    // manager frames the window only after it is shown, so the size is set again once the
    // frame is known. A size larger than the screen is made to fit it, title bar included.
    const QSize frame = outerSize() - size();
    QSize outer = m_restoredOuterSize;
    if (!frame.isNull())
        m_restoredOuterSize = QSize();
    const QScreen *screen = this->screen();
    if (screen)
        outer = outer.boundedTo(screen->availableGeometry().size());
    resize(outer - frame);
    if (screen) {
        QRect placed(QPoint(), outer);
        placed.moveCenter(screen->availableGeometry().center());
        move(placed.topLeft());
    }
}

QSize TMainForm::outerSize() const
{
    // The platform window knows the frame as soon as the window manager has set it; the
    // widget learns it only with its next move or resize.
    if (const QWindow *window = windowHandle())
        return window->frameGeometry().size();
    return frameGeometry().size();
}

void TMainForm::setActivePage(QWidget *page)
{
    m_settingPage = true;
    m_ui->PageControl1->setCurrentWidget(page);
    m_settingPage = false;
}

void TMainForm::PageControl1Change()
{
    TDM &dm = *m_dm;
    const LanguageTexts &texts = languageTexts(m_languageSource->ActiveLanguage());
    QWidget *page = m_ui->PageControl1->currentWidget();
    if (page == m_ui->TabSheet2) {
        if (dm.LandTable->RecordCount() == 0) {
            Messages::showInformation(texts.noCountry);
            setActivePage(m_ui->TabSheet1);
            m_ui->DBGrid2->setFocus();
        }
        const int count = dm.FrimTable->RecordCount();
        setStatusText(texts.stampPageStatus(count));
        Billede();
        Beregn();
        setStatusText(StatusText::danish(dm.FrimAllTable->RecordCount()));
    }
    page = m_ui->PageControl1->currentWidget();
    if (page == m_ui->TabSheet3) {
        BeregnAll();
        setStatusText(StatusText::danish(dm.FrimAllTable->RecordCount()));
    }
    if (page == m_ui->TabSheet1)
        setStatusText(StatusText::plain());
}

void TMainForm::DBGrid2DblClick()
{
    TDM &dm = *m_dm;
    // Apostrophes in the name are doubled, so that "Côte d'Ivoire" opens its stamps.
    QString country = dm.LandTable->FieldByName(u"Land"_s)->AsString();
    country.replace(u'\'', u"''"_s);
    dm.FrimTable->setFilter(u"Land = '"_s + country + u'\'');
    dm.FrimTable->setFiltered(true);
    dm.FrimTable->First();
    setActivePage(m_ui->TabSheet2);
    setStatusText(StatusText::danish(dm.FrimTable->RecordCount()));
    Beregn();
}

bool TMainForm::sizesToItsText(const QLabel *label) const
{
    // Data texts size themselves; pictures, the title panel's caption and the labels that
    // the design gives a fixed box (the totals) do not.
    const QVariant autoSize = label->property("AutoSize");
    return !label->inherits("TDBText") && label->pixmap().isNull() &&
           label != m_ui->Panel1Caption && (!autoSize.isValid() || autoSize.toBool());
}

void TMainForm::fitLabelToItsText(QLabel *label)
{
    // The label takes the width of its text in its present font, anchored to its designed
    // box at the window's present size: a right-aligned label keeps that box's right edge, a
    // centred one its centre, any other its left edge. So a translated caption or a larger
    // font gets its room, and the label never creeps over the control beside it.
    const QRect scaled = m_resizer ? m_resizer->scaledBounds(label) : QRect();
    const QRect anchor = scaled.isNull() ? label->geometry() : scaled;
    const int width = label->fontMetrics().horizontalAdvance(label->text()) + 2;
    const Qt::Alignment alignment = label->alignment();
    int left = anchor.left();
    if (alignment & Qt::AlignRight)
        left = anchor.right() + 1 - width;
    else if (alignment & Qt::AlignHCenter)
        left = anchor.left() + (anchor.width() - width) / 2;
    // In a window too small for the smallest font the text is cut at the container's edge;
    // the label still keeps to its anchor.
    const int cut = std::max(0, -left);
    label->setGeometry(left + cut, label->y(), width - cut, label->height());
}

void TMainForm::fitLabelsToTheirText()
{
    for (QLabel *label : findChildren<QLabel *>())
        if (sizesToItsText(label))
            fitLabelToItsText(label);
}

void TMainForm::updateAccessibleNames()
{
    const auto caption = [](const QLabel *label) { return label->text().remove(u'&'); };
    Ui::TMainForm &ui = *m_ui;
    // Each label names the control it is the buddy of (the stamp page's edits, the pick
    // lists, the overview's lists and totals), in the language shown.
    for (const QLabel *label : findChildren<QLabel *>())
        if (QWidget *control = label->buddy())
            control->setAccessibleName(caption(label));
    // A value edit stands under its count: the column's caption and the group's.
    const QString values = ui.GroupBox5->title();
    for (const auto &[label, control] : std::initializer_list<std::pair<QLabel *, QWidget *>>{
             {ui.Label25, ui.DBEdit16}, {ui.Label30, ui.DBEdit23}, {ui.Label32, ui.DBEdit24}})
        control->setAccessibleName(caption(label) + u", "_s + values);
    ui.Label34->setAccessibleName(values);
    for (QLabel *value : {ui.Label31, ui.Label34, ui.Label35})
        value->setAccessibleDescription(value->text());
    ui.DBEdit1->setAccessibleName(ui.DBGrid2->model()->headerData(0, Qt::Horizontal).toString());
    ui.DBGrid2->setAccessibleName(ui.PageControl1->tabText(0).remove(u'&'));
    ui.DBGrid1->setAccessibleName(ui.PageControl1->tabText(2).remove(u'&'));
}

void TMainForm::setPictureName(const QString &fileName)
{
    m_ui->Label24->setText(fileName);
    fitLabelToItsText(m_ui->Label24);
    m_ui->Image15->setAccessibleDescription(fileName);
}

QAction *TMainForm::languageAction(Language language) const
{
    return findChild<QAction *>(languageTexts(languageIndex(language)).name);
}

void TMainForm::chooseLanguage(Language language)
{
    QAction *chosen = languageAction(language);
    const auto markOnly = [this](const QAction *marked) {
        for (const Language each : kLanguageMenuOrder)
            languageAction(each)->setChecked(languageAction(each) == marked);
    };
    try {
        m_languageSource->SetActiveLanguage(languageIndex(language));
    } catch (...) {
        // The menu has already toggled the chosen item; the marks stay as they were.
        markOnly(m_languageMark);
        throw;
    }
    fitLabelsToTheirText();
    updateAccessibleNames();
    m_ui->Sproget->setText(languageTexts(languageIndex(language)).name);
    m_languageMark = chosen;
    markOnly(chosen);
}

void TMainForm::DanskClick()
{
    chooseLanguage(Language::Dansk);
}

void TMainForm::EnglishClick()
{
    chooseLanguage(Language::English);
}

void TMainForm::SvenskClick()
{
    chooseLanguage(Language::Svensk);
}

void TMainForm::NorskClick()
{
    chooseLanguage(Language::Norsk);
}

void TMainForm::DeutschClick()
{
    chooseLanguage(Language::Deutsch);
}

void TMainForm::Definitioner1Click()
{
    TDefForm::open(m_dm, this);
}

void TMainForm::Udskrivning1Click()
{
    TDM &dm = *m_dm;
    TQRListForm report;
    // The overview in front, its totals as they stand: nothing is recomputed.
    setActivePage(m_ui->TabSheet3);
    report.setCaption(u"QRLabel20"_s, m_ui->Label35->text());
    report.setCaption(u"QRLabel22"_s, m_ui->Label31->text());
    const bool stamp = dm.FrimTable->Active() && !dm.FrimTable->IsEmpty();
    report.setCaption(u"QRLabel17"_s, m_ui->RadioButton1->isChecked() ? u"Alle lande"_s
                                      : stamp                         ? dm.FrimTableLand->AsString()
                                                                      : QString());
    report.Preview(*dm.FrimAllTable, this);
}

void TMainForm::Help1Click(QObject *sender)
{
    // The desktop opens the page; whether it can is its own affair.
    if (auto *item = qobject_cast<QAction *>(sender))
        Messages::openDocument(item->statusTip());
}

void TMainForm::Information1Click()
{
    m_aboutBox->Execute();
}

void TMainForm::Omskrmstrrelser1Click()
{
    const QString lineBreak = QString::fromUtf16(kLineBreak);
    Messages::showInformation(
        u"SKÆRMSTØRRELSER"_s + lineBreak + lineBreak +
        u"I dag findes der et utal af forskellige skærmstørrelser og skærmopløsninger. Vinduerne "
        u"i dette program kan tilpasse sig den skærm og opløsning, som du anvender på denne PC.  "
        u"Placér musen på en af de fire vinduesrammer, hold venstre musetast nede og træk "
        u"rammen større eller mindre.  Indholdet i vinduet vil automatisk tilpasse sig vinduets "
        u"størrelse. "_s +
        lineBreak + lineBreak + u"BEMÆRK"_s + lineBreak +
        u"Den størrelse på vinduet, som du har valgt, vil være den størrelse, som vinduet åbnes "
        u"med, næste gang du åbner dette program!"_s);
}

void TMainForm::Dataplacering1Click()
{
    const LanguageTexts &texts = languageTexts(m_languageSource->ActiveLanguage());
    const QString twoBreaks = QString::fromUtf16(kLineBreak) + QString::fromUtf16(kLineBreak);
    // The program's folder with its separator, then "Data".
    const QString folder =
        QDir::toNativeSeparators(QCoreApplication::applicationDirPath() + u'/') + u"Data"_s;
    Messages::showPlain(texts.dataIntroduction + twoBreaks + folder + twoBreaks +
                        texts.dataImportance + twoBreaks + texts.dataHeading +
                        QString::fromUtf16(kLineBreak) + texts.dataClosing);
}

void TMainForm::FormResize()
{
    if (!m_resizer)
        return;
    m_resizer->ResizeAll();
    // Fonts follow the window's height, label widths follow their texts.
    fitLabelsToTheirText();
}

QString TMainForm::pictureFileName() const
{
    // With no current stamp the number reads as nothing and the name is ".jpg".
    const TTable &stamps = *m_dm->FrimTable;
    const bool current = stamps.Active() && !stamps.IsEmpty();
    return (current ? m_dm->FrimTableNum->AsString() : QString()) + u".jpg"_s;
}

void TMainForm::showPicture(const QString &fileName)
{
    const QImage image = JpegImage::load(QDir(m_picturesFolder).filePath(fileName));
    m_ui->Image15->setPixmap(QPixmap::fromImage(image));
    // Full size: the scroll box shows scroll bars when the picture is larger.
    m_ui->Image15->resize(image.size());
    m_ui->ScrollBox1Contents->resize(image.size());
}

void TMainForm::Billede()
{
    const QString fileName = pictureFileName();
    try {
        showPicture(fileName);
    } catch (const std::exception &) {
        // Any stamp without a readable picture shows the placeholder under its own name.
        showPicture(u"Ingen.jpg"_s);
    }
    setPictureName(fileName);
}

void TMainForm::SpeedButton1Click()
{
    TTable &stamps = *m_dm->FrimTable;
    // A new stamp gets its number, and so its picture's name, by being saved.
    if (stamps.State() == TDataSetState::Edit || stamps.State() == TDataSetState::Insert)
        stamps.Post();
    const QString chosen =
        Messages::chooseOpenFile(this, u"Hent billede"_s, u"Billeder (*.jpg)|*.jpg"_s);
    if (chosen.isEmpty())
        return;
    const QString fileName = pictureFileName();
    PictureFile::copyOver(chosen, QDir(m_picturesFolder).filePath(fileName));
    setPictureName(fileName);
    showPicture(fileName);
}

void TMainForm::SpeedButton5Click()
{
    showPicture(u"Ingen.jpg"_s);
    setPictureName(u"Ingen.jpg"_s);
}

void TMainForm::DBNavigator1Click(TNavigateBtn button)
{
    switch (button) {
    case TNavigateBtn::First:
    case TNavigateBtn::Prior:
    case TNavigateBtn::Next:
    case TNavigateBtn::Last:
        Billede();
        break;
    default:
        break;
    }
}

void TMainForm::Beregn()
{
    TTable &stamps = *m_dm->FrimTable;
    stamps.First();
    const double sum = sumOfTotals(stamps);
    stamps.First();
    showValue(m_ui->Label31, formatTotal(sum));
    showValue(m_ui->Label34, formatTotal(sum));
}

void TMainForm::BeregnAll()
{
    // Leaves the overview on its last stamp.
    TTable &stamps = *m_dm->FrimAllTable;
    stamps.First();
    const double sum = sumOfTotals(stamps);
    showValue(m_ui->Label31, formatTotal(sum));
}

void TMainForm::clearSelectionLists(const TDBLookupComboBox *except)
{
    for (TDBLookupComboBox *list :
         {m_ui->DBLookupComboBox11, m_ui->DBLookupComboBox7, m_ui->DBLookupComboBox8,
          m_ui->DBLookupComboBox9, m_ui->DBLookupComboBox10})
        if (list != except)
            list->setKeyValue(QString());
}

void TMainForm::selectionChosen(TDBLookupComboBox *list, const QString &fieldName)
{
    TDM &dm = *m_dm;
    // "Vis alle" is the only button of its box; a lone exclusive button cannot be unchecked.
    m_ui->RadioButton1->setAutoExclusive(false);
    m_ui->RadioButton1->setChecked(false);
    m_ui->RadioButton1->setAutoExclusive(true);
    clearSelectionLists(list);
    // Apostrophes are doubled, so that "Children's Day" filters instead of failing.
    QString value = list->Text();
    value.replace(u'\'', u"''"_s);
    dm.FrimAllTable->setFilter(fieldName + u" = '"_s + value + u'\'');
    dm.FrimAllTable->setFiltered(true);
    setStatusText(StatusText::danish(dm.FrimAllTable->RecordCount()));
    BeregnAll();
}

void TMainForm::DBLookupComboBox11Click()
{
    selectionChosen(m_ui->DBLookupComboBox11, u"Land"_s);
}

void TMainForm::DBLookupComboBox7Click()
{
    selectionChosen(m_ui->DBLookupComboBox7, u"Katalog"_s);
}

void TMainForm::DBLookupComboBox8Click()
{
    selectionChosen(m_ui->DBLookupComboBox8, u"Serie"_s);
}

void TMainForm::DBLookupComboBox9Click()
{
    selectionChosen(m_ui->DBLookupComboBox9, u"Art"_s);
}

void TMainForm::DBLookupComboBox10Click()
{
    selectionChosen(m_ui->DBLookupComboBox10, u"Type"_s);
}

void TMainForm::RadioButton1Click()
{
    TDM &dm = *m_dm;
    dm.FrimAllTable->setFiltered(false);
    clearSelectionLists();
    setStatusText(StatusText::danish(dm.FrimAllTable->RecordCount()));
    BeregnAll();
}

void TMainForm::RadioButton2Click()
{
    m_dm->FrimAllTable->setIndexName(u"IndexKatalog"_s);
}

void TMainForm::RadioButton3Click()
{
    m_dm->FrimAllTable->setIndexName(u"IndexSerie"_s);
}

void TMainForm::RadioButton4Click()
{
    m_dm->FrimAllTable->setIndexName(u"IndexArt"_s);
}

bool TMainForm::event(QEvent *event)
{
    // A window manager frames the window after it is shown, at the latest when it activates
    // it: the stored size is then given to the frame.
    const QEvent::Type type = event->type();
    const bool mayBeFramed =
        type == QEvent::WindowActivate || type == QEvent::Move || type == QEvent::Resize;
    if (mayBeFramed && m_restoredOuterSize.isValid() && outerSize() != size())
        restoreOuterSize();
    // The status bar says what its writers last set. Menu items and controls would show
    // their status tips there when the pointer passes; the help item's tip is the help
    // page's path, which the user is never shown.
    if (event->type() == QEvent::StatusTip)
        return true;
    return QMainWindow::event(event);
}

void TMainForm::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (m_shown)
        return;
    m_shown = true;
    runHandler([this] { FormShow(); });
}

void TMainForm::closeEvent(QCloseEvent *event)
{
    bool mayClose = false;
    if (!runHandler([&] { mayClose = FormClose(); }) || !mayClose) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
}

void TMainForm::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    FormResize();
}
