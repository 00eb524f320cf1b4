#pragma once
// Resources of module files. Linux has no module files that carry Windows
// resources, and the program's own file carries none that anything reads,
// so every module load fails and every look-up finds nothing; callers take
// their failure roads.
#include <QByteArray>
#include <QString>

namespace plat::res {

using HMODULE = qintptr;
using HRSRC = qintptr;
using HGLOBAL = qintptr;

HMODULE LoadLibraryA(const QString& moduleFile); // always 0 here
bool FreeLibrary(HMODULE module);
HRSRC FindResourceA(HMODULE module, const QString& name, const QString& type);
HGLOBAL LoadResource(HMODULE module, HRSRC resource);
const char* LockResource(HGLOBAL data);
quint32 SizeofResource(HMODULE module, HRSRC resource);
bool FreeResource(HGLOBAL data);

// The program's own instance handle.
HMODULE programInstance();

} // namespace plat::res
