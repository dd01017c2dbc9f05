// Loadable modules and the bitmap resources they embed.
#ifndef VELMORO_PLATFORM_MODULE_H
#define VELMORO_PLATFORM_MODULE_H

#include <velmoro/types.h>

struct VelmoroModule;
typedef VelmoroModule* HMODULE;
typedef HMODULE HINSTANCE;
typedef void (*FARPROC)();

struct VelmoroResourceInfo;
typedef const VelmoroResourceInfo* HRSRC;
typedef const void* HGLOBAL;

#define MAKEINTRESOURCEA(id) ((const char*)(uintptr_t)(WORD)(id))
#define RT_BITMAP MAKEINTRESOURCEA(2)

// dlopen underneath; NULL when the module cannot be loaded.
VELMORO_API HMODULE LoadLibraryA(const char* path);
VELMORO_API FARPROC GetProcAddress(HMODULE module, const char* name);
VELMORO_API BOOL FreeLibrary(HMODULE module);
// GetModuleHandleA(NULL) is the program itself.
VELMORO_API HMODULE GetModuleHandleA(const char* name);

VELMORO_API HRSRC FindResourceA(HMODULE module, const char* name, const char* type);
VELMORO_API HGLOBAL LoadResource(HMODULE module, HRSRC resource);
VELMORO_API const void* LockResource(HGLOBAL data);
VELMORO_API DWORD SizeofResource(HMODULE module, HRSRC resource);

// The module that resource look-ups without a module use: the program until another is set.
// One setting for the process, safe to change from any thread.
VELMORO_API HINSTANCE AfxGetResourceHandle();
VELMORO_API void AfxSetResourceHandle(HINSTANCE module);

#endif
