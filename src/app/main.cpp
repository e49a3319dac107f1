#include "databaseerror.h"
#include "dm.h"

#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMessageBox>

using namespace Qt::Literals::StringLiterals;

namespace {

void showError(const QString &message)
{
    QString text = message;
    if (!text.isEmpty() && text.back().unicode() > u'.')
        text.append(u'.');
    QMessageBox::critical(nullptr, QApplication::applicationDisplayName(), text);
}

QString openCollection(TDM &dm)
{
    TDM::CreateDataFolderIfMissing();
    for (TTable *table :
         {dm.ConfigTable, dm.LandTable, dm.FrimTable, dm.KataTable, dm.SerieTable, dm.FarveTable,
          dm.ArtTable, dm.TypeTable, dm.KvalitetTable, dm.FrimAllTable})
        table->Open();
    return u"Samlingen har %1 lande og %2 frimærker."_s.arg(dm.LandTable->RecordCount())
        .arg(dm.FrimAllTable->RecordCount());
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationName(u"Albumino"_s);
    QApplication::setApplicationDisplayName(u"Albumino"_s);
    QApplication::setApplicationVersion(QStringLiteral(ALBUMINO_VERSION));

    TDM dm;
    QString summary;
    try {
        summary = openCollection(dm);
    } catch (const EDatabaseError &error) {
        showError(error.message());
        summary = error.message();
    }

    QMainWindow window;
    window.setWindowTitle(u"Albumino"_s);
    auto *label = new QLabel(summary, &window);
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    window.setCentralWidget(label);
    window.resize(1024, 768);
    window.show();
    return application.exec();
}
