#include "field.h"

#include "databaseerror.h"
#include "numbertext.h"
#include "table.h"

#include <QLocale>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>

using namespace Qt::Literals::StringLiterals;

namespace {

// The digits of a typed number's mantissa, without leading zeros and the zeros that end its
// fraction.
int significantDigits(const QString &text)
{
    QString mantissa;
    for (const QChar character : text) {
        if (character == u'e' || character == u'E')
            break;
        if (character.isDigit() || character == u'.' || character == u',')
            mantissa += character.isDigit() ? character : QChar(u'.');
    }
    if (mantissa.contains(u'.'))
        while (mantissa.endsWith(u'0'))
            mantissa.chop(1);
    mantissa.remove(u'.');
    while (mantissa.startsWith(u'0'))
        mantissa.remove(0, 1);
    return int(mantissa.size());
}

} // namespace

TField::TField(TTable *table, const QString &fieldName, TFieldType type, int size)
    : QObject(table), m_table(table), m_fieldName(fieldName), m_type(type), m_size(size)
{}

bool TField::IsNumeric() const
{
    switch (m_type) {
    case TFieldType::SmallInt:
    case TFieldType::Integer:
    case TFieldType::AutoInc:
    case TFieldType::Float:
    case TFieldType::Currency:
        return true;
    default:
        return false;
    }
}

QVariant TField::Value() const
{
    return m_table->fieldValue(*this);
}

bool TField::IsNull() const
{
    return Value().isNull();
}

QString TField::AsString() const
{
    return textOf(Value());
}

QString TField::textOf(const QVariant &value) const
{
    if (value.isNull())
        return {};
    switch (m_type) {
    case TFieldType::Float:
    case TFieldType::Currency:
        return NumberText::formatGeneral(value.toDouble());
    case TFieldType::Blob:
        return QString::fromLatin1(value.toByteArray());
    default:
        return value.toString();
    }
}

QString TField::displayTextOf(const QVariant &value) const
{
    if (m_type == TFieldType::Currency && !value.isNull())
        return QLocale().toCurrencyString(value.toDouble());
    return textOf(value);
}

int TField::AsInteger() const
{
    const QVariant value = Value();
    if (value.isNull())
        return 0;
    if (m_type == TFieldType::Float || m_type == TFieldType::Currency)
        return int(std::lround(value.toDouble()));
    if (!IsNumeric()) {
        qint64 number = 0;
        if (!NumberText::parseInteger(value.toString(), number))
            refuse(u"'%1' is not a whole number"_s.arg(value.toString()));
        return int(number);
    }
    return value.toInt();
}

double TField::AsFloat() const
{
    const QVariant value = Value();
    if (value.isNull())
        return 0;
    if (!IsNumeric()) {
        double number = 0;
        if (!NumberText::parseDecimal(value.toString(), number))
            refuse(u"'%1' is not a number"_s.arg(value.toString()));
        return number;
    }
    return value.toDouble();
}

double TField::AsCurrency() const
{
    return NumberText::roundCurrency(AsFloat());
}

QString TField::DisplayText() const
{
    return displayTextOf(Value());
}

QString TField::EditText() const
{
    if (m_type == TFieldType::Currency && !IsNull()) {
        QLocale locale;
        locale.setNumberOptions(QLocale::OmitGroupSeparator);
        return locale.toString(AsFloat(), 'f', 2);
    }
    return AsString();
}

void TField::refuse(const QString &why) const
{
    throw EFieldValueError(u"%1: field '%2': %3"_s.arg(m_table->TableName(), m_fieldName, why));
}

QVariant TField::parseText(const QString &text) const
{
    switch (m_type) {
    case TFieldType::SmallInt:
    case TFieldType::Integer:
    case TFieldType::AutoInc: {
        if (text.trimmed().isEmpty())
            return {};
        qint64 number = 0;
        if (!NumberText::parseInteger(text, number))
            refuse(u"'%1' is not a whole number"_s.arg(text));
        return convert(number);
    }
    case TFieldType::Float:
    case TFieldType::Currency: {
        if (text.trimmed().isEmpty())
            return {};
        double number = 0;
        if (!NumberText::parseDecimal(text, number))
            refuse(u"'%1' is not a number"_s.arg(text));
        // A number is kept in double precision: more digits would change silently.
        if (significantDigits(text) > 15)
            refuse(u"'%1' has more than 15 significant digits"_s.arg(text));
        return number;
    }
    case TFieldType::Blob:
        return text.isEmpty() ? QVariant() : QVariant(text.toUtf8());
    default:
        return convert(text);
    }
}

QVariant TField::convert(const QVariant &value) const
{
    if (value.isNull())
        return {};
    switch (m_type) {
    case TFieldType::String: {
        const QString text = value.toString();
        if (m_size > 0 && text.size() > m_size)
            refuse(u"the text is longer than the field's %1 characters"_s.arg(m_size));
        return text.isEmpty() ? QVariant() : QVariant(text);
    }
    case TFieldType::Memo: {
        const QString text = value.toString();
        return text.isEmpty() ? QVariant() : QVariant(text);
    }
    case TFieldType::SmallInt:
    case TFieldType::Integer:
    case TFieldType::AutoInc: {
        if (value.typeId() == QMetaType::QString)
            return parseText(value.toString());
        bool ok = false;
        const double real = value.toDouble(&ok);
        if (!ok || !std::isfinite(real) || real != std::trunc(real))
            refuse(u"'%1' is not a whole number"_s.arg(value.toString()));
        const qint64 low =
            m_type == TFieldType::SmallInt ? -32768 : std::numeric_limits<int>::min();
        const qint64 high =
            m_type == TFieldType::SmallInt ? 32767 : std::numeric_limits<int>::max();
        if (real < double(low) || real > double(high))
            refuse(u"%1 is outside the range %2 to %3"_s.arg(value.toString()).arg(low).arg(high));
        return qint64(real);
    }
    case TFieldType::Float:
    case TFieldType::Currency: {
        if (value.typeId() == QMetaType::QString)
            return parseText(value.toString());
        bool ok = false;
        const double real = value.toDouble(&ok);
        if (!ok || !std::isfinite(real))
            refuse(u"'%1' is not a number"_s.arg(value.toString()));
        return real;
    }
    case TFieldType::Blob:
        return value.toByteArray();
    }
    return value;
}

void TField::setValue(const QVariant &value)
{
    if (ReadOnly())
        refuse(u"the field is read-only"_s);
    m_table->setFieldValue(*this, convert(value));
}

void TField::setAsString(const QString &text)
{
    if (ReadOnly())
        refuse(u"the field is read-only"_s);
    m_table->setFieldValue(*this, parseText(text));
}

void TField::setAsInteger(int value)
{
    setValue(qint64(value));
}

void TField::setAsFloat(double value)
{
    setValue(value);
}

void TField::setAsCurrency(double value)
{
    setValue(NumberText::roundCurrency(value));
}

void TField::Clear()
{
    setValue(QVariant());
}
