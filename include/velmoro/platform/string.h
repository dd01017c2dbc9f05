// Owned, NUL-terminated 8-bit text.
#ifndef VELMORO_PLATFORM_STRING_H
#define VELMORO_PLATFORM_STRING_H

#include <velmoro/types.h>

class VELMORO_API CString {
public:
    CString();
    CString(const char* text);
    CString(const char* text, int length);
    CString(const CString& other);
    CString(CString&& other) noexcept;
    ~CString();

    CString& operator=(const CString& other);
    CString& operator=(CString&& other) noexcept;
    CString& operator=(const char* text);

    operator const char*() const { return m_pszData; }
    int GetLength() const { return m_nLength; }
    BOOL IsEmpty() const { return m_nLength == 0; }
    void Empty();

    bool operator==(const CString& other) const;
    bool operator==(const char* text) const;
    bool operator!=(const CString& other) const { return !(*this == other); }

private:
    void Assign(const char* text, int length);

    char* m_pszData;
    int m_nLength;
};

#endif
