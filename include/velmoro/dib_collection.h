// Edit nodes (an editable image with list links, an ID and an ID string) and
// the edit list with its collection file.
#ifndef VELMORO_DIB_COLLECTION_H
#define VELMORO_DIB_COLLECTION_H

#include <velmoro/dib_edit.h>
#include <velmoro/platform/file.h>
#include <velmoro/platform/string.h>

#include <cstddef>
#include <new>

class CDibEditNode;
class CDibEditList;

// One image of a collection. Written to and read from a file as one chunk:
// ID (2 bytes), chunk length (4), n (1), n bytes of ID string, S1 (4), the info
// block (S1 bytes), S2 (4), the pixel block (S2 bytes); little-endian.
class VELMORO_API CDibEditNode : public CDibEdit {
public:
    CDibEditNode();
    ~CDibEditNode();
    // Copies take the links, the ID and the ID string, and a deep copy of the
    // image; a copy whose image allocation fails holds no image (construction)
    // or keeps its own (assignment).
    CDibEditNode(const CDibEditNode& other);
    CDibEditNode& operator=(const CDibEditNode& other);

    // Nodes come from the library's block allocator like every block it owns, so a
    // node the library cannot make fails like any other allocation. new and delete
    // pair as usual; the plain form throws std::bad_alloc.
    static void* operator new(std::size_t bytes);
    static void* operator new(std::size_t bytes, const std::nothrow_t&) noexcept;
    static void operator delete(void* node) noexcept;
    static void operator delete(void* node, const std::nothrow_t&) noexcept;

    void SetID(WORD id) { m_wID = id; }
    WORD GetID() const { return m_wID; }
    void SetIDString(const char* text);
    // Valid until the ID string changes or the node is destroyed.
    const char* GetIDString() const { return m_strIDString; }

    // Each writes one link only; the neighbour and the list are not touched.
    void SetBeforeNode(CDibEditNode* node) { m_pBeforeNode = node; }
    void SetAfterNode(CDibEditNode* node) { m_pAfterNode = node; }
    CDibEditNode* GetBeforeNode() const { return m_pBeforeNode; }
    CDibEditNode* GetAfterNode() const { return m_pAfterNode; }

    // Writes this node as one chunk at the current position: the chunk's size in
    // bytes, or 0 when a write failed or the node holds no image a chunk can carry
    // (then nothing is written).
    DWORD WriteChunk(CFile& file);
    // Reads one whole chunk (ID, ID string, image) at the current position: 1, or 0
    // with the image unchanged. Exceptions from Read and Seek pass through.
    int ReadChunk(CFile& file);
    // Reads the rest of a chunk whose ID the caller has consumed and replaces only
    // the image; the node keeps its ID and ID string. 1, or 0 with the image unchanged.
    int RefreshChunk(CFile& file);

protected:
    // The two blocks of a chunk read at the current position, swapped in on success.
    int ReadChunkImage(CFile& file);

    CDibEditNode* m_pBeforeNode;
    CDibEditNode* m_pAfterNode;
    WORD m_wID;
    CString m_strIDString;
};

// A doubly linked list of nodes in insertion order, owning them, and the
// collection file: tag (4 bytes), body length (4), node count (4), then one chunk
// per node from the head.
class VELMORO_API CDibEditList {
public:
    CDibEditList();
    ~CDibEditList();
    // Copies deep-copy every node; when a copy cannot be completed the target is
    // left as it was (an empty list for construction).
    CDibEditList(const CDibEditList& other);
    CDibEditList& operator=(const CDibEditList& other);

    // Links a node made with new in as the tail and takes ownership; 0 for NULL
    // or a node already in this list (the list is left as it was).
    int AppendNode(CDibEditNode* node);
    // The first node from the head with that ID, or NULL.
    CDibEditNode* FindNode(WORD id) const;
    CDibEditNode* GetFirstNode() const { return m_pHeadNode; }
    CDibEditNode* GetNextNode(CDibEditNode* node) const { return node ? node->GetAfterNode() : NULL; }
    DWORD GetCount() const { return m_dwCount; }

    // Unlinks and deletes a node of this list: 1, or 0 for NULL or a node not in it.
    int DeleteNodeUsingPtr(CDibEditNode* node);
    // Deletes the first node with that ID: 1, or 0 when no node has it.
    int DeleteNode(WORD id);
    void DeleteAllNode();

    // Reads a collection at the current position and appends one node per chunk;
    // the number of nodes appended. A wrong tag or short header restores the
    // position and gives 0; a chunk that fails to read ends the loading there.
    DWORD CreateNewNodeFromFile(CFile& file, DWORD tag, int bClose);
    DWORD CreateNewNodeFromFile(const char* path, DWORD tag);
    // Writes the whole list as a collection at the current position: the bytes
    // written, or 0. On failure with bClose the file is closed and removed.
    DWORD SaveFile(CFile& file, DWORD tag, int bClose);
    DWORD SaveFile(const char* path, DWORD tag);
    // Replaces the images of the nodes whose IDs occur in the collection: the
    // number of chunks passed over. Any failure restores the position.
    DWORD RefreshNodeFromFile(CFile& file, DWORD tag, int bClose);

protected:
    void UnlinkAndDelete(CDibEditNode* node);
    bool Contains(const CDibEditNode* node) const;
    // Reads tag, body length and node count; false (nothing consumed for the
    // caller to keep) on a short read or another tag.
    static bool ReadCollectionHeader(CFile& file, DWORD tag, DWORD& count);
    void Swap(CDibEditList& other);

    CDibEditNode* m_pHeadNode;
    CDibEditNode* m_pTailNode;
    DWORD m_dwCount;
};

#endif
