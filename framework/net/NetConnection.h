#pragma once

#include <QObject>
#include <QString>
#include <QVariant>

class QNetworkAccessManager;

// The connection to the CT-e application server. Host and Port are set before Connect (the
// editor copies them from the login values WebURL and WebPort); Connect logs in with the host's
// user and password. Calls are synchronous for the caller: they wait in a local event loop that
// keeps windows repainting and timers running but holds user input back. Transport failures
// and time-outs raise MensErro with a text naming the server's address.
class TNetConnection : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString Host READ Host WRITE SetHost)
    Q_PROPERTY(int Port READ Port WRITE SetPort)
    Q_PROPERTY(bool Connected READ Connected)

public:
    explicit TNetConnection(QObject *parent = nullptr);
    ~TNetConnection() override;

    QString Host() const { return m_host; }
    void SetHost(const QString &host) { m_host = host; }
    int Port() const { return m_port; }
    void SetPort(int port) { m_port = port; }
    // Seconds a call may wait for its answer before it fails (default 120).
    int TimeoutSeconds() const { return m_timeoutSeconds; }
    void SetTimeoutSeconds(int seconds) { m_timeoutSeconds = seconds; }

    bool Connected() const { return !m_token.isEmpty(); }

    // Opens a session with the login values Orvglob::UsuarioProc and SenhaProc.
    void Connect();
    // Opens a session with the given user and password.
    void Connect(const QString &user, const QString &password);
    // Closes the session (on the server too, when it can be reached); never raises.
    void Disconnect();

    // Calls an operation of the server and returns its reply as it came: a text (an error) or a
    // list whose element 0 is "S". Without a session, or when the server refuses the session,
    // it logs in again once with the values of the last Connect (the login values when there was
    // none) and sends the call again. A failed login, transport failures, time-outs and answers
    // that cannot be read raise MensErro.
    QVariant AppServer(const QString &operation, const QVariantList &args = {});

    // "host:port", as the error texts name the server.
    QString Address() const;

private:
    QByteArray post(const QString &operation, const QByteArray &body, int *httpStatus);
    void reconnect();

    QNetworkAccessManager *m_manager = nullptr;
    QString m_host = QStringLiteral("127.0.0.1");
    int m_port = 8850;
    int m_timeoutSeconds = 120;
    QString m_token;
    QString m_user;
    QString m_password;
    bool m_loginKnown = false;
};
