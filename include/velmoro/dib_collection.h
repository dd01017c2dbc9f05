// SPDX-License-Identifier: MIT
/// @file
/// Edit nodes (an editable image with list links, an ID and an ID string) and
/// the edit list with its collection file.
#ifndef VELMORO_DIB_COLLECTION_H
#define VELMORO_DIB_COLLECTION_H

#include <velmoro/dib_edit.h>
#include <velmoro/platform/file.h>
#include <velmoro/platform/string.h>

#include <cstddef>
#include <new>

class CDibEditNode;
class CDibEditList;

/// One image of a collection: an editable image with list links, a 16-bit ID
/// and an ID string. Written to and read from a file as one chunk:
/// ID (2 bytes), chunk length (4), n (1), n bytes of ID string, S1 (4), the info
/// block (S1 bytes), S2 (4), the pixel block (S2 bytes); little-endian.
///
/// Example: examples/collection_refresh.cpp.
class VELMORO_API CDibEditNode : public CDibEdit {
public:
    /// An empty node: no image, no links, ID 0, an empty ID string.
    CDibEditNode();
    /// Releases the image; the links are not followed.
    ~CDibEditNode();
    /// Copies take the links, the ID and the ID string, and a deep copy of the
    /// image; a copy whose image allocation fails holds no image (construction)
    /// or keeps its own (assignment).
    CDibEditNode(const CDibEditNode& other);
    /// As the copy constructor; a failed image copy keeps this node's image.
    CDibEditNode& operator=(const CDibEditNode& other);

    /// @name Allocation
    /// Nodes come from the library's block allocator like every block it owns, so a
    /// node the library cannot make fails like any other allocation. new and delete
    /// pair as usual; the plain form throws std::bad_alloc, the nothrow form gives NULL.
    //@{
    /// A node's memory; throws std::bad_alloc when there is none.
    static void* operator new(std::size_t bytes);
    /// A node's memory, NULL when there is none.
    static void* operator new(std::size_t bytes, const std::nothrow_t&) noexcept;
    /// Releases a node's memory.
    static void operator delete(void* node) noexcept;
    /// Releases a node's memory (a nothrow new whose constructor threw).
    static void operator delete(void* node, const std::nothrow_t&) noexcept;
    //@}

    /// Sets the ID that CDibEditList::FindNode looks for.
    void SetID(WORD id) { m_wID = id; }
    /// The node's ID.
    WORD GetID() const { return m_wID; }
    /// Sets the ID string (NULL: empty). A chunk stores at most 254 characters
    /// and the NUL; throws std::bad_alloc when memory is short.
    void SetIDString(const char* text);
    /// The ID string, never NULL. Valid until the ID string changes or the node is destroyed.
    const char* GetIDString() const { return m_strIDString; }

    /// @name Links
    /// Each setter writes one link only; the neighbour and the list are not
    /// touched. A list keeps its members' links itself: set them only on nodes of no list.
    //@{
    /// Sets the node before this one.
    void SetBeforeNode(CDibEditNode* node) { m_pBeforeNode = node; }
    /// Sets the node after this one.
    void SetAfterNode(CDibEditNode* node) { m_pAfterNode = node; }
    /// The node before this one, NULL at the head.
    CDibEditNode* GetBeforeNode() const { return m_pBeforeNode; }
    /// The node after this one, NULL at the tail.
    CDibEditNode* GetAfterNode() const { return m_pAfterNode; }
    //@}

    /// Writes this node as one chunk at the current position: the chunk's size in
    /// bytes, or 0 when a write failed or the node holds no image a chunk can carry
    /// (then nothing is written). A write that fails part-way leaves the bytes
    /// written so far; the file's exception is caught and released.
    DWORD WriteChunk(CFile& file);
    /// Reads one whole chunk (ID, ID string, image) at the current position: 1, or 0
    /// with the image unchanged (the ID and ID string may already be the chunk's).
    /// Every size is checked against the bytes left before it is allocated.
    /// Exceptions from Read and Seek pass through.
    int ReadChunk(CFile& file);
    /// Reads the rest of a chunk whose ID the caller has consumed and replaces only
    /// the image; the node keeps its ID and ID string. 1, or 0 with the image unchanged.
    int RefreshChunk(CFile& file);

protected:
    /// The two blocks of a chunk read at the current position, swapped in on
    /// success: 1, or 0 with the image unchanged.
    int ReadChunkImage(CFile& file);

