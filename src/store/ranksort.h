#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QHash>

#include <map>
#include <vector>

// Sorts record keys by their values of some order fields, in the order the table engine
// shows them: per field, empty values first, then numbers by value or texts by their Danish
// sort key (letter case ignored, Æ, Ø, Å after Z); the key breaks ties. Each field's
// distinct values are ranked once and the records then sorted by their ranks, so a text is
// turned into a sort key once however many records share it.
class RankSort
{
public:
    // One flag per order field: true for a text field, false for a number field.
    explicit RankSort(std::vector<bool> textFields);

    // A record: its key, then one value per order field, in field order.
    void addRecord(qint64 key);
    void addEmpty();
    void addText(QByteArrayView utf8);
    void addNumber(double value);

    // Every key added, in order.
    std::vector<qint64> sortedKeys();

private:
    std::vector<bool> m_textFields;
    std::vector<qint64> m_keys;
    std::vector<quint32> m_ids; // per record and field: 0 when empty, else a value's id
    size_t m_field = 0;         // the field the next value belongs to
    std::vector<QHash<QByteArray, quint32>> m_textIds;
    std::vector<std::vector<QByteArray>> m_texts;
    std::vector<std::map<double, quint32>> m_numberIds;
    std::vector<quint32> m_previousTextId; // the last text's id, per field: records in a row
                                           // often share it
};
