#include "DBEdit.h"

#include "ClientDataSet.h"
#include "DataSource.h"
#include "Exceptions.h"
#include "FieldDataLink.h"
#include "Masks.h"

#include <QApplication>
#include <QKeyEvent>

TDBEdit::TDBEdit(QWidget *parent, const QString &name)
    : QLineEdit(parent)
    , m_link(new TFieldDataLink(this))
{
    if (!name.isEmpty())
        setObjectName(name);
    m_link->OnLoad = [this] {
        load();
    };
    m_link->OnSave = [this] {
        save();
    };
    m_link->OnState = [this] {
        refreshState();
    };
    connect(this, &QLineEdit::textEdited, this, [this] { userEdited(); });
    connect(this, &QLineEdit::returnPressed, this,
            [this] { FrameworkGuard([this] { m_link->UpdateRecord(); }); });
}

void TDBEdit::SetDataSource(TDataSource *source)
{
    m_link->SetDataSource(source);
}

TDataSource *TDBEdit::DataSource() const
{
    return m_link->DataSource();
}

void TDBEdit::SetDataField(const QString &fieldName)
{
    m_link->SetFieldName(fieldName);
}

QString TDBEdit::DataField() const
{
    return m_link->FieldName();
}

void TDBEdit::SetEditMask(const QString &editMask)
{
    m_editMask = editMask;
    load();
}

void TDBEdit::SetReadOnly(bool readOnly)
{
    m_ownReadOnly = readOnly;
    refreshState();
}

QString TDBEdit::effectiveMask() const
{
    if (!m_editMask.isEmpty())
        return m_editMask;
    TField *f = m_link->Field();
    return f ? f->EditMask() : QString();
}

void TDBEdit::load()
{
    m_loading = true;
    const TEditMask mask = TEditMask::Parse(effectiveMask());
    const QString qtMask = mask.isEmpty() ? QString() : mask.ToQtInputMask();
    if (inputMask() != qtMask)
        setInputMask(qtMask);
    TField *f = m_link->Active() ? m_link->Field() : nullptr;
    if (!f) {
        setText({});
    } else if (!mask.isEmpty()) {
        // The control formats the stored value itself: it holds the bare characters when the
        // mask keeps no literals.
        setText(FormatMaskText(effectiveMask(), f->AsString()));
    } else {
        // Display text (formatted) at rest, edit text while the user is in the control.
        setText(hasFocus() ? f->Text() : f->DisplayText());
    }
    if (f && f->Size() > 0 && mask.isEmpty())
        setMaxLength(f->Size());
    m_loading = false;
    refreshState();
}

void TDBEdit::save()
{
    TField *f = m_link->Field();
    const TEditMask mask = TEditMask::Parse(effectiveMask());
    f->SetText(mask.isEmpty() ? text() : mask.StoredValue(text()));
}

void TDBEdit::refreshState()
{
    QLineEdit::setReadOnly(m_ownReadOnly || !m_link->CanModify());
}

void TDBEdit::userEdited()
{
    if (m_loading)
        return;
    const QString typed = text();
    const int cursor = cursorPosition();
    const bool ok = FrameworkGuard([this] {
        if (!m_link->Edit())
            Abort();
    });
    if (!ok) {
        m_link->Reset();
        return;
    }
    // Entering edit state reloads the control: keep what the user typed.
    if (text() != typed) {
        m_loading = true;
        setText(typed);
        setCursorPosition(cursor);
        m_loading = false;
    }
    m_link->SetModified(true);
    if (OnChange)
        FrameworkGuard(OnChange);
}

void TDBEdit::keyPressEvent(QKeyEvent *event)
{
    if (OnKeyDown) {
        int key = event->key();
        FrameworkGuard([&] { OnKeyDown(key, event->modifiers()); });
        if (key == 0) {
            event->accept();
            return;
        }
    }
    if (event->key() == Qt::Key_Escape && m_link->Modified()) {
        m_link->Reset();
        selectAll();
        event->accept();
        return;
    }
    QLineEdit::keyPressEvent(event);
}

namespace {

// A focus move that only visits another window is no move between the window's controls.
bool otherWindow(const QFocusEvent *event)
{
    return event->reason() == Qt::ActiveWindowFocusReason
        || event->reason() == Qt::PopupFocusReason;
}

} // namespace

void TDBEdit::focusInEvent(QFocusEvent *event)
{
    QLineEdit::focusInEvent(event);
    if (!m_entered) {
        m_entered = true;
        if (OnEnter)
            FrameworkGuard(OnEnter);
    }
    if (!m_link->Modified())
        load();
}

void TDBEdit::focusOutEvent(QFocusEvent *event)
{
    QLineEdit::focusOutEvent(event);
    if (!FrameworkGuard([this] { m_link->UpdateRecord(); })) {
        setFocus();
        return;
    }
    if (m_entered && !otherWindow(event)) {
        m_entered = false;
        const QWidget *next = QApplication::focusWidget();
        if (OnExit && !FrameworkGuard(OnExit)) {
            // Refused: the focus comes back without entering again, unless the handler sent it
            // to the control to correct.
            if (QApplication::focusWidget() == next) {
                m_entered = true;
                setFocus(Qt::OtherFocusReason);
            }
            return;
        }
    }
    if (!m_link->Modified())
        load();
}
