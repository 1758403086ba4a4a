#include "LoginThrottle.h"

namespace {
QString pairKey(const QString &user, const QString &address)
{
    return user + u'\n' + address;
}
constexpr qsizetype kMaxEntries = 100000;
} // namespace

LoginThrottle::LoginThrottle()
    : LoginThrottle(Settings())
{ }

LoginThrottle::LoginThrottle(const Settings &settings)
    : m_settings(settings)
{ }

qint64 LoginThrottle::remaining(const QHash<QString, Failures> &map, const QString &key,
                                qint64 now) const
{
    const auto it = map.constFind(key);
    return it == map.constEnd() ? 0 : std::max<qint64>(0, it->until - now);
}

qint64 LoginThrottle::waitMs(const QString &user, const QString &address)
{
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    std::lock_guard lock(m_mutex);
    qint64 wait = remaining(m_byAddress, address, now);
    if (!m_knownAddresses.contains(pairKey(user, address)))
        wait = std::max(wait, remaining(m_byUser, user, now));
    return wait;
}

void LoginThrottle::fail(QHash<QString, Failures> &map, const QString &key, qint64 now, qint64 cap)
{
    Failures &f = map[key];
    if (now - f.last > m_settings.forgetAfterMs)
        f.count = 0;
    ++f.count;
    f.last = now;
    const int over = f.count - m_settings.freeFailures;
    if (over > 0) {
        const qint64 delay = std::min(cap, m_settings.firstDelayMs << std::min(over - 1, 30));
        f.until = now + delay;
    }
}

void LoginThrottle::failed(const QString &user, const QString &address)
{
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    std::lock_guard lock(m_mutex);
    prune(now);
    fail(m_byAddress, address, now, m_settings.maxAddressDelayMs);
    fail(m_byUser, user, now, m_settings.maxUserDelayMs);
}

void LoginThrottle::succeeded(const QString &user, const QString &address)
{
    std::lock_guard lock(m_mutex);
    // The address keeps its count: logging in to one's own account must not buy more guesses
    // at someone else's.
    m_byUser.remove(user);
    if (m_knownAddresses.size() >= kMaxEntries)
        m_knownAddresses.clear();
    m_knownAddresses.insert(pairKey(user, address));
}

void LoginThrottle::prune(qint64 now)
{
    // Guessing with ever new user names must not grow the tables without end.
    for (QHash<QString, Failures> *map : {&m_byUser, &m_byAddress}) {
        if (map->size() < kMaxEntries)
            continue;
        map->removeIf([&](const auto &it) {
            return now - it.value().last > m_settings.forgetAfterMs && it.value().until <= now;
        });
        if (map->size() >= kMaxEntries)
            map->clear();
    }
}
