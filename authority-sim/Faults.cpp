#include "Faults.h"

using namespace Qt::StringLiterals;

namespace faults {

bool parse(const QString &setting, store::Fault *fault)
{
    const QString kind = setting.section(u':', 0, 0).trimmed();
    const QString value = setting.section(u':', 1).trimmed();
    bool ok = false;
    if (kind == u"slow" || kind == u"reject") {
        const int n = value.toInt(&ok);
        ok = ok && n > 0 && (kind == u"slow" || (n >= 100 && n <= 999));
    } else if (kind == u"unavailable" || kind == u"drop" || kind == u"digest") {
        ok = value.isEmpty();
    }
    if (!ok)
        return false;
    fault->kind = kind;
    fault->value = value;
    if (fault->scope.isEmpty())
        fault->scope = u"*"_s;
    return true;
}

Active resolve(const QList<store::Fault> &startup, const QList<store::Fault> &stored,
               const QString &key)
{
    Active a;
    auto apply = [&](const store::Fault &f) {
        if (f.scope != u"*" && (key.isEmpty() || f.scope != key))
            return;
        if (f.kind == u"slow")
            a.slowMs = std::max(a.slowMs, f.value.toInt());
        else if (f.kind == u"unavailable")
            a.unavailable = true;
        else if (f.kind == u"drop")
            a.drop = true;
        else if (f.kind == u"reject")
            a.reject = f.value.toInt();
        else if (f.kind == u"digest")
            a.foreignDigest = true;
    };
    for (const store::Fault &f : startup)
        apply(f);
    for (const store::Fault &f : stored)
        apply(f);
    return a;
}

} // namespace faults
