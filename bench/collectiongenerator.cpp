#include "collectiongenerator.h"

#include "databaseerror.h"
#include "dm.h"

#include <QDir>
#include <QFile>
#include <QStringList>

#include <sqlite3.h>

#include <algorithm>
#include <random>
#include <set>

using namespace Qt::Literals::StringLiterals;

namespace {

const QStringList &countryNames()
{
    static const QStringList names{
        u"Danmark"_s,    u"Norge"_s,         u"Sverige"_s,      u"Finland"_s,
        u"Island"_s,     u"Færøerne"_s,      u"Grønland"_s,     u"Åland"_s,
        u"Tyskland"_s,   u"Østrig"_s,        u"Schweiz"_s,      u"Frankrig"_s,
        u"Belgien"_s,    u"Holland"_s,       u"Luxembourg"_s,   u"Storbritannien"_s,
        u"Irland"_s,     u"Spanien"_s,       u"Portugal"_s,     u"Italien"_s,
        u"San Marino"_s, u"Vatikanstaten"_s, u"Grækenland"_s,   u"Tyrkiet"_s,
        u"Polen"_s,      u"Tjekkiet"_s,      u"Slovakiet"_s,    u"Ungarn"_s,
        u"Rumænien"_s,   u"Bulgarien"_s,     u"Jugoslavien"_s,  u"Kroatien"_s,
        u"Slovenien"_s,  u"Estland"_s,       u"Letland"_s,      u"Litauen"_s,
        u"Rusland"_s,    u"Ukraine"_s,       u"Hviderusland"_s, u"Côte d'Ivoire"_s,
        u"Egypten"_s,    u"Marokko"_s,       u"Tunesien"_s,     u"Algeriet"_s,
        u"Sydafrika"_s,  u"Kenya"_s,         u"Nigeria"_s,      u"Ghana"_s,
        u"Etiopien"_s,   u"Congo"_s,         u"USA"_s,          u"Canada"_s,
        u"Mexico"_s,     u"Brasilien"_s,     u"Argentina"_s,    u"Chile"_s,
        u"Peru"_s,       u"Colombia"_s,      u"Venezuela"_s,    u"Cuba"_s,
        u"Jamaica"_s,    u"Japan"_s,         u"Kina"_s,         u"Indien"_s,
        u"Pakistan"_s,   u"Thailand"_s,      u"Vietnam"_s,      u"Korea"_s,
        u"Indonesien"_s, u"Filippinerne"_s,  u"Australien"_s,   u"New Zealand"_s,
        u"Israel"_s,     u"Iran"_s,          u"Irak"_s,         u"Saudi-Arabien"_s,
        u"Libanon"_s,    u"Syrien"_s,        u"Jordan"_s,       u"Dansk Vestindien"_s};
    return names;
}

const QStringList kCatalogues{u"AFA"_s,
                              u"Facit"_s,
                              u"Michel"_s,
                              u"Scott"_s,
                              u"Yvert"_s,
                              u"Stanley Gibbons"_s,
                              u"Norgeskatalogen"_s,
                              u"LAPE"_s,
                              u"Zumstein"_s,
                              u"Unitrade"_s,
                              u"Sassone"_s,
                              u"Edifil"_s,
                              u"Fischer"_s,
                              u"Sakura"_s,
                              u"ACSC"_s,
                              u"Hellas"_s,
                              u"Pofis"_s,
                              u"Bale"_s,
                              u"SACC"_s,
                              u"Ceres"_s};
const QStringList kColours{u"rød"_s,       u"blå"_s,        u"grøn"_s,      u"gul"_s,
                           u"brun"_s,      u"sort"_s,       u"violet"_s,    u"orange"_s,
                           u"karminrød"_s, u"ultramarin"_s, u"grå"_s,       u"olivengrøn"_s,
                           u"rosa"_s,      u"lilla"_s,      u"flerfarvet"_s};
const QStringList kKinds{u"Frimærke"_s,         u"Blok"_s,  u"Helsag"_s, u"Brev"_s,
                         u"Førstedagskuvert"_s, u"Hæfte"_s, u"Par"_s,    u"Fireblok"_s};
const QStringList kTypes{
    u"Bølgelinie"_s, u"Krone og scepter"_s, u"Tofarvet"_s, u"Portræt"_s, u"Våben"_s,
    u"Skibe"_s,      u"Julemærke"_s,        u"Tjeneste"_s, u"Porto"_s,   u"Luftpost"_s};
const QStringList kQualities{u"Postfrisk"_s,     u"Ubrugt med falz"_s, u"Stemplet"_s,
                             u"Luksusstempel"_s, u"Let stemplet"_s,    u"Defekt"_s,
                             u"Tynd"_s};
const QStringList kMotifs{u"Kongehuset"_s, u"Fugle"_s, u"Skibe"_s, u"Blomster"_s, u"Slotte"_s,
                          u"Fyrtårne"_s,   u"Sport"_s, u"Kunst"_s, u"Jul"_s,      u"Europa"_s};
const QStringList kArtists{
    u"Czesław Słania"_s,        u"Martin Mörck"_s,   u"Viggo Bang"_s, u"Arne Kühlmann Hansen"_s,
    u"Bertil Skov Jørgensen"_s, u"Ingrid Jansson"_s, u"Knut Løkke"_s};
const QStringList kWatermarks{u"Krone"_s, u"Kors"_s, u"Posthorn"_s, u"uden"_s};
const QStringList kPerforations{u"13½"_s, u"12¾"_s, u"14 x 13½"_s, u"utakket"_s, u"12"_s};

class Writer
{
public:
    explicit Writer(const QString &path)
    {
        if (sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, SQLITE_OPEN_READWRITE,
                            nullptr) != SQLITE_OK)
            throw EDatabaseError(u"%1: cannot be opened"_s.arg(path));
        exec("PRAGMA synchronous = OFF; BEGIN");
    }
    ~Writer()
    {
        sqlite3_finalize(m_insert);
        sqlite3_close(m_db);
    }
    void exec(const char *sql)
    {
        if (sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
            throw EDatabaseError(QString::fromUtf8(sqlite3_errmsg(m_db)));
    }
    void prepare(const QString &sql)
    {
        if (sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &m_insert, nullptr) != SQLITE_OK)
            throw EDatabaseError(QString::fromUtf8(sqlite3_errmsg(m_db)));
    }
    void text(int index, const QString &value)
    {
        const QByteArray utf8 = value.toUtf8();
        sqlite3_bind_text(m_insert, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
    }
    void integer(int index, qint64 value) { sqlite3_bind_int64(m_insert, index, value); }
    void real(int index, double value) { sqlite3_bind_double(m_insert, index, value); }
    void insert()
    {
        if (sqlite3_step(m_insert) != SQLITE_DONE)
            throw EDatabaseError(QString::fromUtf8(sqlite3_errmsg(m_db)));
        sqlite3_reset(m_insert);
        sqlite3_clear_bindings(m_insert);
    }
    void commit() { exec("COMMIT"); }

private:
    sqlite3 *m_db = nullptr;
    sqlite3_stmt *m_insert = nullptr;
};

void writeList(const QString &folder, const QString &file, const QString &field,
               const std::set<QString> &values)
{
    Writer writer(QDir(folder).filePath(file));
    writer.prepare(
        u"INSERT INTO \"%1\" (\"%2\") VALUES (?)"_s.arg(file.section(u'.', 0, 0), field));
    for (const QString &value : values) {
        writer.text(1, value);
        writer.insert();
    }
    writer.commit();
}

} // namespace

