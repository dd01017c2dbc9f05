// SPDX-License-Identifier: MIT
#include "edit/row_copy.h"

#include "edit/row_tables.h"

#include <cstring>

namespace velmoro {
namespace {

void CopyBytesPlain(BYTE* dst, const BYTE* src, size_t bytes)
{
    std::memcpy(dst, src, bytes);
}

void FinishPlain() {}

constexpr RowCopyRows kPlainRows = {&CopyBytesPlain, &FinishPlain};
#if VELMORO_X86
constexpr RowCopyRows kSse2Rows = {&StreamBytesSse2, &FinishStreamingSse2};
#endif

// No twin: streaming stores write the bytes memcpy writes, whatever the flag says.
constexpr RowLadder<RowCopyRows> kRowCopyRows = VELMORO_ROW_LADDER(&kPlainRows, &kSse2Rows, nullptr, nullptr, nullptr);

}  // namespace

RowCopier::RowCopier(bool streaming)
    : m_rows(streaming ? WidestRows(kRowCopyRows) : PlainRows(kRowCopyRows))
{
}

}  // namespace velmoro
