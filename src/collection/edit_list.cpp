// SPDX-License-Identifier: MIT
// The edit list and the collection file around its chunks.
#include <velmoro/dib_collection.h>

#include "collection/chunk_record.h"
#include "platform/file_support.h"

#include <memory>
#include <new>
#include <utility>

using namespace velmoro;

namespace {

// The tag and body-length fields lie outside the body; the node count is inside it.
constexpr uint64_t kTagAndLengthBytes = 8;
constexpr uint64_t kNodeCountBytes = 4;

// A reader that gives up leaves the file where the call found it.
DWORD RestorePosition(CFile& file, uint64_t start, int bClose, DWORD result)
{
    file.Seek(static_cast<int64_t>(start), CFile::begin);
    if (bClose)
        file.Close();
    return result;
}

// A failed save closes the file and removes it when asked to close it. A memory
// file has no path and nothing to remove; a device or a pipe is never removed
// (the save went through it, not into a file of its own). Neither a failing
// close nor a failing removal reaches the caller, whose result is the failure.
void DiscardFailedSave(CFile& file, int bClose)
{
    if (!bClose)
        return;
    const CString path = file.GetFilePath();
    try {
        file.Close();
    } catch (CFileException* error) {
        error->Delete();
    }
    if (!IsRegularFile(path))
        return;
    try {
        CFile::Remove(path);
    } catch (CFileException* error) {
        error->Delete();
    }
}

}  // namespace

CDibEditList::CDibEditList() : m_pHeadNode(NULL), m_pTailNode(NULL), m_dwCount(0) {}

CDibEditList::~CDibEditList()
{
    DeleteAllNode();
}

CDibEditList::CDibEditList(const CDibEditList& other) : CDibEditList()
{
    *this = other;
}

// The copy is built whole before the old nodes go, so a failed copy changes nothing.
CDibEditList& CDibEditList::operator=(const CDibEditList& other)
{
    if (this == &other)
        return *this;
    CDibEditList copy;
    for (const CDibEditNode* node = other.m_pHeadNode; node; node = node->GetAfterNode()) {
        std::unique_ptr<CDibEditNode> duplicate(new (std::nothrow) CDibEditNode(*node));
        if (!duplicate || duplicate->IsEmpty() != node->IsEmpty())
            return *this;
        duplicate->SetBeforeNode(NULL);  // no membership to look for: the copy is new
        copy.AppendNode(duplicate.release());
    }
    Swap(copy);
    return *this;
}

void CDibEditList::Swap(CDibEditList& other)
{
    std::swap(m_pHeadNode, other.m_pHeadNode);
    std::swap(m_pTailNode, other.m_pTailNode);
    std::swap(m_dwCount, other.m_dwCount);
}

int CDibEditList::AppendNode(CDibEditNode* node)
{
    // A member appended again would close the list into a cycle or cut it short.
    // Every member but the head has a predecessor, so only such a node is looked for.
    if (!node || node == m_pHeadNode || (node->GetBeforeNode() != NULL && Contains(node)))
        return 0;
    // A copied node arrives with its source's links; the tail's are rewritten here.
    node->SetBeforeNode(m_pTailNode);
    node->SetAfterNode(NULL);
    if (m_pTailNode)
        m_pTailNode->SetAfterNode(node);
    else
        m_pHeadNode = node;
    m_pTailNode = node;
    ++m_dwCount;
    return 1;
}

CDibEditNode* CDibEditList::FindNode(WORD id) const
{
    for (CDibEditNode* node = m_pHeadNode; node; node = node->GetAfterNode()) {
        if (node->GetID() == id)
            return node;
    }
    return NULL;
}

bool CDibEditList::Contains(const CDibEditNode* node) const
{
    for (const CDibEditNode* member = m_pHeadNode; member; member = member->GetAfterNode()) {
        if (member == node)
            return true;
    }
    return false;
}

void CDibEditList::UnlinkAndDelete(CDibEditNode* node)
{
    CDibEditNode* before = node->GetBeforeNode();
    CDibEditNode* after = node->GetAfterNode();
    if (before)
        before->SetAfterNode(after);
    else
        m_pHeadNode = after;
    if (after)
        after->SetBeforeNode(before);
    else
        m_pTailNode = before;
    delete node;
    --m_dwCount;
}

// A node of another list, or of none, would have its neighbours relinked into
// this list's count: it is refused instead.
int CDibEditList::DeleteNodeUsingPtr(CDibEditNode* node)
{
    if (!node || !Contains(node))
        return 0;
    UnlinkAndDelete(node);
    return 1;
}

