#include "collectiongenerator.h"

#include "collation.h"
#include "collectionschema.h"
#include "databaseerror.h"
#include "dm.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sqlite3.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <random>
#include <set>
#include <string>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace {

// Danish names, the collector's usual countries first so that a small demo collection
// still has Æ, Ø, Å and an apostrophe in it.
const char *const kCountries[] = {"Danmark",
                                  "Færøerne",
                                  "Grønland",
                                  "Norge",
                                  "Sverige",
                                  "Åland",
                                  "Côte d'Ivoire",
                                  "Østrig",
                                  "Island",
                                  "Finland",
                                  "Tyskland",
                                  "Ækvatorialguinea",
                                  "Schweiz",
                                  "Frankrig",
                                  "Storbritannien",
                                  "Italien",
                                  "Holland",
                                  "Belgien",
                                  "Luxembourg",
                                  "Spanien",
                                  "Portugal",
                                  "Irland",
                                  "Grækenland",
                                  "Polen",
                                  "Tjekkiet",
                                  "Slovakiet",
                                  "Ungarn",
                                  "Rumænien",
                                  "Bulgarien",
                                  "Serbien",
                                  "Kroatien",
                                  "Slovenien",
                                  "Bosnien-Hercegovina",
                                  "Montenegro",
                                  "Nordmakedonien",
                                  "Albanien",
                                  "Kosovo",
                                  "Moldova",
                                  "Ukraine",
                                  "Hviderusland",
                                  "Rusland",
                                  "Estland",
                                  "Letland",
                                  "Litauen",
                                  "Tyrkiet",
                                  "Cypern",
                                  "Malta",
                                  "Monaco",
                                  "Andorra",
                                  "San Marino",
                                  "Liechtenstein",
                                  "Vatikanstaten",
                                  "Gibraltar",
                                  "Jersey",
                                  "Guernsey",
                                  "Isle of Man",
                                  "Dansk Vestindien",
                                  "Slesvig",
                                  "Danzig",
                                  "Saar",
                                  "Bayern",
                                  "Preussen",
                                  "Østtyskland",
                                  "Vestberlin",
                                  "Jugoslavien",
                                  "Tjekkoslovakiet",
                                  "Sovjetunionen",
                                  "Georgien",
                                  "Armenien",
                                  "Aserbajdsjan",
                                  "Kasakhstan",
                                  "Usbekistan",
                                  "Turkmenistan",
                                  "Kirgisistan",
                                  "Tadsjikistan",
                                  "Afghanistan",
                                  "Pakistan",
                                  "Indien",
                                  "Nepal",
                                  "Bhutan",
                                  "Bangladesh",
                                  "Sri Lanka",
                                  "Ceylon",
                                  "Maldiverne",
                                  "Kina",
                                  "Japan",
                                  "Sydkorea",
                                  "Nordkorea",
                                  "Mongoliet",
                                  "Taiwan",
                                  "Hongkong",
                                  "Macao",
                                  "Vietnam",
                                  "Laos",
                                  "Cambodja",
                                  "Thailand",
                                  "Myanmar",
                                  "Burma",
                                  "Malaysia",
                                  "Singapore",
                                  "Indonesien",
                                  "Filippinerne",
                                  "Brunei",
                                  "Østtimor",
                                  "Australien",
                                  "New Zealand",
                                  "Papua Ny Guinea",
                                  "Fiji",
                                  "Samoa",
                                  "Tonga",
                                  "Vanuatu",
                                  "Salomonøerne",
                                  "Kiribati",
                                  "Tuvalu",
                                  "Nauru",
                                  "Palau",
                                  "Mikronesien",
                                  "Marshalløerne",
                                  "Ny Kaledonien",
                                  "Fransk Polynesien",
                                  "Iran",
                                  "Irak",
                                  "Syrien",
                                  "Libanon",
                                  "Israel",
                                  "Jordan",
                                  "Saudi-Arabien",
                                  "Yemen",
                                  "Oman",
                                  "De Forenede Arabiske Emirater",
                                  "Qatar",
                                  "Bahrain",
                                  "Kuwait",
                                  "Egypten",
                                  "Libyen",
                                  "Tunesien",
                                  "Algeriet",
                                  "Marokko",
                                  "Sudan",
                                  "Sydsudan",
                                  "Etiopien",
                                  "Eritrea",
                                  "Djibouti",
                                  "Somalia",
                                  "Kenya",
                                  "Uganda",
                                  "Tanzania",
                                  "Rwanda",
                                  "Burundi",
                                  "Congo-Kinshasa",
                                  "Congo-Brazzaville",
                                  "Belgisk Congo",
                                  "Gabon",
                                  "Cameroun",
                                  "Nigeria",
                                  "Niger",
                                  "Tchad",
                                  "Mali",
                                  "Burkina Faso",
                                  "Senegal",
                                  "Gambia",
                                  "Guinea",
                                  "Guinea-Bissau",
                                  "Sierra Leone",
                                  "Liberia",
                                  "Ghana",
                                  "Togo",
                                  "Benin",
                                  "Mauretanien",
                                  "Kap Verde",
                                  "São Tomé og Príncipe",
                                  "Den Centralafrikanske Republik",
                                  "Angola",
                                  "Zambia",
                                  "Malawi",
                                  "Mozambique",
                                  "Zimbabwe",
                                  "Rhodesia",
                                  "Botswana",
                                  "Namibia",
                                  "Sydafrika",
                                  "Lesotho",
                                  "Eswatini",
                                  "Madagaskar",
                                  "Mauritius",
                                  "Seychellerne",
                                  "Comorerne",
                                  "Fransk Vestafrika",
                                  "Sankt Helena",
                                  "USA",
                                  "Canada",
                                  "Mexico",
                                  "Guatemala",
                                  "Belize",
                                  "Honduras",
                                  "El Salvador",
                                  "Nicaragua",
                                  "Costa Rica",
                                  "Panama",
                                  "Cuba",
                                  "Jamaica",
                                  "Haiti",
                                  "Den Dominikanske Republik",
                                  "Puerto Rico",
                                  "Bahamas",
                                  "Bermuda",
                                  "Barbados",
                                  "Trinidad og Tobago",
                                  "Grenada",
                                  "Saint Lucia",
                                  "Saint Vincent",
                                  "Dominica",
                                  "Antigua og Barbuda",
                                  "Saint Kitts og Nevis",
                                  "Aruba",
                                  "Curaçao",
                                  "Colombia",
                                  "Venezuela",
                                  "Guyana",
                                  "Surinam",
                                  "Ecuador",
                                  "Peru",
                                  "Bolivia",
                                  "Brasilien",
                                  "Paraguay",
                                  "Uruguay",
                                  "Argentina",
                                  "Chile",
                                  "Falklandsøerne",
                                  "Niue",
                                  "Cookøerne",
                                  "Pitcairnøerne",
                                  "Tristan da Cunha",
                                  "Ascension",
                                  "Caymanøerne",
                                  "Britiske Jomfruøerne",
                                  "Montserrat",
                                  "Anguilla",
                                  "Turks- og Caicosøerne",
                                  "Saint-Pierre og Miquelon",
                                  "Wallis og Futuna",
                                  "Réunion",
                                  "Martinique",
                                  "Guadeloupe",
                                  "Fransk Guyana",
                                  "Mayotte",
                                  "Norfolkøen",
                                  "Christmasøen",
                                  "Tokelau",
                                  "Helgoland",
                                  "Memel",
                                  "Fiume",
                                  "Trieste"};

