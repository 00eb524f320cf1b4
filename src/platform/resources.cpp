#include "platform/resources.h"

namespace plat::res {

HMODULE LoadLibraryA(const QString&)
{
    return 0;
}
bool FreeLibrary(HMODULE module)
{
    return module != 0;
}
HRSRC FindResourceA(HMODULE, const QString&, const QString&)
{
    return 0;
}
HGLOBAL LoadResource(HMODULE, HRSRC)
{
    return 0;
}
const char* LockResource(HGLOBAL)
{
    return nullptr;
}
quint32 SizeofResource(HMODULE, HRSRC)
{
    return 0;
}
bool FreeResource(HGLOBAL)
{
    return false;
}
HMODULE programInstance()
{
    return 0x400000;
}

} // namespace plat::res
