#include "PackageLoader.h"

#include "Exceptions.h"
#include "HostCatalogue.h"

#include <QCoreApplication>
#include <QDir>

using namespace Qt::StringLiterals;

TPackageLoader::TPackageLoader(const QString &path)
    : m_requested(path.isEmpty()
                      ? QDir(QCoreApplication::applicationDirPath()).filePath(u"Pkg_Dfs88000"_s)
                      : path)
{
    m_library.setFileName(m_requested);
}

void TPackageLoader::Load()
{
    if (m_library.isLoaded())
        return;
    if (!m_library.load())
        MensErro(HostMsg(u"HOST_PACOTE_N_CARREGADO"_s).arg(m_requested, m_library.errorString()));
}

QFunctionPointer TPackageLoader::Resolve(const char *name)
{
    Load();
    QFunctionPointer f = m_library.resolve(name);
    if (!f)
        MensErro(HostMsg(u"HOST_FUNCAO_N_ENCONTRADA"_s)
                     .arg(m_library.fileName(), QString::fromLatin1(name)));
    return f;
}
