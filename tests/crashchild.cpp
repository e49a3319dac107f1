// Saves stamps into a collection until it is killed, and tells its parent on stdout exactly
// what each save wrote:
//   R                      the collection is open
//   C <country>            a country was saved
//   P <num|new>\t<values>  a stamp is about to be saved (it may or may not be when killed)
//   S <num>\t<values>      a stamp was saved; Post has returned
// Values are Field=text pairs separated by tabs; text is UTF-8 with %, control bytes and
// DEL as %XX. Empty text stands for an empty field. Money is written as the C form of the
// double with 17 digits, so the parent can compare it with the file exactly.
//
// Usage: albumino_crash_child FOLDER SEED

#include "crashvalues.h"
#include "databaseerror.h"
#include "dm.h"

#include <QCoreApplication>
#include <QDir>
#include <QLocale>
#include <QRandomGenerator>
#include <QStringList>

#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

using namespace Qt::Literals::StringLiterals;

namespace {

enum class Kind
{
    Text,
    Lookup,
    Memo,
    Picture,
    Number,
    Count, // empty is saved as 0 by the stamp rules
    Money,
    Value // money; empty is saved as 0 by the stamp rules
};

struct Column
{
    const char16_t *name;
    Kind kind;
    int size; // characters of a text, or the largest number
};

// Every field of a stamp but the country, the number and the total.
const Column columns[] = {
    {u"Katalog", Kind::Lookup, 20},       {u"RegNr", Kind::Number, 32767},
    {u"Serie", Kind::Lookup, 30},         {u"Art", Kind::Lookup, 30},
    {u"Paalydende", Kind::Text, 10},      {u"VaerdiUbrugt", Kind::Value, 0},
    {u"Ekstra", Kind::Text, 8},           {u"Katalognr", Kind::Text, 10},
    {u"Anskaffet", Kind::Text, 10},       {u"Udgivet", Kind::Text, 10},
    {u"Motiv", Kind::Text, 30},           {u"Type", Kind::Lookup, 30},
    {u"Farve", Kind::Lookup, 30},         {u"Takning", Kind::Text, 30},
    {u"Kvalitet", Kind::Lookup, 30},      {u"Vandmarke", Kind::Text, 30},
    {u"Notater", Kind::Memo, 240},        {u"Billede", Kind::Picture, 0},
    {u"Antal", Kind::Number, 999},        {u"Stempel", Kind::Text, 9},
    {u"Aarstal", Kind::Number, 2030},     {u"Kunstner", Kind::Text, 30},
    {u"Stemplet", Kind::Count, 0},        {u"Ustemplet", Kind::Count, 0},
    {u"Ubrugt", Kind::Count, 0},          {u"VaerdiStemplet", Kind::Value, 0},
    {u"VaerdiUstemplet", Kind::Value, 0}, {u"Katalogvardi", Kind::Money, 0},
};

const QStringList countryNames = {u"Danmark"_s,          u"Norge"_s,    u"Sverige"_s, u"Island"_s,
                                  u"Færøerne"_s,         u"Grønland"_s, u"Finland"_s, u"Tyskland"_s,
                                  u"Dansk Vestindien"_s, u"Slesvig"_s};

// Repeated values of the pick-list fields; new ones are made up as well.
QStringList poolOf(const QString &field)
{
    if (field == u"Katalog")
        return {u"AFA"_s, u"Facit"_s, u"Michel"_s, u"Scott"_s, u"Stanley Gibbons"_s, u"NK"_s};
    if (field == u"Serie")
        return {u"Bølgelinier"_s, u"Chr. X"_s, u"Karavel"_s, u"Posthorn"_s, u"Tårne"_s};
    if (field == u"Art")
        return {u"Frimærke"_s, u"Brev"_s, u"Helsag"_s, u"FDC"_s, u"Miniark"_s};
    if (field == u"Type")
        return {u"Alm."_s, u"Luftpost"_s, u"Porto"_s, u"Tjeneste"_s};
    if (field == u"Farve")
        return {u"rød"_s, u"blå"_s, u"grøn"_s, u"brun-lilla"_s, u"sort"_s};
    return {u"**"_s, u"*"_s, u"(*)"_s, u"O"_s, u"Ø"_s};
}

class Writer
{
public:
    explicit Writer(quint32 seed) : m_random(seed) {}

