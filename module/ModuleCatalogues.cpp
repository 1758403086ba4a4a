#include "ModuleCatalogues.h"

#include "Messages.h"

using namespace Qt::StringLiterals;

void CarregaCatalogo(TMessages *catalogue, const QString &name)
{
    const bool loaded = catalogue->LoadFromFile(u":/catalogues/"_s + name + u".msg"_s);
    Q_ASSERT_X(loaded, "CarregaCatalogo", "catalogue missing from the package's resources");
    Q_UNUSED(loaded);
}
