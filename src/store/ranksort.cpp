#include "ranksort.h"

#include "collation.h"

#include <algorithm>
#include <numeric>

RankSort::RankSort(std::vector<bool> textFields)
    : m_textFields(std::move(textFields)), m_textIds(m_textFields.size()),
      m_texts(m_textFields.size()), m_numberIds(m_textFields.size()),
      m_previousTextId(m_textFields.size(), 0)
{}

void RankSort::addRecord(qint64 key)
{
    m_keys.push_back(key);
    m_field = 0;
}

void RankSort::addEmpty()
{
    m_ids.push_back(0);
    ++m_field;
}

void RankSort::addText(QByteArrayView utf8)
{
    const QByteArray probe = QByteArray::fromRawData(utf8.data(), utf8.size());
    quint32 &previous = m_previousTextId[m_field];
    if (previous == 0 || m_texts[m_field][previous - 1] != probe) {
        auto it = m_textIds[m_field].constFind(probe);
        if (it == m_textIds[m_field].constEnd()) {
            m_texts[m_field].emplace_back(utf8.data(), utf8.size());
            it = m_textIds[m_field].insert(m_texts[m_field].back(),
                                           quint32(m_texts[m_field].size()));
        }
        previous = it.value();
    }
    m_ids.push_back(previous);
    ++m_field;
}

void RankSort::addNumber(double value)
{
    auto &ids = m_numberIds[m_field];
    const auto [it, added] = ids.try_emplace(value, quint32(ids.size() + 1));
    Q_UNUSED(added);
    m_ids.push_back(it->second);
    ++m_field;
}

std::vector<qint64> RankSort::sortedKeys()
{
    const size_t width = m_textFields.size();
    // Turn first-seen ids into ranks of the order; equal sort keys share a rank.
    for (size_t field = 0; field < width; ++field) {
        std::vector<quint32> rankOfId;
        if (m_textFields[field]) {
            const auto &values = m_texts[field];
            std::vector<QByteArray> keys;
            keys.reserve(values.size());
            for (const QByteArray &value : values)
                keys.push_back(Collation::sortKey(QString::fromUtf8(value)));
            std::vector<quint32> byKey(values.size());
            std::iota(byKey.begin(), byKey.end(), 0);
            std::sort(byKey.begin(), byKey.end(),
                      [&](quint32 a, quint32 b) { return keys[a] < keys[b]; });
            rankOfId.assign(values.size() + 1, 0);
            quint32 rank = 0;
            for (size_t i = 0; i < byKey.size(); ++i) {
                if (i == 0 || keys[byKey[i]] != keys[byKey[i - 1]])
                    ++rank;
                rankOfId[byKey[i] + 1] = rank;
            }
        } else {
            rankOfId.assign(m_numberIds[field].size() + 1, 0);
            quint32 rank = 0;
            for (const auto &[value, id] : m_numberIds[field])
                rankOfId[id] = ++rank;
        }
        for (size_t row = 0; row < m_keys.size(); ++row) {
            quint32 &value = m_ids[row * width + field];
            value = rankOfId[value];
        }
    }
    std::vector<quint32> permutation(m_keys.size());
    std::iota(permutation.begin(), permutation.end(), 0);
    std::sort(permutation.begin(), permutation.end(), [&](quint32 a, quint32 b) {
        for (size_t field = 0; field < width; ++field) {
            const quint32 ra = m_ids[a * width + field];
            const quint32 rb = m_ids[b * width + field];
            if (ra != rb)
                return ra < rb;
        }
        return m_keys[a] < m_keys[b];
    });
    std::vector<qint64> sorted(m_keys.size());
    for (size_t i = 0; i < permutation.size(); ++i)
        sorted[i] = m_keys[permutation[i]];
    return sorted;
}
