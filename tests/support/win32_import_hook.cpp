#ifdef _WIN32

#include "support/win32_import_hook.h"

#include <cstring>

namespace testing_support {

namespace {

void Store(void** slot, void* value) {
    DWORD was = 0;
    if (!VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &was)) return;
    *slot = value;
    VirtualProtect(slot, sizeof *slot, was, &was);
}

// The import table entry through which this program calls `function` of `library`; null if none.
void** ImportSlot(const char* library, const char* function) {
    auto* base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
    const auto* headers =
        reinterpret_cast<const IMAGE_NT_HEADERS*>(base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
    const IMAGE_DATA_DIRECTORY& imports = headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (imports.VirtualAddress == 0) return nullptr;
    for (auto* entry = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress); entry->Name; ++entry) {
        if (_stricmp(reinterpret_cast<const char*>(base + entry->Name), library) != 0) continue;
        const DWORD namesAt = entry->OriginalFirstThunk ? entry->OriginalFirstThunk : entry->FirstThunk;
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + namesAt);
        auto* slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + entry->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            const auto* named = reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char*>(named->Name), function) == 0)
                return reinterpret_cast<void**>(&slots->u1.Function);
        }
    }
    return nullptr;
}

}  // namespace

ImportHook::ImportHook(const char* library, const char* function, void* replacement)
    : slot_(ImportSlot(library, function)) {
    if (!slot_) return;
    original_ = *slot_;
    Store(slot_, replacement);
}

ImportHook::~ImportHook() {
    if (slot_) Store(slot_, original_);
}

}  // namespace testing_support

#endif  // _WIN32
