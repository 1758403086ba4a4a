#include "GuiMessageSink.h"

#include <QApplication>
#include <QCursor>
#include <QMessageBox>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace {

struct ButtonInfo
{
    int button;
    QMessageBox::ButtonRole role;
    const char16_t *key;
    const char16_t *name;
};

// Fixed order of the buttons in the box.
const ButtonInfo kButtons[] = {
    {mbYes, QMessageBox::YesRole, u"FW_BOTAO_SIM", u"btnYes"},
    {mbNo, QMessageBox::NoRole, u"FW_BOTAO_NAO", u"btnNo"},
    {mbOK, QMessageBox::AcceptRole, u"FW_BOTAO_OK", u"btnOK"},
    {mbCancel, QMessageBox::RejectRole, u"FW_BOTAO_CANCELAR", u"btnCancel"},
};

QString titleOf(TMsgKind kind)
{
    switch (kind) {
    case TMsgKind::Information:
        return FwMsg(u"FW_TITULO_INFORMACAO"_s);
    case TMsgKind::Warning:
        return FwMsg(u"FW_TITULO_ATENCAO"_s);
    case TMsgKind::Error:
        return FwMsg(u"FW_TITULO_ERRO"_s);
    case TMsgKind::Question:
        return FwMsg(u"FW_TITULO_CONFIRMACAO"_s);
    }
    return {};
}

QMessageBox::Icon iconOf(TMsgKind kind)
{
    switch (kind) {
    case TMsgKind::Information:
        return QMessageBox::Information;
    case TMsgKind::Warning:
        return QMessageBox::Warning;
    case TMsgKind::Error:
        return QMessageBox::Critical;
    case TMsgKind::Question:
        return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

} // namespace

TGuiMessageSink::TGuiMessageSink()
    : m_previous(SetMessageSink(this))
{ }

TGuiMessageSink::~TGuiMessageSink()
{
    SetMessageSink(m_previous);
}

int TGuiMessageSink::showMessage(TMsgKind kind, const QString &text, int buttons, int defaultButton)
{
    QWidget *parent = QApplication::activeModalWidget();
    if (!parent)
        parent = QApplication::activeWindow();

    QMessageBox box(parent);
    box.setObjectName(u"msgBox"_s);
    box.setIcon(iconOf(kind));
    box.setWindowTitle(titleOf(kind));
    box.setText(text);

    QHash<QAbstractButton *, int> answers;
    QAbstractButton *escape = nullptr;
    int escapeAnswer = defaultButton;
    for (const ButtonInfo &info : kButtons) {
        if (!(buttons & info.button))
            continue;
        QPushButton *b = box.addButton(FwMsg(QString::fromUtf16(info.key)), info.role);
        b->setObjectName(QString::fromUtf16(info.name));
        answers.insert(b, info.button);
        if (info.button == defaultButton)
            box.setDefaultButton(b);
        // Escape answers Cancel, else No, else OK: the most cautious button present.
        if (info.button == mbCancel || (info.button == mbNo && !(buttons & mbCancel))
            || (info.button == mbOK && !(buttons & (mbCancel | mbNo)))) {
            escape = b;
            escapeAnswer = info.button;
        }
    }
    if (escape)
        box.setEscapeButton(escape);

    // A wait cursor set by the caller must not hide the arrow over the question.
    const bool busyCursor = QApplication::overrideCursor() != nullptr;
    if (busyCursor)
        QApplication::setOverrideCursor(Qt::ArrowCursor);
    box.exec();
    if (busyCursor)
        QApplication::restoreOverrideCursor();

    return answers.value(box.clickedButton(), escapeAnswer);
}
