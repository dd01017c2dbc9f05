// SPDX-License-Identifier: MIT
/// @file
/// Everything public of Velmoro: include this one header for the whole interface.
///
/// Threads: the library starts none, and any thread may call it. Distinct objects
/// (images, lists, codec objects, palettes, file objects, device contexts, bitmaps,
/// regions) may be used on different threads at once; one object used from several
/// threads needs the caller's lock, except an image that is only read (the overlay
/// or source of an operation, GetColorFromPoint, WriteBmp, Draw), which many
/// threads may read at once. Process-wide state is safe from any thread: the SIMD
/// flag, the resource module, the screen surface, the table of graphics handles
/// and loaded codec modules.
#ifndef VELMORO_VELMORO_H
#define VELMORO_VELMORO_H

#include <velmoro/types.h>
#include <velmoro/result.h>
#include <velmoro/platform/file.h>
#include <velmoro/platform/string.h>
#include <velmoro/platform/geometry.h>
#include <velmoro/platform/gdi.h>
#include <velmoro/platform/module.h>
#include <velmoro/dib.h>
#include <velmoro/dib_edit.h>
#include <velmoro/dib_collection.h>
#include <velmoro/dib_palette.h>
#include <velmoro/jpeg.h>
#include <velmoro/picture_io.h>
#include <velmoro/version.h>

#endif
