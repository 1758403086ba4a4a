#include "Exceptions.h"

#include "Messages.h"

void MensErro(const QString &text, bool raise)
{
    if (raise)
        throw EMensErro(text);
    ShowMsg(TMsgKind::Error, text, mbOK);
}

void MensErro(const QString &text)
{
    throw EMensErro(text);
}

void Abort()
{
    throw EAbort();
}

bool FrameworkGuard(const std::function<void()> &body)
{
    try {
        body();
        return true;
    } catch (const EAbort &) {
    } catch (const EMensErro &e) {
        ShowMsg(TMsgKind::Error, e.text(), mbOK);
    } catch (const std::exception &e) {
        ShowMsg(TMsgKind::Error, QString::fromUtf8(e.what()), mbOK);
    } catch (...) {
        ShowMsg(TMsgKind::Error, FwMsg(QStringLiteral("FW_ERRO_INESPERADO")).arg(QString()), mbOK);
    }
    return false;
}
