#pragma once

#include <QString>

class TMessages;

// The host application's own texts.
const TMessages &HostMessages();
QString HostMsg(const QString &key);
