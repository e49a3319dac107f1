#include "dm.h"
#include "handler.h"
#include "mainform.h"

#include <QApplication>
#include <QFont>

using namespace Qt::Literals::StringLiterals;

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationVersion(QStringLiteral(ALBUMINO_VERSION));
    // The designed fonts, on their metric-compatible free counterparts.
    QFont::insertSubstitution(u"MS Sans Serif"_s, u"Liberation Sans"_s);
    QFont::insertSubstitution(u"Arial"_s, u"Liberation Sans"_s);
    QFont::insertSubstitution(u"Times New Roman"_s, u"Liberation Serif"_s);

    // The splash window is shown here, before the main window exists.
    QApplication::setApplicationName(u"Albumino"_s);
    QApplication::setApplicationDisplayName(u"Albumino"_s);

    // The single-instance guard acts while the main window is created.
    TMainForm mainForm;
    TDM dm;
    runHandler([] { TDM::CreateDataFolderIfMissing(); });
    mainForm.setDataModule(&dm);
    mainForm.show();
    return application.exec();
}
