// COM without ATL: the module lock count DllCanUnloadNow reads, a reference count, a short
// QueryInterface table, and a small owning interface pointer.
#pragma once

#include <windows.h>
// The headers below need windows.h first.

#include <unknwn.h>

#include <cstddef>

namespace helper {

// Objects and server locks of this process; the DLL may be unloaded only at zero.
void LockModule();
void UnlockModule();
LONG ModuleLockCount();

// A reference count that starts at one and holds a module lock while the object lives.
class RefCount {
  public:
    RefCount() { LockModule(); }
    ~RefCount() { UnlockModule(); }
    RefCount(const RefCount&) = delete;
    RefCount& operator=(const RefCount&) = delete;

    ULONG Add() { return static_cast<ULONG>(InterlockedIncrement(&count_)); }
    // The count left; the owner deletes itself at zero.
    ULONG Release() { return static_cast<ULONG>(InterlockedDecrement(&count_)); }

  private:
    LONG count_ = 1;
};

// One row of a QueryInterface table: an interface and the offset of its vtable pointer in the
// object. A table ends with a row whose iid is null.
struct QiEntry {
    const IID* iid;
    std::ptrdiff_t offset;
};

// The offset of Interface inside Class, for a QiEntry.
template <class Class, class Interface>
std::ptrdiff_t QiOffset() {
    // Any non-null address works: only the difference matters.
    Class* object = reinterpret_cast<Class*>(0x1000);
    return reinterpret_cast<char*>(static_cast<Interface*>(object)) -
           reinterpret_cast<char*>(object);
}

// Looks iid up in table. IID_IUnknown answers with the first row's interface. On success the
// interface is AddRef'ed and stored in *out; otherwise *out is null and E_NOINTERFACE returned.
HRESULT QueryTable(void* object, const QiEntry* table, REFIID iid, void** out);

// Holds one reference to an interface; released when replaced or destroyed.
template <class T>
class ComPtr {
  public:
    ComPtr() = default;
    ~ComPtr() { Reset(); }
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;

    T* Get() const { return pointer_; }
    T* operator->() const { return pointer_; }
    explicit operator bool() const { return pointer_ != nullptr; }

    // For calls that hand out a new reference: releases what was held and returns the slot.
    T** Receive() {
        Reset();
        return &pointer_;
    }
    void Reset() {
        if (pointer_ != nullptr) pointer_->Release();
        pointer_ = nullptr;
    }

  private:
    T* pointer_ = nullptr;
};

}  // namespace helper
