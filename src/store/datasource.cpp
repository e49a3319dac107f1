#include "datasource.h"

#include "table.h"

#include <QVarLengthArray>

#include <algorithm>

TDataLink::~TDataLink()
{
    setDataSource(nullptr);
}

void TDataLink::setDataSource(TDataSource *source)
{
    if (m_source == source)
        return;
    if (m_source)
        m_source->removeLink(this);
    m_source = source;
    if (m_source)
        m_source->addLink(this);
}

TTable *TDataLink::DataSet() const
{
    return m_source ? m_source->DataSet() : nullptr;
}

TDataSource::TDataSource(QObject *parent) : QObject(parent) {}

TDataSource::~TDataSource()
{
    for (TTable *detail : std::vector<TTable *>(m_details))
        detail->setMasterSource(nullptr);
    for (TDataLink *link : std::vector<TDataLink *>(m_links))
        link->setDataSource(nullptr);
    setDataSet(nullptr);
}

void TDataSource::setDataSet(TTable *table)
{
    if (m_dataSet == table)
        return;
    if (m_dataSet)
        m_dataSet->removeSource(this);
    m_dataSet = table;
    if (m_dataSet)
        m_dataSet->addSource(this);
    notify(TDataEvent::ActiveChanged, nullptr, true);
}

TDataSetState TDataSource::State() const
{
    return m_dataSet ? m_dataSet->State() : TDataSetState::Inactive;
}

void TDataSource::addLink(TDataLink *link)
{
    m_links.push_back(link);
}

void TDataSource::removeLink(TDataLink *link)
{
    std::erase(m_links, link);
}

void TDataSource::addDetail(TTable *detail)
{
    if (std::find(m_details.begin(), m_details.end(), detail) == m_details.end())
        m_details.push_back(detail);
}

void TDataSource::removeDetail(TTable *detail)
{
    std::erase(m_details, detail);
}

void TDataSource::tableDestroyed()
{
    m_dataSet = nullptr;
    notify(TDataEvent::ActiveChanged, nullptr, true);
}

void TDataSource::notify(TDataEvent event, TField *field, bool controlsEnabled)
{
    if (event == TDataEvent::UpdateRecord) {
        // Typed text must reach the record even while a walk keeps the controls quiet.
        for (TDataLink *link : QVarLengthArray<TDataLink *, 16>(m_links.begin(), m_links.end()))
            if (std::find(m_links.begin(), m_links.end(), link) != m_links.end())
                link->dataEvent(event, field);
        return;
    }
    if (event != TDataEvent::StateChanged && event != TDataEvent::FieldChanged)
        for (TTable *detail : QVarLengthArray<TTable *, 4>(m_details.begin(), m_details.end()))
            detail->masterChanged();
    if (!controlsEnabled)
        return;
    // Copies: a link may detach itself or others while it is told.
    for (TDataLink *link : QVarLengthArray<TDataLink *, 16>(m_links.begin(), m_links.end()))
        if (std::find(m_links.begin(), m_links.end(), link) != m_links.end())
            link->dataEvent(event, field);
    if (event == TDataEvent::StateChanged) {
        if (OnStateChange)
            OnStateChange(*this);
    } else if (event != TDataEvent::ActiveChanged) {
        if (OnDataChange)
            OnDataChange(*this, field);
    }
}
