#pragma once

#include <QHash>
#include <QObject>
#include <QStringList>

// What a message box is about; the sink picks icon and title from it.
enum class TMsgKind { Information, Warning, Error, Question };

// Buttons of a message box, combinable; ShowMsg returns the one chosen.
enum TMsgButton : int { mbOK = 0x1, mbCancel = 0x2, mbYes = 0x4, mbNo = 0x8 };

// Where message boxes go. The GUI installs a sink that shows real dialogs; tests install one
// that records and answers; without either, messages go to the log and the default is chosen.
class IMessageSink
{
public:
    virtual ~IMessageSink() = default;
    virtual int showMessage(TMsgKind kind, const QString &text, int buttons, int defaultButton) = 0;
};

// Installs `sink` (not owned) and returns the previous one; nullptr restores the log sink.
IMessageSink *SetMessageSink(IMessageSink *sink);
IMessageSink *MessageSink();

// The one call through which every information box, warning and question goes.
// `defaultButton` 0 means the first of `buttons` in the order OK, Yes, No, Cancel.
int ShowMsg(TMsgKind kind, const QString &text, int buttons = mbOK, int defaultButton = 0);

// A catalogue of user-visible texts: lines "KEY|text". A window owns its catalogues as children
// named like the window's components (msgPadrao, msgListaDados) so tests can read them.
class TMessages : public QObject
{
    Q_OBJECT
public:
    explicit TMessages(QObject *parent = nullptr, const QString &name = {});

    // Replaces the catalogue with `lines`; blank lines and lines starting with '#' are skipped.
    void SetLines(const QStringList &lines);
    void AddLine(const QString &line);
    // Reads a UTF-8 file of lines; false when it cannot be read.
    bool LoadFromFile(const QString &path);

    QStringList Lines() const { return m_lines; }
    QStringList Keys() const;
    bool HasKey(const QString &key) const { return m_texts.contains(key); }

    // The text of `key`; empty when the catalogue does not hold it.
    QString Msg(const QString &key) const { return m_texts.value(key); }

    // Shows the text of `key` and returns the button chosen.
    int ShowMsg(const QString &key, TMsgKind kind = TMsgKind::Information, int buttons = mbOK,
                int defaultButton = 0) const;

private:
    QStringList m_lines;
    QHash<QString, QString> m_texts;
};

// The framework's own texts (errors of the data layer, the connection, the guard).
const TMessages &FrameworkMessages();
QString FwMsg(const QString &key);