GeneratedCollection generateCollection(const QString &dataFolder, const CollectionSize &size)
{
    if (QFileInfo::exists(dataFolder))
        throw EDatabaseError(u"%1: the folder exists already"_s.arg(dataFolder));
    QDir().mkpath(QFileInfo(dataFolder).absolutePath());
    TDM::CreateDataFolderIfMissing(dataFolder);
    std::mt19937 random(size.seed);
    auto pick = [&](const QStringList &list) {
        return list.at(std::uniform_int_distribution<int>(0, int(list.size()) - 1)(random));
    };
    auto between = [&](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };

    QStringList countries;
    for (int i = 0; i < size.countries; ++i) {
        const QStringList &names = countryNames();
        const QString base = names.at(i % names.size());
        countries.append(i < names.size() ? base : u"%1 (%2)"_s.arg(base).arg(i / names.size()));
    }
    // Collectors have a few big countries and many small ones: Zipf-like weights.
    std::vector<double> weights;
    for (int i = 0; i < size.countries; ++i)
        weights.push_back(1.0 / (i + 1));
    std::discrete_distribution<int> countryOf(weights.begin(), weights.end());

    GeneratedCollection result;
    result.busyCatalogue = u"Facit"_s;
    std::set<QString> catalogues, series, colours, kinds, types, qualities;
    std::vector<int> stampsPerCountry(size.countries, 0);

    Writer stamps(QDir(dataFolder).filePath(u"Tmb_Mark.DB"_s));
    stamps.prepare(
        u"INSERT INTO Tmb_Mark (Land, Katalog, RegNr, Serie, Art, Paalydende, VaerdiUbrugt, "
        "Ekstra, Katalognr, Anskaffet, Udgivet, Motiv, Type, Farve, Takning, Kvalitet, "
        "Vandmarke, Notater, Antal, Stempel, Ialt, Aarstal, Kunstner, Stemplet, Ustemplet, "
        "Ubrugt, VaerdiStemplet, VaerdiUstemplet, Katalogvardi) VALUES "
        "(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)"_s);
    const int busyEvery = 100;
    for (int i = 0; i < size.stamps; ++i) {
        const int country = countryOf(random);
        ++stampsPerCountry[country];
        const int year = between(1851, 2025);
        QString catalogue = pick(kCatalogues);
        if (i % busyEvery == 0)
            catalogue = result.busyCatalogue;
        else if (catalogue == result.busyCatalogue)
            catalogue = kCatalogues.at(0);
        const QString serie = u"%1 %2"_s.arg(pick(kMotifs)).arg(year - year % 5);
        const QString colour = pick(kColours), kind = pick(kKinds), type = pick(kTypes),
                      quality = pick(kQualities);
        const int unused = between(0, 5), used = between(0, 5), uncancelled = between(0, 2);
        const double unusedValue = between(25, 50000) / 100.0;
        const double usedValue = between(5, 20000) / 100.0;
        const double uncancelledValue = between(5, 30000) / 100.0;
        catalogues.insert(catalogue);
        series.insert(serie);
        colours.insert(colour);
        kinds.insert(kind);
        types.insert(type);
        qualities.insert(quality);
        int c = 1;
        stamps.text(c++, countries.at(country));
        stamps.text(c++, catalogue);
        stamps.integer(c++, i % 1000);
        stamps.text(c++, serie);
        stamps.text(c++, kind);
        stamps.text(c++, u"%1 øre"_s.arg(between(1, 100) * 5));
        stamps.real(c++, unusedValue);
        stamps.text(c++, between(0, 9) == 0 ? u"+10 øre"_s : QString());
        stamps.text(c++, QString::number(between(1, 3000)));
        stamps.text(c++, QString::number(between(1970, 2025)));
        stamps.text(c++, u"%1-%2"_s.arg(between(1, 12)).arg(year));
        stamps.text(c++, pick(kMotifs));
        stamps.text(c++, type);
        stamps.text(c++, colour);
        stamps.text(c++, pick(kPerforations));
        stamps.text(c++, quality);
        stamps.text(c++, pick(kWatermarks));
        stamps.text(c++,
                    u"Købt på auktion, %1. Se også albumside %2."_s.arg(pick(kQualities).toLower())
                        .arg(between(1, 400)));
        stamps.integer(c++, unused + used + uncancelled);
        stamps.text(c++, between(0, 3) == 0 ? u"KØBENHAVN"_s : QString());
        stamps.real(c++, unusedValue * unused + usedValue * used + uncancelledValue * uncancelled);
        stamps.integer(c++, year);
        stamps.text(c++, pick(kArtists));
        stamps.integer(c++, used);
        stamps.integer(c++, uncancelled);
        stamps.integer(c++, unused);
        stamps.real(c++, usedValue);
        stamps.real(c++, uncancelledValue);
        stamps.real(c++, unusedValue);
        stamps.insert();
        if (catalogue == result.busyCatalogue)
            ++result.busyCatalogueStamps;
    }
    stamps.commit();

    for (int i = 0; int(series.size()) < size.seriesListSize; ++i)
        series.insert(u"Serie %1"_s.arg(i, 4, 10, QLatin1Char('0')));
    result.lastSeriesEntry = *std::prev(series.end(), std::min<int>(3, int(series.size())));
    const auto busiest = std::max_element(stampsPerCountry.begin(), stampsPerCountry.end());
    result.firstCountryWithStamps = countries.at(int(busiest - stampsPerCountry.begin()));

    writeList(dataFolder, u"Tmb_Land.db"_s, u"Land"_s,
              std::set<QString>(countries.begin(), countries.end()));
    writeList(dataFolder, u"Tmb_Kata.db"_s, u"Katalog"_s, catalogues);
    writeList(dataFolder, u"Tmb_Seri.db"_s, u"Serie"_s, series);
    writeList(dataFolder, u"Tmb_Farv.db"_s, u"Farve"_s, colours);
    writeList(dataFolder, u"Tmb_Art.db"_s, u"Art"_s, kinds);
    writeList(dataFolder, u"Tmb_Type.db"_s, u"Type"_s, types);
    writeList(dataFolder, u"Tmb_Kval.db"_s, u"Kvalitet"_s, qualities);
    return result;
}