const char *const kRegionSuffixes[] = {" (Nord)", " (Syd)", " (Øst)", " (Vest)",
                                       " (Midt)", " (Gl.)", " (Ny)"};

// Facit comes first: it is the catalogue that gets exactly one stamp in a hundred.
const char *const kCatalogues[] = {
    "Facit",           "AFA",      "Michel",    "Scott",   "Yvert",           "Stanley Gibbons",
    "Norgeskatalogen", "Zumstein", "Unificato", "Sassone", "Edifil",          "Fischer",
    "Sakura",          "Hellman",  "NVPH",      "ANK",     "Gibbons Concise", "Dallay",
    "Ceres",           "Netto"};

const char *const kSeriesBases[] = {"Bølgelinier",
                                    "Karavel",
                                    "Chr. X",
                                    "Fr. VIII",
                                    "Fr. IX",
                                    "Margrethe II",
                                    "Julemærker",
                                    "Rigsvåben",
                                    "Luftpost",
                                    "Portomærker",
                                    "Europa CEPT",
                                    "Olympiade",
                                    "Norden",
                                    "Tofarvet",
                                    "Skilling",
                                    "Ringtype",
                                    "Posthorn",
                                    "Løve",
                                    "Kongehoved",
                                    "Tjenestemærker",
                                    "Grønlandsmotiver",
                                    "Fyrtårne",
                                    "Danske slotte",
                                    "H.C. Andersen",
                                    "Fugle",
                                    "Sommerfugle",
                                    "Blomster",
                                    "Skibe",
                                    "Jernbaner",
                                    "Røde Kors",
                                    "Frimærkets dag",
                                    "Danske malerier",
                                    "Dronningens fødselsdag",
                                    "Befrielsen",
                                    "Genforeningen",
                                    "Vikingetid",
                                    "Danske broer",
                                    "Nordisk mytologi",
                                    "Turisme",
                                    "Sport",
                                    "Rumfart",
                                    "Fiskeri",
                                    "Landbrug",
                                    "Dyr i naturen",
                                    "Arkitektur",
                                    "Kirker",
                                    "Byvåben",
                                    "Folkedragter",
                                    "Musik",
                                    "Tegneserier",
                                    "Frimærkeudstilling",
                                    "Hafnia",
                                    "Nordia",
                                    "Kronprinsparret",
                                    "Kongeskibet",
                                    "Postens historie",
                                    "Tordenskjold",
                                    "Kunst på frimærker",
                                    "Søfart",
                                    "Æbletræer",
                                    "Ørnen",
                                    "Åbne haver",
                                    "Østersøen",
                                    "Legetøj",
                                    "Bogstavtype",
                                    "Tal i oval",
                                    "Tre løver",
                                    "Kongekrone",
                                    "Dagmar",
                                    "Souvenirark",
                                    "Mærkedage",
                                    "Velgørenhed",
                                    "Automatmærker",
                                    "Rullemærker",
                                    "Provisorier",
                                    "Nationalparker",
                                    "Svampe",
                                    "Fyrskibe",
                                    "Kong Frederik X",
                                    "Små øer"};

