#pragma once

#include "Messages.h"

// The message sink of a GUI process: every ShowMsg becomes an ordinary modal QMessageBox, parented
// to the active window, so an automation plug-in finds it with QApplication::activeModalWidget()
// and answers it by clicking one of its buttons (objectName "btnOK", "btnYes", "btnNo",
// "btnCancel"). Installs itself while it lives.
class TGuiMessageSink : public IMessageSink
{
public:
    TGuiMessageSink();
    ~TGuiMessageSink() override;

    int showMessage(TMsgKind kind, const QString &text, int buttons, int defaultButton) override;

private:
    IMessageSink *m_previous = nullptr;
};
