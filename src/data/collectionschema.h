#pragma once

#include "tablefile.h"

#include <vector>

// The nine files of a collection: names, fields in their order, keys and indexes. The
// data module declares its field objects from these, and a new collection is created
// from them, so the two can never disagree.
namespace CollectionSchema {

inline const QString &dataFolder()
{
    static const QString folder = QStringLiteral(".\\Data");
    return folder;
}

const TTableDef &countries();
const TTableDef &stamps();
const TTableDef &catalogues();
const TTableDef &series();
const TTableDef &colours();
const TTableDef &kinds();
const TTableDef &types();
const TTableDef &qualities();
const TTableDef &configuration();
const std::vector<const TTableDef *> &all();

} // namespace CollectionSchema
