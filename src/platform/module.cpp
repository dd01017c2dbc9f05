// Modules over the dynamic loader; bitmap resources from the table a module embeds.
#include <velmoro/platform/module.h>

#include "platform/resource_table.h"

#include <atomic>
#include <dlfcn.h>

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
    if (name)
        return AsModule(dlopen(name, RTLD_NOW | RTLD_NOLOAD));
    static void* const program = dlopen(NULL, RTLD_NOW);
    return AsModule(program);
}

HRSRC FindResourceA(HMODULE module, const char* name, const char* type)
{
    const uintptr_t id = reinterpret_cast<uintptr_t>(name);
    if (!module || type != RT_BITMAP || id > 0xFFFF)
        return NULL;
    const auto* table = static_cast<const VelmoroResourceTable*>(
        dlsym(AsHandle(module), VELMORO_RESOURCE_TABLE_SYMBOL));
    if (!table)
        return NULL;
    for (uint32_t i = 0; i < table->count; ++i) {
        if (table->entries[i].id == id)
            return &table->entries[i];
    }
    return NULL;
}

HGLOBAL LoadResource(HMODULE module, HRSRC resource)
{
    if (!module || !resource)
        return NULL;
    return resource->data;
}

const void* LockResource(HGLOBAL data)
{
    return data;
}

DWORD SizeofResource(HMODULE module, HRSRC resource)
{
    if (!module || !resource)
        return 0;
    return resource->size;
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
