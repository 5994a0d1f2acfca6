// Resource ids of KorvoBHO.dll (its type library is resource 1 of type TYPELIB).
#pragma once

#define IDS_HELPER_PROJNAME 100