int CDibEditList::DeleteNode(WORD id)
{
    CDibEditNode* node = FindNode(id);
    if (!node)
        return 0;
    UnlinkAndDelete(node);
    return 1;
}

void CDibEditList::DeleteAllNode()
{
    CDibEditNode* node = m_pHeadNode;
    while (node) {
        CDibEditNode* after = node->GetAfterNode();
        delete node;
        node = after;
    }
    m_pHeadNode = m_pTailNode = NULL;
    m_dwCount = 0;
}

bool CDibEditList::ReadCollectionHeader(CFile& file, DWORD tag, DWORD& count)
{
    DWORD storedTag;
    DWORD unusedBodyLength;
    return ReadField(file, storedTag) && storedTag == tag && ReadField(file, unusedBodyLength) &&
           ReadField(file, count);
}

DWORD CDibEditList::CreateNewNodeFromFile(const char* path, DWORD tag)
{
    CFile file;
    if (!file.Open(path, CFile::modeRead, NULL))
        return 0;
    return CreateNewNodeFromFile(file, tag, 1);
}

DWORD CDibEditList::CreateNewNodeFromFile(CFile& file, DWORD tag, int bClose)
{
    const uint64_t start = file.GetPosition();
    DWORD count;
    if (!ReadCollectionHeader(file, tag, count))
        return RestorePosition(file, start, bClose, 0);
    // Each chunk must arrive whole, so a hostile count ends at the file's end.
    DWORD appended = 0;
    for (DWORD i = 0; i < count; ++i) {
        std::unique_ptr<CDibEditNode> node(new (std::nothrow) CDibEditNode);
        if (!node || !node->ReadChunk(file))
            break;
        AppendNode(node.release());
        ++appended;
    }
    if (bClose)
        file.Close();
    return appended;
}

DWORD CDibEditList::SaveFile(const char* path, DWORD tag)
{
    CFile file;
    if (!file.Open(path, CFile::modeCreate | CFile::modeWrite, NULL))
        return 0;
    return SaveFile(file, tag, 1);
}

// Every file exception on the way, the body length's write-back and the close
// included, makes the save fail: the caller never sees one, and with bClose a
// collection that may be incomplete does not stay behind.
DWORD CDibEditList::SaveFile(CFile& file, DWORD tag, int bClose)
{
    if (m_dwCount == 0 || !m_pHeadNode)
        return 0;
    uint64_t bodyLength = kNodeCountBytes;
    bool written = true;
    try {
        WriteField(file, tag);
        const uint64_t lengthPosition = file.GetPosition();
        WriteField(file, DWORD{0});
        WriteField(file, m_dwCount);
        for (CDibEditNode* node = m_pHeadNode; node && written; node = node->GetAfterNode()) {
            const DWORD chunkBytes = node->WriteChunk(file);
            bodyLength += chunkBytes;
            written = chunkBytes != 0 && kTagAndLengthBytes + bodyLength <= kMaxBlockBytes;
        }
        if (written) {
            file.Seek(static_cast<int64_t>(lengthPosition), CFile::begin);
            WriteField(file, static_cast<DWORD>(bodyLength));
            file.Seek(static_cast<int64_t>(bodyLength), CFile::current);
            if (bClose)
                file.Close();
        }
    } catch (CFileException* error) {
        error->Delete();
        written = false;
    }
    if (!written) {
        DiscardFailedSave(file, bClose);
        return 0;
    }
    return static_cast<DWORD>(kTagAndLengthBytes + bodyLength);
}

DWORD CDibEditList::RefreshNodeFromFile(CFile& file, DWORD tag, int bClose)
{
    const uint64_t start = file.GetPosition();
    DWORD count;
    if (!ReadCollectionHeader(file, tag, count))
        return RestorePosition(file, start, bClose, 0);
    for (DWORD passed = 0; passed < count; ++passed) {
        WORD id;
        if (!ReadField(file, id))
            return RestorePosition(file, start, bClose, passed);
        if (CDibEditNode* node = FindNode(id)) {
            // A failed refresh leaves the file inside the chunk: nothing after it can be trusted.
            if (!node->RefreshChunk(file))
                return RestorePosition(file, start, bClose, passed);
            continue;
        }
        DWORD chunkLength;
        if (!ReadField(file, chunkLength) || chunkLength > BytesLeft(file))
            return RestorePosition(file, start, bClose, passed);
        file.Seek(chunkLength, CFile::current);
    }
    if (bClose)
        file.Close();
    return count;
}
