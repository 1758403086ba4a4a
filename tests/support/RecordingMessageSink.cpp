#include "RecordingMessageSink.h"

RecordingMessageSink::RecordingMessageSink()
    : m_previous(SetMessageSink(this))
{ }

RecordingMessageSink::~RecordingMessageSink()
{
    SetMessageSink(m_previous);
}

int RecordingMessageSink::showMessage(TMsgKind kind, const QString &text, int buttons,
                                      int defaultButton)
{
    m_entries.append({kind, text, buttons});
    return m_answers.isEmpty() ? defaultButton : m_answers.takeFirst();
}

QStringList RecordingMessageSink::texts() const
{
    QStringList out;
    for (const Entry &e : m_entries)
        out.append(e.text);
    return out;
}
