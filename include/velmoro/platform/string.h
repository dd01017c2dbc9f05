// SPDX-License-Identifier: MIT
/// @file
/// Owned, NUL-terminated 8-bit text.
#ifndef VELMORO_PLATFORM_STRING_H
#define VELMORO_PLATFORM_STRING_H

#include <velmoro/types.h>

/// Owned, NUL-terminated 8-bit text. Copies are deep; an allocation that fails
/// throws std::bad_alloc and leaves the string as it was.
class VELMORO_API CString {
public:
    /// The empty string.
    CString();
    /// A copy of the text; NULL gives the empty string. Text longer than an int
    /// can count throws std::bad_alloc.
    CString(const char* text);
    /// A copy of the first length bytes of the text; NULL or a length of 0 or
    /// less gives the empty string.
    CString(const char* text, int length);
    /// A copy.
    CString(const CString& other);
    /// Takes the other's text; the other becomes empty.
    CString(CString&& other) noexcept;
    /// Releases the text.
    ~CString();

    /// Copies the other's text.
    CString& operator=(const CString& other);
    /// Takes the other's text; the other becomes empty.
    CString& operator=(CString&& other) noexcept;
    /// Copies the text (which may be part of this string); NULL empties the string.
    CString& operator=(const char* text);

    /// The text, never NULL; valid until the string changes or goes.
    operator const char*() const { return m_pszData; }
    /// Characters before the NUL.
    int GetLength() const { return m_nLength; }
    /// TRUE for the empty string.
    BOOL IsEmpty() const { return m_nLength == 0; }
    /// Makes the string empty.
    void Empty();

    /// Equal lengths and bytes.
    bool operator==(const CString& other) const;
    /// Equal to the text up to its NUL; NULL equals the empty string.
    bool operator==(const char* text) const;
    /// Not equal.
    bool operator!=(const CString& other) const { return !(*this == other); }

private:
    void Assign(const char* text, int length);

    char* m_pszData;
    int m_nLength;
};

#endif