const char *const kSeriesVariants[] = {"", " I", " II", " III", " (nytryk)"};

const char *const kKinds[] = {"Frimærke",   "Blok",          "Miniark",    "Hæfte",
                              "Helsag",     "Brev",          "FDC",        "Maksimumkort",
                              "Par",        "Fireblok",      "Rullemærke", "Sammentryk",
                              "Portomærke", "Tjenestemærke", "Pakkeporto"};

const char *const kTypes[] = {"Almindelig",  "Jubilæum",        "Mindemærke", "Tillægsmærke",
                              "Provisorium", "Overtryk",        "Prøvetryk",  "Nytryk",
                              "Julemærke",   "Frankeringsmærke"};

const char *const kColours[] = {"rød",        "blå",        "grøn",       "gul",       "brun",
                                "sort",       "violet",     "lilla",      "orange",    "grå",
                                "karmin",     "ultramarin", "olivengrøn", "rødbrun",   "mørkeblå",
                                "lyseblå",    "rosa",       "okker",      "sepia",     "turkis",
                                "flerfarvet", "blågrøn",    "gulbrun",    "skarlagen", "vermillon",
                                "mørkegrøn",  "lysegrøn",   "gråviolet",  "kobberrød", "guld"};

const char *const kQualities[] = {"Postfrisk",    "Med hængsel", "Uden gummi", "Stemplet",
                                  "Pragtstempel", "Luksus",      "Fin",        "Pæn",
                                  "God",          "Ringe",       "Tynd plet",  "Skadet"};

