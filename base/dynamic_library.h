// A library loaded at run time, freed with its holder.
#pragma once

#include <windows.h>

class ClLibrary {
  public:
    ClLibrary() = default;
    ~ClLibrary() { Unload(); }
    ClLibrary(const ClLibrary&) = delete;
    ClLibrary& operator=(const ClLibrary&) = delete;

    // Loads name in place of the library held so far; 1 or 0.
    int Load(const char* name) {
        Unload();
        module_ = LoadLibraryA(name);
        return module_ != nullptr ? 1 : 0;
    }
    // The named function, or null.
    template <typename Function>
    Function Find(const char* name) const {
        if (module_ == nullptr)
            return nullptr;
        return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
    }

  private:
    void Unload() {
        if (module_ != nullptr)
            FreeLibrary(module_);
        module_ = nullptr;
    }
    HMODULE module_ = nullptr;
};
