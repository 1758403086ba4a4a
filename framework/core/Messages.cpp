#include "Messages.h"

#include <QFile>
#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcMessages, "cte.messages")

namespace {

class LogSink : public IMessageSink
{
public:
    int showMessage(TMsgKind kind, const QString &text, int, int defaultButton) override
    {
        static const char *const names[] = {"information", "warning", "error", "question"};
        qCInfo(lcMessages).noquote() << names[int(kind)] << text;
        return defaultButton;
    }
};

LogSink g_logSink;
IMessageSink *g_sink = nullptr;

int firstButton(int buttons)
{
    for (int b : {mbOK, mbYes, mbNo, mbCancel}) {
        if (buttons & b)
            return b;
    }
    return mbOK;
}

} // namespace

IMessageSink *SetMessageSink(IMessageSink *sink)
{
    IMessageSink *previous = g_sink;
    g_sink = sink;
    return previous;
}

IMessageSink *MessageSink()
{
    return g_sink ? g_sink : &g_logSink;
}

int ShowMsg(TMsgKind kind, const QString &text, int buttons, int defaultButton)
{
    if (buttons == 0)
        buttons = mbOK;
    if (defaultButton == 0 || !(buttons & defaultButton))
        defaultButton = firstButton(buttons);
    return MessageSink()->showMessage(kind, text, buttons, defaultButton);
}

TMessages::TMessages(QObject *parent, const QString &name)
    : QObject(parent)
{
    if (!name.isEmpty())
        setObjectName(name);
}

void TMessages::SetLines(const QStringList &lines)
{
    m_lines.clear();
    m_texts.clear();
    for (const QString &line : lines)
        AddLine(line);
}

void TMessages::AddLine(const QString &line)
{
    const QString trimmed = line.trimmed();
    if (trimmed.isEmpty() || trimmed.startsWith(u'#'))
        return;
    const qsizetype bar = line.indexOf(u'|');
    const QString key = (bar < 0 ? line : line.left(bar)).trimmed();
    if (key.isEmpty())
        return;
    m_lines.append(line);
    m_texts.insert(key, bar < 0 ? QString() : line.mid(bar + 1));
}

bool TMessages::LoadFromFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return false;
    SetLines(QString::fromUtf8(file.readAll()).split(u'\n'));
    return true;
}

QStringList TMessages::Keys() const
{
    QStringList keys;
    keys.reserve(m_lines.size());
    for (const QString &line : m_lines)
        keys.append(line.section(u'|', 0, 0).trimmed());
    return keys;
}

QString FwMsg(const QString &key)
{
    return FrameworkMessages().Msg(key);
}

int TMessages::ShowMsg(const QString &key, TMsgKind kind, int buttons, int defaultButton) const
{
    return ::ShowMsg(kind, Msg(key), buttons, defaultButton);
}