    void run()
    {
        TDM::CreateDataFolderIfMissing();
        TDM dm;
        dm.ConfigTable->Open();
        dm.OpenTables();
        emitLine("R");
        while (dm.LandTable->RecordCount() < 4)
            addCountry(dm);
        for (;;) {
            const int choice = pick(100);
            if (choice < 2)
                addCountry(dm);
            else if (choice < 35 && dm.FrimAllTable->RecordCount() > 0)
                editStamp(dm);
            else
                appendStamp(dm);
        }
    }

private:
    int pick(int bound) { return int(m_random.bounded(bound)); }
    bool chance(int percent) { return pick(100) < percent; }

    static QByteArray encoded(const QString &text)
    {
        QByteArray out;
        for (const char c : text.toUtf8()) {
            const auto byte = static_cast<unsigned char>(c);
            if (byte < 0x20 || byte == 0x7f || byte == '%')
                out += '%' + QByteArray::number(byte, 16).rightJustified(2, '0').toUpper();
            else
                out += c;
        }
        return out;
    }

    static void emitLine(const QByteArray &line)
    {
        // One write of the whole line; the parent ignores a line it gets without its end.
        std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
        std::fputc('\n', stdout);
        std::fflush(stdout);
    }

    static QByteArray valuesLine(const std::vector<std::pair<QString, QString>> &values)
    {
        QByteArray line;
        for (const auto &[name, text] : values)
            line += '\t' + name.toUtf8() + '=' + encoded(text);
        return line;
    }

    QString word(int maxLength)
    {
        static const QString letters =
            u"abcdefghijklmnopqrstuvwxyzæøåABCDEFGHIJKLMNOPQRSTUVWXYZÆØÅ0123456789 -./'\""_s;
        const int length = 1 + pick(maxLength);
        QString text;
        for (int i = 0; i < length; ++i)
            text += letters.at(pick(int(letters.size())));
        return text;
    }

    QString lookupValue(const QString &field, int size)
    {
        const QStringList pool = poolOf(field);
        const int choice = pick(100);
        if (choice < 10)
            return {};
        if (choice < 65)
            return pool.at(pick(int(pool.size())));
        if (choice < 75) {
            // Known in another letter case: the list keeps its own spelling.
            const QString known = pool.at(pick(int(pool.size())));
            return chance(50) ? known.toUpper() : known.toLower();
        }
        return (u"Ny "_s + word(size - 3)).left(size);
    }

    QString memo()
    {
        static const QStringList pieces = {
            u"Købt på auktion"_s, u"\n"_s,     u"\t"_s,           u"100% ægte"_s, u"a=b"_s,
            u"\"tynd\" plet"_s,   u"hjørne"_s, u"Ærø → Åbenrå"_s, u"\r\n"_s,      u"🙂"_s};
        QString text;
        const int count = 1 + pick(12);
        for (int i = 0; i < count; ++i)
            text += chance(60) ? pieces.at(pick(int(pieces.size()))) : word(20);
        text.truncate(240);
        // Never half a character.
        if (!text.isEmpty() && text.back().isHighSurrogate())
            text.chop(1);
        return text;
    }

    // The text to type into the field and the value the file must then hold.
    std::pair<QString, QString> valueFor(const Column &column)
    {
        const QString name = QString::fromUtf16(column.name);
        switch (column.kind) {
        case Kind::Text:
            return chance(20) ? std::pair<QString, QString>{} : same(word(column.size));
        case Kind::Lookup:
            return same(lookupValue(name, column.size));
        case Kind::Memo:
            return chance(30) ? std::pair<QString, QString>{} : same(memo());
        case Kind::Picture:
            return chance(70) ? std::pair<QString, QString>{}
                              : same(u"Billeder/%1.jpg"_s.arg(pick(100000)));
        case Kind::Number:
            return chance(15) ? std::pair<QString, QString>{}
                              : same(QString::number(pick(column.size + 1)));
        case Kind::Count:
            if (chance(25))
                return {QString(), u"0"_s};
            return same(QString::number(pick(50)));
        case Kind::Money:
        case Kind::Value: {
            if (chance(25))
                return {QString(), column.kind == Kind::Value ? u"0"_s : QString()};
            const int cents = pick(1000000);
            // Typed as a Danish collector types it.
            const QString typed =
                u"%1,%2"_s.arg(cents / 100).arg(cents % 100, 2, 10, QLatin1Char('0'));
            return {typed, QString::number(cents / 100.0, 'g', 17)};
        }
        }
        return {};
    }

