#include "collectiongenerator.h"
#include "databaseerror.h"

#include <QCoreApplication>
#include <QDir>

#include <cstdio>

using namespace Qt::Literals::StringLiterals;

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments().mid(1);
    if (arguments.isEmpty() || arguments.first().startsWith(u'-')) {
        std::fprintf(stderr, "usage: albumino_generate <program folder> [--stamps N] "
                             "[--countries C] [--lookup-size K] [--seed S]\n");
        return 2;
    }
    CollectionSize size;
    for (qsizetype i = 1; i + 1 < arguments.size(); i += 2) {
        const QString &option = arguments.at(i);
        const int value = arguments.at(i + 1).toInt();
        if (option == u"--stamps")
            size.stamps = value;
        else if (option == u"--countries")
            size.countries = value;
        else if (option == u"--lookup-size" || option == u"--series-list")
            size.seriesListSize = value;
        else if (option == u"--seed")
            size.seed = unsigned(value);
    }
    try {
        const QString folder = QDir(arguments.first()).filePath(u"Data"_s);
        const GeneratedCollection made = generateCollection(folder, size);
        std::printf("%d stamps over %d countries in %s; catalogue \"%s\" has %d stamps\n",
                    size.stamps, size.countries, qPrintable(folder), qPrintable(made.busyCatalogue),
                    made.busyCatalogueStamps);
    } catch (const EDatabaseError &error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}
