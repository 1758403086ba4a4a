#pragma once

#include "DataPacket.h"
#include "DataSetTypes.h"

#include <QDateTime>
#include <QString>
#include <QVariant>

// One field of a client dataset, owned by it. Values are read from and written to the dataset's
// current row (its edit buffer while editing); writing needs the dataset in edit or insert state.
// Display properties and handlers are the client's own: they survive a reload of the dataset when
// the packet has a field of the same name and type.
class TField
{
public:
    TField(const TField &) = delete;
    TField &operator=(const TField &) = delete;

    TClientDataSet *DataSet() const { return m_dataSet; }
    const QString &FieldName() const { return m_def.name; }
    contracts::FieldType DataType() const { return m_def.type; }
    // Width in characters of a string field (20 when declared without one); 0 for other types.
    int Size() const { return m_def.size; }
    bool IsFixedWidth() const { return m_def.type == contracts::FieldType::FixedString; }
    TFieldKind FieldKind() const { return m_kind; }
    bool IsCalculated() const { return m_kind == TFieldKind::fkCalculated; }
    // Position in Fields().
    int Index() const;

    // Display properties.
    QString DisplayLabel() const { return m_displayLabel.isEmpty() ? m_def.name : m_displayLabel; }
    void SetDisplayLabel(const QString &label) { m_displayLabel = label; }
    int DisplayWidth() const;
    void SetDisplayWidth(int width) { m_displayWidth = width; }
    QString DisplayFormat() const { return m_displayFormat; }
    void SetDisplayFormat(const QString &format) { m_displayFormat = format; }
    // Edit mask in the host's notation (see Masks.h); display text is formatted through it. A new
    // mask is announced to the dataset's listeners, so controls show the value through it.
    QString EditMask() const { return m_editMask; }
    void SetEditMask(const QString &mask);
    bool Visible() const { return m_visible; }
    void SetVisible(bool visible) { m_visible = visible; }
    bool ReadOnly() const { return m_readOnly; }
    void SetReadOnly(bool readOnly) { m_readOnly = readOnly; }
    bool Required() const { return m_required; }
    void SetRequired(bool required) { m_required = required; }
    TAlignment Alignment() const;
    void SetAlignment(TAlignment alignment) { m_alignment = alignment; }

    // Values of the current row. A null value reads as "", 0 or an invalid date.
    QVariant Value() const;
    QVariant AsVariant() const { return Value(); }
    QString AsString() const;
    double AsFloat() const;
    qint64 AsInteger() const;
    QDateTime AsDateTime() const;
    bool IsNull() const { return Value().isNull(); }
    // The value when the row was loaded or the change log last merged; null for a new row.
    QVariant OldValue() const;

    // Assignment converts to the field's type (text in Brazilian notation is read as a number or a
    // date), cuts strings to Size and pads fixed-width ones; an empty text is null. Raises
    // MensErro outside edit/insert, on a read-only field, or when the value does not convert.
    void SetValue(const QVariant &value);
    void SetAsVariant(const QVariant &value) { SetValue(value); }
    void SetAsString(const QString &value) { SetValue(value); }
    void SetAsFloat(double value) { SetValue(value); }
    void SetAsInteger(qint64 value) { SetValue(value); }
    void SetAsDateTime(const QDateTime &value) { SetValue(value); }
    void Clear() { SetValue(QVariant()); }

    // Text for editing and for display. The default display text applies DisplayFormat (numbers,
    // dates) or EditMask (strings); OnGetText, when set, receives that default and may replace it.
    QString Text() const { return getText(false); }
    QString DisplayText() const { return getText(true); }
    // Assigns typed text: through OnSetText when set, otherwise as AsString.
    void SetText(const QString &text);

    TFieldNotifyEvent OnChange; // after a new value is stored in the row
    TFieldNotifyEvent OnValidate; // before; the new value is readable; raising refuses it
    TFieldGetTextEvent OnGetText;
    TFieldSetTextEvent OnSetText;

    // The definition that travels in packets (name, type, size, flags).
    const contracts::FieldDef &Def() const { return m_def; }

private:
    friend class TClientDataSet;
    TField(TClientDataSet *dataSet, const contracts::FieldDef &def, TFieldKind kind);
    QString getText(bool displayText) const;
    QString defaultText(bool displayText) const;

    TClientDataSet *m_dataSet;
    contracts::FieldDef m_def;
    TFieldKind m_kind;
    int m_slot = -1; // position in the stored row (data) or in the calculated values
    QString m_displayLabel;
    int m_displayWidth = 0;
    QString m_displayFormat;
    QString m_editMask;
    bool m_visible = true;
    bool m_readOnly = false;
    bool m_required = false;
    std::optional<TAlignment> m_alignment;
};
