#pragma once

#include <QLineEdit>

#include <functional>

class TDataSource;
class TFieldDataLink;

// A data-aware edit: shows a field's text, and writes what the user typed back when it loses the
// focus or the dataset posts. The first keystroke puts the dataset in edit state; a refused edit
// restores the text. With an edit mask (its own, or the field's) the stored value follows the
// mask's literal rule; a new mask on the field shows at once. Esc drops what was typed.
//
// Handlers (run through FrameworkGuard): OnEnter when the focus comes in from another control of
// the window, before the field is shown for typing; OnExit when it leaves for another control,
// after the typed text reached the field (a handler that raises keeps the focus here); OnChange
// after each change the user makes to the text; OnKeyDown before a key is handled (setting the
// key to 0 consumes it). Visits to another window (a message, a look-up list) neither leave nor
// enter the edit.
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

    std::function<void()> OnEnter;
    std::function<void()> OnExit;
    std::function<void()> OnChange;
    std::function<void(int &key, Qt::KeyboardModifiers modifiers)> OnKeyDown;

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
    bool m_entered = false;
};