const char *const kFaceValues[] = {"25 øre",   "10 øre", "5 øre", "1 kr",   "2 kr",
                                   "2,50 kr",  "4 sk",   "2 RBS", "10 pf",  "1 Mark",
                                   "20 c",     "1 d",    "3 Kr.", "50 öre", "1 krona",
                                   "100 lire", "1 $",    "5 fr",  "10 kop", "50 ct"};

const char *const kExtras[] = {"A",       "B",       "Type I",  "Type II", "Tk. 12",
                               "Retouch", "Omvendt", "Fejltr.", "Par",     "Hæfte"};

const char *const kMotifs[] = {"Kong Christian X",
                               "Dronning Margrethe",
                               "Fugle",
                               "Skibe",
                               "Blomster",
                               "Arkitektur",
                               "Sport",
                               "H.C. Andersen",
                               "Landskab",
                               "Fyrtårn",
                               "Jul",
                               "Dyr",
                               "Kunst",
                               "Rumfart",
                               "Tog",
                               "Biler",
                               "Fly",
                               "Landkort",
                               "Våben",
                               "Europa",
                               "Røde Kors",
                               "Sommerfugle",
                               "Fisk",
                               "Musik",
                               "Børn"};

const char *const kPerforations[] = {
    "13½", "12¾", "14",       "14 x 13½",        "12",     "11½", "Utakket",
    "12½", "13",  "12¾ x 13", "Rulletakning 13", "Stanset"};

const char *const kWatermarks[] = {"Krone",    "Krone I",      "Krone II",    "Krone III",
                                   "Krone IV", "Posthorn",     "Bølgelinier", "Uden",
                                   "Stjerne",  "Korsvandmærke"};

const char *const kArtists[] = {"Czesław Słania", "Mads Stage",           "Ib Andersen",
                                "Viggo Bang",     "Arne Kühlmann Hansen", "Bertil Kumlien",
                                "Martin Mörck",   "Philip Thomsen",       "Johannes Britze",
                                "Ingolf Haagen",  "Bjørn Wiinblad",       "Per Kirkeby",
                                "Lars Sjööblom",  "Piotr Naszarkowski",   "Arne Wengel"};

const char *const kPostmarks[] = {"København", "Odense",    "Aarhus",  "Aalborg",  "Esbjerg",
                                  "Roskilde",  "Helsingør", "Randers", "Vejle",    "Ribe",
                                  "Svendborg", "Kolding",   "Nakskov", "Tórshavn", "Nuuk"};

const char *const kNoteOpenings[] = {"Købt på auktion i Vejle",
                                     "Arvet efter morfar",
                                     "Byttet på klubaften",
                                     "Fra en gammel samling fundet på loftet",
                                     "Købt hos frimærkehandler i København",
                                     "Fundet i et kilovaremix",
                                     "Fået af en brevven i udlandet",
                                     "Købt på frimærkemesse i Odense",
                                     "Fra onkel Egons album",
                                     "Købt på nettet"};

const char *const kNoteDetails[] = {
    "let tonet i takkerne.",      "tynd plet på bagsiden.", "pænt centreret.",
    "stemplet med pragtstempel.", "mangler en tak.",        "original gummi uden hængselsspor.",
    "let buk i øverste hjørne.",  "attest medfølger.",      "farven er lidt falmet.",
    "skal tjekkes mod katalog."};

constexpr int kFirstYear = 1851;
constexpr int kLastYear = 2025;
constexpr int kTextLimit = 30; // the width of the lookup and country columns

