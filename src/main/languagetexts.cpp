#include "languagetexts.h"

#include "statustext.h"

using namespace Qt::Literals::StringLiterals;

const LanguageTexts &languageTexts(int index)
{
    // Norwegian and Swedish share some Danish texts; German shares some English ones.
    static const LanguageTexts dansk{
        u"Dansk"_s,
        u"Help/Dansk/index.html"_s,
        u"Albumino"_s,
        u"Inden du anvender programmet, vil det være en god ide, at læse vejledningen til "
        u"programmet"_s,
        u"Der skal oprettes et land, før du begynder at registrere dine frimærker!"_s,
        StatusText::danish,
        u"Data for dette program er placeret i: "_s,
        u"Det er meget vigtigt, at du sikkerhedskopierer filer i datamappen mindst en gang om "
        u"dagen!"_s,
        u"VIGTIGT!"_s,
        u"Dette program må IKKE være åbent under sikkerhedskopiering af data."_s,
        u"Vælg mappe til sikkerhedskopier"_s,
        u"Sikkerhedskopien er gemt i:\n\r%1\n\r\n\r%2 frimærker, %3 lande og %4 billeder."_s};
    static const LanguageTexts english{
        u"English"_s,
        u"Help/Engelsk/index.html"_s,
        u"Albumino"_s,
        u"Before using this program, it would be a good idea, to read the on-line help!"_s,
        u"A country must be registered before you register your stamps!"_s,
        StatusText::english,
        u"Data for this program are located in: "_s,
        u"It is very important, to backup files in the data folder at least once a day!"_s,
        u"IMPORTANT!"_s,
        u"This program should NOT be open during data backup."_s,
        u"Choose the folder for backups"_s,
        u"The backup has been saved in:\n\r%1\n\r\n\r%2 stamps, %3 countries and %4 pictures."_s};
    static const LanguageTexts norsk{
        u"Norsk"_s,
        u"Help/Norsk/index.html"_s,
        u"Albumino"_s,
        dansk.firstRun,
        dansk.noCountry,
        StatusText::danish,
        u"Data for dette programmet ligger i: "_s,
        u"Det er svært viktig at du sikkerhetskopierer data filene i mappen minst en gang om "
        u"dagen!"_s,
        u"VIGTIGT!"_s,
        u"Dette programmet bør IKKE være åpen under sikkerhetskopiering av data."_s,
        u"Velg mappe for sikkerhetskopier"_s,
        u"Sikkerhetskopien er lagret i:\n\r%1\n\r\n\r%2 frimerker, %3 land og %4 bilder."_s};
    static const LanguageTexts svensk{
        u"Svensk"_s,
        u"Help/Svensk/index.html"_s,
        u"Albumino"_s,
        u"Innan du användar programmet, vill det vära en god ide, at läsa vägledningen til "
        u"programmet"_s,
        u"Du skall registrera et land, innan du börjer registrera dina frimärker!"_s,
        StatusText::danish,
        u"Data för detta program finns i: "_s,
        u"Det är mycket viktigt att du säkerhetskopierar data filer i mappen minst en gång om "
        u"dagen!"_s,
        u"VIGTIGT!"_s,
        u"Detta program bör inte vara öppet under säkerhetskopiering av data."_s,
        u"Välj mapp för säkerhetskopior"_s,
        u"Säkerhetskopian har sparats i:\n\r%1\n\r\n\r%2 frimärken, %3 länder och %4 bilder."_s};
    static const LanguageTexts deutsch{
        u"Deutsch"_s,
        u"Help/Tysk/index.html"_s,
        u"Dizadariduz"_s,
        u"Bevor Sie dieses Programm benutzen, empfelen wir Ihnen, die Anleitung zum Gebrauch "
        u"des Programmes zu lesen!"_s,
        english.noCountry,
        StatusText::german,
        u"Die Daten für dieses Programm befinden sich in: "_s,
        u"Es ist sehr wichtig, dass Sie eine Sicherungskopie von Daten-Dateien, mindestens "
        u"einmal pro Tag!"_s,
        u"Von großer Bedeutung!"_s,
        u"Dieses Programm sollte nicht geöffnet werden, während der Daten-Backup."_s,
        u"Ordner für Sicherungskopien wählen"_s,
        u"Die Sicherungskopie wurde gespeichert in:\n\r%1\n\r\n\r%2 Briefmarken, %3 Länder und %4 "
        u"Bilder."_s};
    switch (Language(index)) {
    case Language::English:
        return english;
    case Language::Norsk:
        return norsk;
    case Language::Svensk:
        return svensk;
    case Language::Deutsch:
        return deutsch;
    default:
        return dansk;
    }
}
