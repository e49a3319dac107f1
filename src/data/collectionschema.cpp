#include "collectionschema.h"

using namespace Qt::Literals::StringLiterals;

namespace CollectionSchema {

namespace {

TTableDef lookupList(const QString &fileName, const QString &field, int size)
{
    return TTableDef{fileName, {{field, TFieldType::String, size}}, {field}, {}, {}};
}

} // namespace

const TTableDef &countries()
{
    static const TTableDef table = lookupList(u"Tmb_Land.db"_s, u"Land"_s, 30);
    return table;
}

const TTableDef &stamps()
{
    using T = TFieldType;
    static const TTableDef table{
        u"Tmb_Mark.DB"_s,
        {
            {u"Land"_s, T::String, 30},         {u"Katalog"_s, T::String, 20},
            {u"RegNr"_s, T::SmallInt},          {u"Serie"_s, T::String, 30},
            {u"Art"_s, T::String, 30},          {u"Num"_s, T::AutoInc},
            {u"Paalydende"_s, T::String, 10},   {u"VaerdiUbrugt"_s, T::Currency},
            {u"Ekstra"_s, T::String, 8},        {u"Katalognr"_s, T::String, 10},
            {u"Anskaffet"_s, T::String, 10},    {u"Udgivet"_s, T::String, 10},
            {u"Motiv"_s, T::String, 30},        {u"Type"_s, T::String, 30},
            {u"Farve"_s, T::String, 30},        {u"Takning"_s, T::String, 30},
            {u"Kvalitet"_s, T::String, 30},     {u"Vandmarke"_s, T::String, 30},
            {u"Notater"_s, T::Memo, 240},       {u"Billede"_s, T::Blob},
            {u"Antal"_s, T::SmallInt},          {u"Stempel"_s, T::String, 9},
            {u"Ialt"_s, T::Currency},           {u"Aarstal"_s, T::SmallInt},
            {u"Kunstner"_s, T::String, 30},     {u"Stemplet"_s, T::SmallInt},
            {u"Ustemplet"_s, T::SmallInt},      {u"Ubrugt"_s, T::SmallInt},
            {u"VaerdiStemplet"_s, T::Currency}, {u"VaerdiUstemplet"_s, T::Currency},
            {u"Katalogvardi"_s, T::Currency},
        },
        {},
        {
            {u"IndexLand"_s, {u"Land"_s, u"Num"_s}},
            {u"IndexKatalog"_s, {u"Katalog"_s, u"Num"_s}},
            {u"IndexSerie"_s, {u"Serie"_s, u"Num"_s}},
            {u"IndexArt"_s, {u"Art"_s, u"Num"_s}},
        },
        {}};
    return table;
}

const TTableDef &catalogues()
{
    static const TTableDef table = lookupList(u"Tmb_Kata.db"_s, u"Katalog"_s, 20);
    return table;
}

const TTableDef &series()
{
    static const TTableDef table = lookupList(u"Tmb_Seri.db"_s, u"Serie"_s, 30);
    return table;
}

const TTableDef &colours()
{
    static const TTableDef table = lookupList(u"Tmb_Farv.db"_s, u"Farve"_s, 30);
    return table;
}

const TTableDef &kinds()
{
    static const TTableDef table = lookupList(u"Tmb_Art.db"_s, u"Art"_s, 30);
    return table;
}

const TTableDef &types()
{
    static const TTableDef table = lookupList(u"Tmb_Type.db"_s, u"Type"_s, 30);
    return table;
}

const TTableDef &qualities()
{
    static const TTableDef table = lookupList(u"Tmb_Kval.db"_s, u"Kvalitet"_s, 30);
    return table;
}

const TTableDef &configuration()
{
    // A new user starts at the design size, in Danish.
    static const TTableDef table{u"Config.DB"_s,
                                 {{u"Hojde"_s, TFieldType::Integer},
                                  {u"Bredde"_s, TFieldType::Integer},
                                  {u"Sprog"_s, TFieldType::Integer}},
                                 {},
                                 {},
                                 {{768, 1024, -1}}};
    return table;
}

const std::vector<const TTableDef *> &all()
{
    static const std::vector<const TTableDef *> tables{
        &countries(), &stamps(), &catalogues(), &series(),       &colours(),
        &kinds(),     &types(),  &qualities(),  &configuration()};
    return tables;
}

} // namespace CollectionSchema
