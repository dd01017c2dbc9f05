// SPDX-License-Identifier: MIT
// Modules over the dynamic loader; bitmap resources from the table a module embeds.
#include <velmoro/platform/module.h>

#include <velmoro/internal/resource_table.h>

#include <atomic>
#include <dlfcn.h>
#include <link.h>

namespace {

std::atomic<HINSTANCE> g_resourceModule{nullptr};

HMODULE AsModule(void* handle)
{
    return reinterpret_cast<HMODULE>(handle);
}

void* AsHandle(HMODULE module)
{
    return reinterpret_cast<void*>(module);
}

// The module's own resource table. dlsym also searches the module's
// dependencies (and, for the program, every global library), so a module
// without bitmaps would otherwise hand out those of a library it links.
const VelmoroResourceTable* OwnResourceTable(HMODULE module)
{
    void* const handle = AsHandle(module);
    void* const table = dlsym(handle, VELMORO_RESOURCE_TABLE_SYMBOL);
    if (!table)
        return NULL;
    link_map* moduleMap = nullptr;
    link_map* tableMap = nullptr;
    Dl_info tableInfo;
    if (dlinfo(handle, RTLD_DI_LINKMAP, &moduleMap) != 0 ||
        !dladdr1(table, &tableInfo, reinterpret_cast<void**>(&tableMap), RTLD_DL_LINKMAP) ||
        tableMap != moduleMap)
        return NULL;
    return static_cast<const VelmoroResourceTable*>(table);
}

}  // namespace

HMODULE LoadLibraryA(const char* path)
{
    if (!path)
        return NULL;
    return AsModule(dlopen(path, RTLD_NOW | RTLD_LOCAL));
}

FARPROC GetProcAddress(HMODULE module, const char* name)
{
    if (!module || !name)
        return NULL;
    return reinterpret_cast<FARPROC>(dlsym(AsHandle(module), name));
}

BOOL FreeLibrary(HMODULE module)
{
    return module && dlclose(AsHandle(module)) == 0;
}

HMODULE GetModuleHandleA(const char* name)
{
    if (name) {
        // Asking must not keep the module loaded: drop the reference the
        // look-up took; the handle stays valid while the module is loaded.
        void* const handle = dlopen(name, RTLD_NOW | RTLD_NOLOAD);
        if (handle)
            dlclose(handle);
        return AsModule(handle);
    }
    static void* const program = dlopen(NULL, RTLD_NOW);
    return AsModule(program);
}

HRSRC FindResourceA(HMODULE module, const char* name, const char* type)
{
    const uintptr_t id = reinterpret_cast<uintptr_t>(name);
    if (type != RT_BITMAP || id > 0xFFFF)
        return NULL;
    // No module means the program, as with the system loader this mirrors.
    const VelmoroResourceTable* table = OwnResourceTable(module ? module : GetModuleHandleA(NULL));
    if (!table)
        return NULL;
    for (uint32_t i = 0; i < table->count; ++i) {
        if (table->entries[i].id == id)
            return &table->entries[i];
    }
    return NULL;
}

// The resource handle alone identifies the data; the module may be NULL for the program.
HGLOBAL LoadResource(HMODULE, HRSRC resource)
{
    return resource ? resource->data : NULL;
}

const void* LockResource(HGLOBAL data)
{
    return data;
}

DWORD SizeofResource(HMODULE, HRSRC resource)
{
    return resource ? resource->size : 0;
}

HINSTANCE AfxGetResourceHandle()
{
    HINSTANCE module = g_resourceModule.load();
    return module ? module : GetModuleHandleA(NULL);
}

void AfxSetResourceHandle(HINSTANCE module)
{
    g_resourceModule.store(module);
}
