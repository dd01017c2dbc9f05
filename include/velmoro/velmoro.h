/// @file
/// Everything public of Velmoro: include this one header for the whole interface.
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

#endif
