#pragma once

#include <QLibrary>
#include <QString>

// The CT-e package, loaded on first use with QLibrary; its functions are resolved by name.
// A package that cannot be loaded, or lacks a function, is reported through MensErro: the
// handler that asked for it ends with a clear message.
class TPackageLoader
{
public:
    // `path` empty: Pkg_Dfs88000 next to the executable.
    explicit TPackageLoader(const QString &path = {});

    QString Path() const { return m_library.fileName(); }
    // Loads the library (once); raises MensErro when it cannot.
    void Load();
    // The address of exported function `name`; raises MensErro when missing.
    QFunctionPointer Resolve(const char *name);

    template<typename F>
    F Function(const char *name)
    {
        return reinterpret_cast<F>(Resolve(name));
    }

private:
    QLibrary m_library;
    QString m_requested;
};
