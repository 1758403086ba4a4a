#pragma once

#include "Messages.h"

#include <QList>
#include <QStringList>

// A message sink for tests: records every message and answers with queued buttons (the
// default button when the queue is empty). Installs itself while it lives.
class RecordingMessageSink : public IMessageSink
{
public:
    struct Entry
    {
        TMsgKind kind;
        QString text;
        int buttons;
    };

    RecordingMessageSink();
    ~RecordingMessageSink() override;

    int showMessage(TMsgKind kind, const QString &text, int buttons, int defaultButton) override;

    void queueAnswer(int button) { m_answers.append(button); }
    const QList<Entry> &entries() const { return m_entries; }
    QStringList texts() const;
    QString lastText() const { return m_entries.isEmpty() ? QString() : m_entries.last().text; }
    void clear() { m_entries.clear(); }

private:
    IMessageSink *m_previous = nullptr;
    QList<Entry> m_entries;
    QList<int> m_answers;
};