    static std::pair<QString, QString> same(const QString &text) { return {text, text}; }

    void addCountry(TDM &dm)
    {
        QString name;
        for (const QString &candidate : countryNames)
            if (!dm.LandTable->Locate(u"Land"_s, candidate)) {
                name = candidate;
                break;
            }
        if (name.isEmpty())
            return;
        dm.LandTable->Append();
        dm.LandTable->FieldByName(u"Land"_s)->setAsString(name);
        dm.LandTable->Post();
        emitLine("C " + encoded(name));
    }

    std::vector<std::pair<QString, QString>> fill(TDM &dm)
    {
        std::vector<std::pair<QString, QString>> expected;
        expected.emplace_back(u"Land"_s, dm.FrimTableLand->AsString());
        for (const Column &column : columns) {
            const auto [typed, value] = valueFor(column);
            const QString name = QString::fromUtf16(column.name);
            dm.FrimTable->FieldByName(name)->setAsString(typed);
            expected.emplace_back(name, value);
        }
        return expected;
    }

    // num is 0 for a new stamp.
    void post(TDM &dm, std::vector<std::pair<QString, QString>> expected, int num)
    {
        emitLine("P " + (num ? QByteArray::number(num) : "new") + valuesLine(expected));
        dm.FrimTable->Post();
        expected.emplace_back(u"Ialt"_s, crashValueText(dm.FrimTableIalt->Value()));
        // The cursor shows the record as saved; it must be the one that was typed.
        const int saved = dm.FrimTableNum->AsInteger();
        if (num && saved != num)
            fatal(u"stamp %1 was saved as %2"_s.arg(num).arg(saved));
        for (const auto &[name, value] : expected) {
            const QString text = crashValueText(dm.FrimTable->FieldByName(name)->Value());
            if (text != value)
                fatal(u"stamp %1: %2 is '%3' after Post, '%4' was typed"_s.arg(saved).arg(
                    name, text, value));
        }
        emitLine("S " + QByteArray::number(saved) + valuesLine(expected));
    }

    [[noreturn]] static void fatal(const QString &message)
    {
        std::fprintf(stderr, "%s\n", message.toUtf8().constData());
        std::exit(3);
    }

    void appendStamp(TDM &dm)
    {
        dm.LandTable->setRecNo(1 + pick(dm.LandTable->RecordCount()));
        dm.FrimTable->Append();
        post(dm, fill(dm), 0);
    }

    void editStamp(TDM &dm)
    {
        dm.FrimAllTable->setRecNo(1 + pick(dm.FrimAllTable->RecordCount()));
        const int num = dm.FrimAllTable->FieldByName(u"Num"_s)->AsInteger();
        const QString country = dm.FrimAllTable->FieldByName(u"Land"_s)->AsString();
        if (!dm.LandTable->Locate(u"Land"_s, country) || !dm.FrimTable->Locate(u"Num"_s, num))
            fatal(u"stamp %1 of %2 cannot be found"_s.arg(num).arg(country));
        dm.FrimTable->Edit();
        post(dm, fill(dm), num);
    }

    QRandomGenerator m_random;
};

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s FOLDER SEED\n", argv[0]);
        return 2;
    }
    QLocale::setDefault(QLocale(QLocale::Danish, QLocale::Denmark));
    if (!QDir::setCurrent(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "%s: no such folder\n", argv[1]);
        return 2;
    }
    try {
        Writer(quint32(std::strtoul(argv[2], nullptr, 10))).run();
    } catch (const EDatabaseError &error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}
