#pragma once

#include <QString>

#include <exception>
#include <functional>

// The framework's two exceptions. Both unwind the running handler and whatever of our code called
// it; neither may cross a Qt frame, so every entry point from Qt runs through FrameworkGuard().

// Base of the framework's exceptions.
class EFramework : public std::exception
{
public:
    const char *what() const noexcept override { return "framework exception"; }
};

// An error the user must see: raised by MensErro(text, true), shown by the guard that catches it.
class EMensErro : public EFramework
{
public:
    explicit EMensErro(QString text)
        : m_text(std::move(text))
        , m_utf8(m_text.toUtf8())
    { }
    const QString &text() const { return m_text; }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_text;
    QByteArray m_utf8;
};

// The silent abort: ends the operation without a message (a before-event refusing it).
class EAbort : public EFramework
{
public:
    const char *what() const noexcept override { return "operation aborted"; }
};

// Shows `text` as an error. With `raise` the running operation ends with EMensErro, whose guard
// shows the text; without it the text is shown at once and the caller goes on.
void MensErro(const QString &text, bool raise);
[[noreturn]] void MensErro(const QString &text);

// Ends the running operation silently.
[[noreturn]] void Abort();

// Runs `body`, catching every exception: EAbort is swallowed, EMensErro and any other exception
// are shown through the message sink. Returns true when `body` completed.
bool FrameworkGuard(const std::function<void()> &body);
