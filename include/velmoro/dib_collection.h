// Edit nodes (an editable image with list links, an ID and an ID string) and
// the edit list with its collection file.
#ifndef VELMORO_DIB_COLLECTION_H
#define VELMORO_DIB_COLLECTION_H

#include <velmoro/dib_edit.h>
#include <velmoro/platform/file.h>
#include <velmoro/platform/string.h>

class CDibEditNode;
class CDibEditList;

#endif
