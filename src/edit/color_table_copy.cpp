// SPDX-License-Identifier: MIT
// Copying one image's colour table into another of the same entry count.
#include <velmoro/dib_edit.h>

#include "base/dib_layout.h"

#include <cstring>

// Entries are addressed past any bit-field masks on either side, so a table is
// never copied over masks nor masks over a table.
DWORD CDibEdit::CopyColorTable(CDibEdit& source)
{
    if (IsEmpty() || source.IsEmpty())
        return DIB_ERR_EMPTY;
    const uint64_t count = velmoro::ColorEntryCount(source.m_pBmpInfo);
    if (count == 0)
        return DIB_ERR_NO_COLOR_TABLE;
    if (velmoro::ColorEntryCount(m_pBmpInfo) != count)
        return DIB_ERR_COLOR_TABLE_SIZE;
    // memmove: the source may be this very image.
    std::memmove(velmoro::ColorTableAddress(m_pBmpInfo), velmoro::ColorTableAddress(source.m_pBmpInfo),
                 static_cast<size_t>(count) * sizeof(RGBQUAD));
    return DIB_OK;
}
