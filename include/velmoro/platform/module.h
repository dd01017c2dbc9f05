// SPDX-License-Identifier: MIT
/// @file
/// Loadable modules and the bitmap resources they embed.
///
/// Bitmap resources are BMP files that the CMake function
/// velmoro_add_bitmap_resources(target ID file.bmp ...) embeds in a program or
/// shared library; CDib::Load(UINT) finds them by ID.
#ifndef VELMORO_PLATFORM_MODULE_H
#define VELMORO_PLATFORM_MODULE_H

#include <velmoro/types.h>

struct VelmoroModule;
typedef VelmoroModule* HMODULE;  ///< A loaded module (a dlopen handle).
typedef HMODULE HINSTANCE;       ///< A module, as resource look-ups name it.
typedef void (*FARPROC)();       ///< An entry point, cast to its real type before the call.

struct VelmoroResourceInfo;
typedef const VelmoroResourceInfo* HRSRC;  ///< A resource found in a module.
typedef const void* HGLOBAL;               ///< A resource's bytes.

/// A resource ID (0 to 65535) in the form the look-ups take for a name.
#define MAKEINTRESOURCEA(id) ((const char*)(uintptr_t)(WORD)(id))
/// The resource type of bitmaps, the only one kept.
#define RT_BITMAP MAKEINTRESOURCEA(2)

/// Loads a shared object (dlopen underneath); NULL for NULL or when the module cannot be loaded.
VELMORO_API HMODULE LoadLibraryA(const char* path);
/// The named entry point of a module; NULL when there is none or either argument is NULL.
VELMORO_API FARPROC GetProcAddress(HMODULE module, const char* name);
/// Releases one reference to a module: TRUE, or FALSE for NULL or a failure.
VELMORO_API BOOL FreeLibrary(HMODULE module);
/// A module already loaded, by its file name, without a reference of its own;
/// NULL when it is not loaded. GetModuleHandleA(NULL) is the program itself.
VELMORO_API HMODULE GetModuleHandleA(const char* name);

/// The bitmap resource with the ID (given through MAKEINTRESOURCEA) that the
/// module itself embeds (NULL: the program); NULL when there is none or the
/// type is not RT_BITMAP.
VELMORO_API HRSRC FindResourceA(HMODULE module, const char* name, const char* type);
/// The resource's bytes; NULL for NULL. Nothing is allocated.
VELMORO_API HGLOBAL LoadResource(HMODULE module, HRSRC resource);
/// The address of the bytes: the handle itself.
VELMORO_API const void* LockResource(HGLOBAL data);
/// The resource's size in bytes; 0 for NULL.
VELMORO_API DWORD SizeofResource(HMODULE module, HRSRC resource);

/// The module that resource look-ups without a module use: the program until another is set.
/// One setting for the process, safe to change from any thread.
VELMORO_API HINSTANCE AfxGetResourceHandle();
/// Sets that module for the whole process (NULL: the program again).
VELMORO_API void AfxSetResourceHandle(HINSTANCE module);

#endif
