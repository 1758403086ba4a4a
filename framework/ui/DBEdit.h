#pragma once

#include <QLineEdit>

class TDataSource;
class TFieldDataLink;

// A data-aware edit: shows a field's text, and writes what the user typed back when it loses the
// focus or the dataset posts. The first keystroke puts the dataset in edit state; a refused edit
// restores the text. With an edit mask (its own, or the field's) the stored value follows the
// mask's literal rule. Esc drops what was typed.
class TDBEdit : public QLineEdit
{
    Q_OBJECT
public:
    explicit TDBEdit(QWidget *parent = nullptr, const QString &name = {});

    void SetDataSource(TDataSource *source);
    TDataSource *DataSource() const;
    void SetDataField(const QString &fieldName);
    QString DataField() const;
    TFieldDataLink *DataLink() const { return m_link; }

    // Host-notation mask ("99.999.9999;0;_"); empty uses the field's EditMask.
    void SetEditMask(const QString &editMask);
    // The control's own read-only switch (the field's and the dataset's rules apply as well).
    void SetReadOnly(bool readOnly);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

private:
    void load();
    void save();
    void refreshState();
    QString effectiveMask() const;
    void userEdited();

    TFieldDataLink *m_link;
    QString m_editMask;
    bool m_ownReadOnly = false;
    bool m_loading = false;
};
