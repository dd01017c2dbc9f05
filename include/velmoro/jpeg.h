// CJPeg: the binding to the JPEG codec module and its properties record.
#ifndef VELMORO_JPEG_H
#define VELMORO_JPEG_H

#include <velmoro/platform/module.h>
#include <velmoro/types.h>

class CJPeg;

#endif