    CDibEditNode* m_pBeforeNode;  ///< The node before this one, NULL at the head.
    CDibEditNode* m_pAfterNode;   ///< The node after this one, NULL at the tail.
    WORD m_wID;                   ///< The ID.
    CString m_strIDString;        ///< The ID string.
};

/// A doubly linked list of nodes in insertion order, owning them, and the
/// collection file: tag (4 bytes), body length (4), node count (4), then one chunk
/// per node from the head. The tag is the caller's: a collection is read back
/// only with the tag it was saved with.
///
/// Example: examples/collection_refresh.cpp.
class VELMORO_API CDibEditList {
public:
    /// An empty list.
    CDibEditList();
    /// Deletes every node.
    ~CDibEditList();
    /// Copies deep-copy every node; when a copy cannot be completed the target is
    /// left as it was (an empty list for construction).
    CDibEditList(const CDibEditList& other);
    /// As the copy constructor; a copy that cannot be completed leaves this list as it was.
    CDibEditList& operator=(const CDibEditList& other);

    /// Links a node made with new in as the tail and takes ownership: 1, or 0 for NULL
    /// or a node already in this list (the list is left as it was).
    int AppendNode(CDibEditNode* node);
    /// The first node from the head with that ID, or NULL.
    CDibEditNode* FindNode(WORD id) const;
    /// The head, NULL for an empty list.
    CDibEditNode* GetFirstNode() const { return m_pHeadNode; }
    /// The node after node, NULL after the tail or for NULL.
    CDibEditNode* GetNextNode(CDibEditNode* node) const { return node ? node->GetAfterNode() : NULL; }
    /// The number of nodes.
    DWORD GetCount() const { return m_dwCount; }

    /// Unlinks and deletes a node of this list: 1, or 0 for NULL or a node not in it.
    int DeleteNodeUsingPtr(CDibEditNode* node);
    /// Deletes the first node with that ID: 1, or 0 when no node has it.
    int DeleteNode(WORD id);
    /// Deletes every node; the list is empty afterwards.
    void DeleteAllNode();

    /// Reads a collection at the current position and appends one node per chunk;
    /// the number of nodes appended. A wrong tag or short header restores the
    /// position and gives 0; a chunk that fails to read ends the loading there,
    /// keeping the nodes appended before it. bClose closes the file in every case.
    /// Exceptions from the file object's Read and Seek pass through.
    DWORD CreateNewNodeFromFile(CFile& file, DWORD tag, int bClose);
    /// Opens the file and reads it as above; 0 when it cannot be opened.
    DWORD CreateNewNodeFromFile(const char* path, DWORD tag);
    /// Writes the whole list as a collection at the current position: the bytes
    /// written, or 0 for an empty list, a node without an image or a failed write
    /// (every file exception is caught). On failure with bClose the file is
    /// closed and, when it is a regular file, removed. The list never changes.
    DWORD SaveFile(CFile& file, DWORD tag, int bClose);
    /// Creates (or truncates) the file and saves into it as above; a failed save
    /// removes it. 0 when it cannot be created.
    DWORD SaveFile(const char* path, DWORD tag);
    /// Replaces the images of the nodes whose IDs occur in the collection, keeping
    /// their IDs and ID strings; chunks of other IDs are passed over. Returns the
    /// number of chunks passed over: all of them, or those before a failure (0 for
    /// a wrong tag). Any failure restores the position; images refreshed before it
    /// stay refreshed. bClose closes the file in every case.
    /// Example: examples/collection_refresh.cpp.
    DWORD RefreshNodeFromFile(CFile& file, DWORD tag, int bClose);

protected:
    /// Unlinks a member and deletes it.
    void UnlinkAndDelete(CDibEditNode* node);
    /// Whether the node is a member of this list.
    bool Contains(const CDibEditNode* node) const;
    /// Reads tag, body length and node count; false (nothing consumed for the
    /// caller to keep) on a short read or another tag.
    static bool ReadCollectionHeader(CFile& file, DWORD tag, DWORD& count);
    /// Exchanges the nodes of two lists.
    void Swap(CDibEditList& other);

    CDibEditNode* m_pHeadNode;  ///< The first node, NULL when the list is empty.
    CDibEditNode* m_pTailNode;  ///< The last node, NULL when the list is empty.
    DWORD m_dwCount;            ///< The number of nodes.
};

#endif
