// Owners of Win32 resources: each holds one resource, releases it with the call that belongs to
// its kind when it is closed, replaced or destroyed, cannot be copied and can be moved.
//
// On POSIX hosts only the file handle exists, over the seam in base/platform.h.
#pragma once

#include "base/platform.h"

#ifdef _WIN32
#include <commctrl.h>
#include <unknwn.h>
#endif

// The owner of one resource of the kind that Traits describes:
//   Traits::Type          the handle type;
//   Traits::Empty()       the value that holds nothing;
//   Traits::Free(value)   releases a value that is not empty.
template <typename Traits>
class ClUniqueResource {
  public:
    using Type = typename Traits::Type;

    ClUniqueResource() = default;
    explicit ClUniqueResource(Type value) : value_(value) {}
    ~ClUniqueResource() { Close(); }
    ClUniqueResource(const ClUniqueResource&) = delete;
    ClUniqueResource& operator=(const ClUniqueResource&) = delete;
    ClUniqueResource(ClUniqueResource&& other) noexcept : value_(other.Detach()) {}
    ClUniqueResource& operator=(ClUniqueResource&& other) noexcept {
        if (this != &other)
            Attach(other.Detach());
        return *this;
    }

    Type get() const { return value_; }
    bool ok() const { return value_ != Traits::Empty(); }
    // Releases what is held; the owner is empty afterwards.
    void Close() { Attach(Traits::Empty()); }
    // Releases what is held and holds value instead.
    void Attach(Type value) {
        if (value_ != Traits::Empty() && value_ != value)
            Traits::Free(value_);
        value_ = value;
    }
    // Gives the resource up without releasing it.
    Type Detach() {
        Type value = value_;
        value_ = Traits::Empty();
        return value;
    }
    // Releases what is held and returns the slot for a call that hands out a new resource
    // through a pointer (RegOpenKeyExA, OpenProcessToken, CoCreateInstance).
    Type* Out() {
        Close();
        return &value_;
    }

  private:
    Type value_ = Traits::Empty();
};

struct FileHandleTraits {
    using Type = HANDLE;
    static Type Empty() { return INVALID_HANDLE_VALUE; }
    static void Free(Type handle) { CloseHandle(handle); }
};
// A file opened with CreateFileA (empty: INVALID_HANDLE_VALUE).
using ClFileHandle = ClUniqueResource<FileHandleTraits>;

#ifdef _WIN32

struct KernelHandleTraits {
    using Type = HANDLE;
    static Type Empty() { return nullptr; }
    static void Free(Type handle) { CloseHandle(handle); }
};
// A process, thread or access token: the handles that are null when missing.
using ClKernelHandle = ClUniqueResource<KernelHandleTraits>;

struct FindHandleTraits {
    using Type = HANDLE;
    static Type Empty() { return INVALID_HANDLE_VALUE; }
    static void Free(Type handle) { FindClose(handle); }
};
// A search begun with FindFirstFileA.
using ClFindHandle = ClUniqueResource<FindHandleTraits>;

struct RegistryKeyTraits {
    using Type = HKEY;
    static Type Empty() { return nullptr; }
    static void Free(Type key) { RegCloseKey(key); }
};
// An opened registry key (never one of the predefined roots).
using ClRegistryKey = ClUniqueResource<RegistryKeyTraits>;

struct LibraryTraits {
    using Type = HMODULE;
    static Type Empty() { return nullptr; }
    static void Free(Type module) { FreeLibrary(module); }
};

// A library loaded at run time.
class ClLibrary : public ClUniqueResource<LibraryTraits> {
  public:
    // Loads name in place of the library held so far; 1 or 0.
    int Load(const char* name) {
        Attach(LoadLibraryA(name));
        return ok() ? 1 : 0;
    }
    // The named function, or null.
    template <typename Function>
    Function Find(const char* name) const {
        if (!ok())
            return nullptr;
        return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(get(), name)));
    }
};

struct WindowTraits {
    using Type = HWND;
    static Type Empty() { return nullptr; }
    static void Free(Type window) { DestroyWindow(window); }
};
// A window this code created and must destroy (not one that its parent destroys).
using ClWindow = ClUniqueResource<WindowTraits>;

template <typename Object>
struct GdiObjectTraits {
    using Type = Object;
    static Type Empty() { return nullptr; }
    static void Free(Type object) { DeleteObject(object); }
};
// A font, bitmap, brush, pen or region: ClGdiObject<HFONT>.
template <typename Object>
using ClGdiObject = ClUniqueResource<GdiObjectTraits<Object>>;

struct IconTraits {
    using Type = HICON;
    static Type Empty() { return nullptr; }
    static void Free(Type icon) { DestroyIcon(icon); }
};
// An icon loaded or created at its own size (LoadImageA without LR_SHARED, ExtractIconA).
using ClIcon = ClUniqueResource<IconTraits>;

struct ImageListTraits {
    using Type = HIMAGELIST;
    static Type Empty() { return nullptr; }
    static void Free(Type list) { ImageList_Destroy(list); }
};
// An image list of the common controls (link comctl32).
using ClImageList = ClUniqueResource<ImageListTraits>;

template <typename Interface>
struct ComInterfaceTraits {
    using Type = Interface*;
    static Type Empty() { return nullptr; }
    static void Free(Type object) { object->Release(); }
};

// A COM interface pointer that holds one reference.
template <typename Interface>
class ClComPtr : public ClUniqueResource<ComInterfaceTraits<Interface>> {
  public:
    using ClUniqueResource<ComInterfaceTraits<Interface>>::ClUniqueResource;
    Interface* operator->() const { return this->get(); }
    // The slot for CoCreateInstance and QueryInterface, which take it as void**.
    void** OutVoid() { return reinterpret_cast<void**>(this->Out()); }
};

#endif
