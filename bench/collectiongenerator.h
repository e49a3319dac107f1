#pragma once

#include <QString>

// Writes a realistic collection into a new data folder: countries, stamps with every field
// filled the way collectors fill them, and the lookup lists of the values used. The same
// seed gives the same collection.
struct CollectionSize
{
    int stamps = 100000;
    int countries = 250;
    int seriesListSize = 0; // pads the series list to this many entries (0: as used)
    unsigned seed = 1;
};

struct GeneratedCollection
{
    QString busyCatalogue; // a catalogue with about one stamp in a hundred
    int busyCatalogueStamps = 0;
    QString lastSeriesEntry; // an entry near the end of the series list
    QString firstCountryWithStamps;
};

// Throws EDatabaseError when the folder exists or cannot be written.
GeneratedCollection generateCollection(const QString &dataFolder, const CollectionSize &size);