// Characters, not bytes: the column widths count letters.
int letters(const std::string &utf8)
{
    return int(std::count_if(utf8.begin(), utf8.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

// Own draws on top of mt19937, so that a seed gives the same collection with any library.
class Random
{
public:
    explicit Random(std::uint32_t seed) : m_engine(seed) {}
    int below(int n) { return n <= 1 ? 0 : int(m_engine() % std::uint32_t(n)); }
    double unit() { return m_engine() / 4294967296.0; }
    bool chance(double p) { return unit() < p; }
    // Earlier entries of a list are the common ones.
    template <typename T, size_t N> const char *common(T (&list)[N], double skew = 2.0)
    {
        return list[std::min(N - 1, size_t(double(N) * std::pow(unit(), skew)))];
    }
    template <typename T, size_t N> const char *any(T (&list)[N]) { return list[below(int(N))]; }

private:
    std::mt19937 m_engine;
};

[[noreturn]] void sqliteFailure(sqlite3 *db, const QString &file, const char *what)
{
    throw EDatabaseError(
        u"%1: %2: %3"_s.arg(file, QString::fromUtf8(what), QString::fromUtf8(sqlite3_errmsg(db))));
}

// One file filled in one transaction through one prepared INSERT; nothing is durable until
// commit, which is fine for a generated collection and makes 100,000 rows a matter of
// a second.
class BulkInsert
{
public:
    BulkInsert(const QString &folder, const TTableDef &table, const QStringList &columns)
        : m_file(table.fileName)
    {
        const QString path = QDir(folder).filePath(table.fileName);
        if (sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, SQLITE_OPEN_READWRITE,
                            nullptr) != SQLITE_OK)
            sqliteFailure(m_db, m_file, "open");
        exec("PRAGMA synchronous = OFF");
        exec("BEGIN");
        QStringList quoted;
        for (const QString &column : columns)
            quoted.append(u"\"%1\""_s.arg(column));
        const QString sql = u"INSERT INTO \"%1\" (%2) VALUES (%3)"_s.arg(
            QFileInfo(table.fileName).completeBaseName(), quoted.join(u", "_s),
            QStringList(columns.size(), u"?"_s).join(u", "_s));
        if (sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &m_insert, nullptr) != SQLITE_OK)
            sqliteFailure(m_db, m_file, "prepare");
    }
    BulkInsert(const BulkInsert &) = delete;
    BulkInsert &operator=(const BulkInsert &) = delete;
    ~BulkInsert()
    {
        sqlite3_finalize(m_insert);
        sqlite3_close_v2(m_db); // an uncommitted transaction rolls back here
    }

    sqlite3_stmt *statement() const { return m_insert; }
    // The text must live until insert(): nothing is copied.
    void text(int parameter, const std::string &value)
    {
        sqlite3_bind_text(m_insert, parameter, value.data(), int(value.size()), SQLITE_STATIC);
    }
    void text(int parameter, const char *value)
    {
        sqlite3_bind_text(m_insert, parameter, value, -1, SQLITE_STATIC);
    }
    void integer(int parameter, qint64 value) { sqlite3_bind_int64(m_insert, parameter, value); }
    void money(int parameter, qint64 cents)
    {
        sqlite3_bind_double(m_insert, parameter, double(cents) / 100.0);
    }
    void insert()
    {
        if (sqlite3_step(m_insert) != SQLITE_DONE)
            sqliteFailure(m_db, m_file, "insert");
        sqlite3_reset(m_insert);
        sqlite3_clear_bindings(m_insert);
    }
    void commit() { exec("COMMIT"); }

private:
    void exec(const char *sql)
    {
        if (sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
            sqliteFailure(m_db, m_file, sql);
    }

    QString m_file;
    sqlite3 *m_db = nullptr;
    sqlite3_stmt *m_insert = nullptr;
};

void fillLookup(const QString &folder, const TTableDef &table, const std::set<std::string> &values)
{
    BulkInsert file(folder, table, {table.fields.front().name});
    for (const std::string &value : values) {
        file.text(1, value);
        file.insert();
    }
    file.commit();
}

std::vector<std::string> countryNames(int count)
{
    std::vector<std::string> names;
    std::set<std::string> seen;
    const int base = int(std::size(kCountries));
    for (int i = 0; int(names.size()) < count; ++i) {
        const int round = i / base;
        if (round > int(std::size(kRegionSuffixes)))
            throw EDatabaseError(u"at most %1 countries can be made"_s.arg(names.size()));
        std::string name = kCountries[i % base];
        if (round > 0)
            name += kRegionSuffixes[round - 1];
        if (letters(name) <= kTextLimit && seen.insert(name).second)
            names.push_back(name);
    }
    return names;
}

// Zipf-like shares: the home country holds thousands, the tail a handful each. Every
// country gets a stamp while there are enough to go round.
std::vector<int> stampsPerCountry(int stamps, int countries)
{
    std::vector<double> weights(countries);
    double total = 0;
    for (int i = 0; i < countries; ++i)
        total += weights[i] = 1.0 / std::pow(i + 1.0, 1.3);
    const int floorEach = stamps >= countries ? 1 : 0;
    const int spread = stamps - floorEach * countries;
    std::vector<int> counts(countries);
    int given = 0;
    for (int i = 0; i < countries; ++i) {
        counts[i] = floorEach + int(spread * weights[i] / total);
        given += counts[i];
    }
    for (int i = 0; given < stamps; i = (i + 1) % countries, ++given)
        ++counts[i];
    return counts;
}

std::vector<std::string> seriesPool()
{
    std::vector<std::string> pool;
    for (const char *base : kSeriesBases)
        for (const char *variant : kSeriesVariants) {
            std::string name = std::string(base) + variant;
            if (letters(name) <= kTextLimit)
                pool.push_back(name);
        }
    return pool;
}

// Any catalogue but the dense one, AFA and Michel the most used.
const char *otherCatalogue(Random &random)
{
    const size_t others = std::size(kCatalogues) - 1;
    return kCatalogues[1 +
                       std::min(others - 1, size_t(double(others) * std::pow(random.unit(), 2.5)))];
}

std::string date(Random &random, int year)
{
    char text[32];
    std::snprintf(text, sizeof text, "%02d-%02d-%04d", 1 + random.below(28), 1 + random.below(12),
                  year);
    return text;
}

// Most stamps are cheap; a few are worth thousands.
qint64 priceCents(Random &random)
{
    const double u = random.unit();
    return std::max<qint64>(1, std::llround(25.0 * std::pow(10.0, 4.5 * u * u * u)));
}

int copies(Random &random)
{
    static const int table[] = {0, 0, 0, 0, 1, 1, 1, 2, 2, 3, 4, 5};
    return table[random.below(int(std::size(table)))];
}

} // namespace

GeneratedCollection generateCollection(const QString &dataFolder, const CollectionSize &options)
{
    if (options.stamps < 0 || options.countries < 1 || options.seriesListSize < 0)
        throw EDatabaseError(u"a collection needs at least one country and no negative sizes"_s);
    const QString data = QFileInfo(dataFolder).absoluteFilePath();
    if (QFileInfo::exists(data))
        throw EDatabaseError(u"%1: exists already; a collection is never generated over one"_s.arg(
            QDir::toNativeSeparators(data)));
    if (!QDir().mkpath(QFileInfo(data).absolutePath()))
        throw EDatabaseError(u"%1: the folder cannot be created"_s.arg(dataFolder));
    TDM::CreateDataFolderIfMissing(data);

    using namespace CollectionSchema;
    Random random(options.seed);
    const std::vector<std::string> lands = countryNames(options.countries);
    const std::vector<int> counts = stampsPerCountry(options.stamps, options.countries);

    std::vector<int> countryOf;
    countryOf.reserve(options.stamps);
    for (int c = 0; c < options.countries; ++c)
        countryOf.insert(countryOf.end(), counts[c], c);
    for (int i = int(countryOf.size()) - 1; i > 0; --i)
        std::swap(countryOf[i], countryOf[random.below(i + 1)]);

    // Exactly one stamp in a hundred is catalogued in Facit, so a filter on it selects a
    // known share of the collection.
    const int denseStamps = options.stamps / 100;
    std::vector<bool> dense(options.stamps, false);
    {
        std::vector<int> order(options.stamps);
        for (int i = 0; i < options.stamps; ++i)
            order[i] = i;
        for (int i = 0; i < denseStamps; ++i) {
            std::swap(order[i], order[i + random.below(options.stamps - i)]);
            dense[order[i]] = true;
        }
    }

    const std::vector<std::string> seriesNames = seriesPool();
    std::set<std::string> usedCatalogues, usedSeries, usedColours, usedKinds, usedTypes,
        usedQualities;

    QStringList columns;
    for (const TFieldDef &field : stamps().fields)
        if (field.type != TFieldType::AutoInc)
            columns.append(field.name);
    auto p = [&](const QString &name) {
        const qsizetype index = columns.indexOf(name);
        if (index < 0)
            throw EDatabaseError(u"Tmb_Mark.DB: the generator does not know field %1"_s.arg(name));
        return int(index) + 1;
    };
    const int pLand = p(u"Land"_s), pKatalog = p(u"Katalog"_s), pRegNr = p(u"RegNr"_s),
              pSerie = p(u"Serie"_s), pArt = p(u"Art"_s), pPaalydende = p(u"Paalydende"_s),
              pVaerdiUbrugt = p(u"VaerdiUbrugt"_s), pEkstra = p(u"Ekstra"_s),
              pKatalognr = p(u"Katalognr"_s), pAnskaffet = p(u"Anskaffet"_s),
              pUdgivet = p(u"Udgivet"_s), pMotiv = p(u"Motiv"_s), pType = p(u"Type"_s),
              pFarve = p(u"Farve"_s), pTakning = p(u"Takning"_s), pKvalitet = p(u"Kvalitet"_s),
              pVandmarke = p(u"Vandmarke"_s), pNotater = p(u"Notater"_s), pAntal = p(u"Antal"_s),
              pStempel = p(u"Stempel"_s), pIalt = p(u"Ialt"_s), pAarstal = p(u"Aarstal"_s),
              pKunstner = p(u"Kunstner"_s), pStemplet = p(u"Stemplet"_s),
              pUstemplet = p(u"Ustemplet"_s), pUbrugt = p(u"Ubrugt"_s),
              pVaerdiStemplet = p(u"VaerdiStemplet"_s), pVaerdiUstemplet = p(u"VaerdiUstemplet"_s),
              pKatalogvardi = p(u"Katalogvardi"_s);

    std::vector<int> nextRegNr(options.countries, 1);
    {
        BulkInsert file(data, stamps(), columns);
        std::string katalognr, issued, acquired, note;
        for (int i = 0; i < options.stamps; ++i) {
            const int country = countryOf[i];
            const char *catalogue = dense[i] ? kCatalogues[0] : otherCatalogue(random);
            const std::string &serie = seriesNames[random.below(int(seriesNames.size()))];
            const char *kind = random.common(kKinds, 3.0);
            const char *type = random.common(kTypes, 2.5);
            const char *colour = random.common(kColours, 1.8);
            const char *quality = random.any(kQualities);
            usedCatalogues.insert(catalogue);
            usedSeries.insert(serie);
            usedKinds.insert(kind);
            usedTypes.insert(type);
            usedColours.insert(colour);
            usedQualities.insert(quality);

            // Later years are better represented, as in most collections.
            const int year =
                kFirstYear + int((kLastYear - kFirstYear + 1) * std::sqrt(random.unit()));
            issued = date(random, std::min(year, kLastYear));
            acquired = date(random, std::max(year, 1960) +
                                        random.below(kLastYear - std::max(year, 1960) + 1));
            katalognr = std::to_string(1 + random.below(3000));
            if (random.chance(0.15))
                katalognr += char('a' + random.below(4));
            note = std::string(random.any(kNoteOpenings)) + ' ' +
                   std::to_string(1960 + random.below(kLastYear - 1960 + 1)) + ", " +
                   random.any(kNoteDetails);

            int unused = copies(random), cancelled = copies(random), ungummed = copies(random);
            if (unused + cancelled + ungummed == 0)
                cancelled = 1;
            const qint64 unusedValue = priceCents(random);
            const qint64 cancelledValue =
                std::max<qint64>(1, std::llround(unusedValue * (0.3 + 1.2 * random.unit())));
            const qint64 ungummedValue =
                std::max<qint64>(1, std::llround(unusedValue * (0.5 + 0.5 * random.unit())));

            file.text(pLand, lands[country]);
            file.text(pKatalog, catalogue);
            file.integer(pRegNr, std::min(nextRegNr[country]++, 32767));
            file.text(pSerie, serie);
            file.text(pArt, kind);
            file.text(pPaalydende, random.common(kFaceValues, 1.5));
            file.money(pVaerdiUbrugt, unusedValue);
            file.text(pEkstra, random.any(kExtras));
            file.text(pKatalognr, katalognr);
            file.text(pAnskaffet, acquired);
            file.text(pUdgivet, issued);
            file.text(pMotiv, random.any(kMotifs));
            file.text(pType, type);
            file.text(pFarve, colour);
            file.text(pTakning, random.common(kPerforations, 2.0));
            file.text(pKvalitet, quality);
            file.text(pVandmarke, random.common(kWatermarks, 1.5));
            file.text(pNotater, note);
            file.integer(pAntal, unused + cancelled + ungummed);
            file.text(pStempel, cancelled > 0 ? random.common(kPostmarks, 2.0) : "");
            file.money(pIalt, unusedValue * unused + cancelledValue * cancelled +
                                  ungummedValue * ungummed);
            file.integer(pAarstal, year);
            file.text(pKunstner, random.any(kArtists));
            file.integer(pStemplet, cancelled);
            file.integer(pUstemplet, ungummed);
            file.integer(pUbrugt, unused);
            file.money(pVaerdiStemplet, cancelledValue);
            file.money(pVaerdiUstemplet, ungummedValue);
            file.money(pKatalogvardi, std::max({unusedValue, cancelledValue, ungummedValue}));
            file.insert();
        }
        file.commit();
    }

    // Series the collector typed in once and never used, up to the asked length.
    for (int year = kFirstYear;
         year <= kLastYear && int(usedSeries.size()) < options.seriesListSize; ++year)
        for (const char *base : kSeriesBases) {
            if (int(usedSeries.size()) >= options.seriesListSize)
                break;
            std::string name = std::string(base) + ' ' + std::to_string(year);
            if (letters(name) <= kTextLimit)
                usedSeries.insert(name);
        }

    fillLookup(data, countries(), std::set<std::string>(lands.begin(), lands.end()));
    fillLookup(data, catalogues(), usedCatalogues);
    fillLookup(data, series(), usedSeries);
    fillLookup(data, colours(), usedColours);
    fillLookup(data, kinds(), usedKinds);
    fillLookup(data, types(), usedTypes);
    fillLookup(data, qualities(), usedQualities);

    GeneratedCollection made;
    made.busyCatalogue = QString::fromUtf8(kCatalogues[0]);
    made.busyCatalogueStamps = denseStamps;
    made.firstCountryWithStamps = QString::fromStdString(lands.front());
    // Near the end in the order the series list shows, which is the Danish one.
    std::vector<std::pair<QByteArray, QString>> shown;
    for (const std::string &name : usedSeries) {
        const QString text = QString::fromStdString(name);
        shown.emplace_back(Collation::sortKey(text), text);
    }
    std::sort(shown.begin(), shown.end());
    if (!shown.empty())
        made.lastSeriesEntry = shown[shown.size() - std::min<size_t>(3, shown.size())].second;
    return made;
}
