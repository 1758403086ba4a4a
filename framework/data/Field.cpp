#include "Field.h"

#include "ClientDataSet.h"
#include "Exceptions.h"
#include "FieldFormat.h"
#include "Masks.h"
#include "Messages.h"

#include <cmath>

using namespace Qt::StringLiterals;
using contracts::FieldType;

TField::TField(TClientDataSet *dataSet, const contracts::FieldDef &def, TFieldKind kind)
    : m_dataSet(dataSet)
    , m_def(def)
    , m_kind(kind)
{ }

int TField::Index() const
{
    return int(m_dataSet->Fields().indexOf(const_cast<TField *>(this)));
}

int TField::DisplayWidth() const
{
    if (m_displayWidth > 0)
        return m_displayWidth;
    switch (m_def.type) {
    case FieldType::String:
    case FieldType::FixedString:
        return std::max(int(m_def.size), int(DisplayLabel().size()));
    case FieldType::DateTime:
        return 18;
    case FieldType::Memo:
        return 10;
    default:
        return 10;
    }
}

TAlignment TField::Alignment() const
{
    if (m_alignment)
        return *m_alignment;
    return (m_def.type == FieldType::Float || m_def.type == FieldType::Integer)
        ? TAlignment::taRightJustify
        : TAlignment::taLeftJustify;
}

void TField::SetEditMask(const QString &mask)
{
    if (m_editMask == mask)
        return;
    m_editMask = mask;
    emit m_dataSet->fieldDisplayChanged(this);
}

QVariant TField::Value() const
{
    return m_dataSet->readValue(this);
}

QVariant TField::OldValue() const
{
    return m_dataSet->oldValue(this);
}

QString TField::AsString() const
{
    const QVariant v = Value();
    if (v.isNull())
        return {};
    switch (m_def.type) {
    case FieldType::Float:
        return FieldFormat::FloatToText(v.toDouble());
    case FieldType::Integer:
        return QString::number(v.toLongLong());
    case FieldType::DateTime:
        return FieldFormat::DateTimeToText(v.toDateTime());
    default:
        return v.toString();
    }
}

double TField::AsFloat() const
{
    const QVariant v = Value();
    if (v.isNull())
        return 0.0;
    if (m_def.type == FieldType::Float || m_def.type == FieldType::Integer)
        return v.toDouble();
    double d = 0.0;
    FieldFormat::TextToFloat(v.toString(), &d);
    return d;
}

qint64 TField::AsInteger() const
{
    const QVariant v = Value();
    if (v.isNull())
        return 0;
    if (m_def.type == FieldType::Integer)
        return v.toLongLong();
    return qint64(std::llround(AsFloat()));
}

QDateTime TField::AsDateTime() const
{
    const QVariant v = Value();
    if (v.isNull())
        return {};
    if (m_def.type == FieldType::DateTime)
        return v.toDateTime();
    QDateTime dt;
    FieldFormat::TextToDateTime(v.toString(), &dt);
    return dt;
}

void TField::SetValue(const QVariant &value)
{
    m_dataSet->writeValue(this, value);
}

void TField::SetText(const QString &text)
{
    // A typed number keeps no more decimals than its field shows: money is kept to the cent,
    // never rounded behind the user's back.
    if (m_def.type == FieldType::Float && !m_displayFormat.isEmpty()) {
        const int shown = FieldFormat::DecimalsOfFormat(m_displayFormat);
        if (FieldFormat::DecimalsOfText(text) > shown)
            MensErro(FwMsg(u"FW_DS_CASAS_DECIMAIS"_s).arg(DisplayLabel()).arg(shown).arg(text));
    }
    if (OnSetText) {
        const TFieldSetTextEvent call = OnSetText;
        call(this, text);
        return;
    }
    SetAsString(text);
}

QString TField::defaultText(bool displayText) const
{
    const QVariant v = Value();
    if (v.isNull())
        return {};
    switch (m_def.type) {
    case FieldType::Float:
    case FieldType::Integer:
        if (displayText && !m_displayFormat.isEmpty())
            return FieldFormat::FormatFloat(m_displayFormat, v.toDouble());
        return AsString();
    case FieldType::DateTime:
        if (displayText && !m_displayFormat.isEmpty())
            return FieldFormat::FormatDateTime(m_displayFormat, v.toDateTime());
        return AsString();
    default:
        if (displayText && !m_editMask.isEmpty())
            return FormatMaskText(m_editMask, v.toString());
        return v.toString();
    }
}

QString TField::getText(bool displayText) const
{
    QString text = defaultText(displayText);
    if (OnGetText) {
        const TFieldGetTextEvent call = OnGetText;
        call(const_cast<TField *>(this), text, displayText);
    }
    return text;
}
