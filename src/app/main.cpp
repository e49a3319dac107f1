#include "dm.h"
#include "handler.h"
#include "mainform.h"
#include "morvane.h"
#include "pbjustone.h"

#include <QApplication>
#include <QFont>
#include <QPointer>

using namespace Qt::Literals::StringLiterals;

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    QApplication::setApplicationVersion(QStringLiteral(ALBUMINO_VERSION));
    // The designed fonts, on their metric-compatible free counterparts.
    QFont::insertSubstitution(u"MS Sans Serif"_s, u"Liberation Sans"_s);
    QFont::insertSubstitution(u"Arial"_s, u"Liberation Sans"_s);
    QFont::insertSubstitution(u"Times New Roman"_s, u"Liberation Serif"_s);

    QApplication::setApplicationName(u"Albumino"_s);

    // A second start brings the running copy to the front and ends here, before it opens a
    // table or shows a window, so the guard comes before the splash. The main window owns it.
    auto *guard = new TPBJustOne;
    guard->setObjectName(u"PBJustOne1"_s);
    if (guard->AnotherCopyRuns()) {
        delete guard;
        return 0;
    }

    // On the screen while the main window and the data module are created; it goes when it
    // loses the activation, at the latest when the main window is shown.
    QPointer<TMorvane> splash = new TMorvane;
    splash->ShowAndPaint();

    TMainForm mainForm;
    guard->setParent(&mainForm);
    if (splash)
        splash->DestroyWhenShown(&mainForm);
    TDM dm;
    runHandler([] { TDM::CreateDataFolderIfMissing(); });
    mainForm.setDataModule(&dm);
    mainForm.show();
    return application.exec();
}
