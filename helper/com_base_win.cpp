#include "helper/com_base.h"

namespace helper {
namespace {

LONG moduleLocks = 0;

}  // namespace

void LockModule() { InterlockedIncrement(&moduleLocks); }
void UnlockModule() { InterlockedDecrement(&moduleLocks); }
LONG ModuleLockCount() { return InterlockedCompareExchange(&moduleLocks, 0, 0); }

HRESULT QueryTable(void* object, const QiEntry* table, REFIID iid, void** out) {
    if (out == nullptr) return E_POINTER;
    *out = nullptr;
    for (const QiEntry* entry = table; entry->iid != nullptr; ++entry) {
        if (IsEqualIID(iid, *entry->iid) || (entry == table && IsEqualIID(iid, IID_IUnknown))) {
            IUnknown* found =
                reinterpret_cast<IUnknown*>(static_cast<char*>(object) + entry->offset);
            found->AddRef();
            *out = found;
            return S_OK;
        }
    }
    return E_NOINTERFACE;
}

}  // namespace helper
