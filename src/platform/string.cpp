// SPDX-License-Identifier: MIT
#include <velmoro/platform/string.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {
char g_emptyText[1] = {0};

// A length is an int: longer text cannot be held whole, so it is refused like
// any other text there is no memory for.
int TextLength(const char* text)
{
    const size_t length = std::strlen(text);
    if (length > static_cast<size_t>(INT_MAX))
        throw std::bad_alloc();
    return static_cast<int>(length);
}
}  // namespace

CString::CString() : m_pszData(g_emptyText), m_nLength(0) {}

CString::CString(const char* text) : CString()
{
    if (text)
        Assign(text, TextLength(text));
}

CString::CString(const char* text, int length) : CString()
{
    if (text && length > 0)
        Assign(text, length);
}

CString::CString(const CString& other) : CString()
{
    Assign(other.m_pszData, other.m_nLength);
}

CString::CString(CString&& other) noexcept : m_pszData(other.m_pszData), m_nLength(other.m_nLength)
{
    other.m_pszData = g_emptyText;
    other.m_nLength = 0;
}

CString::~CString()
{
    Empty();
}

CString& CString::operator=(const CString& other)
{
    if (this != &other)
        Assign(other.m_pszData, other.m_nLength);
    return *this;
}

CString& CString::operator=(CString&& other) noexcept
{
    if (this != &other) {
        Empty();
        m_pszData = other.m_pszData;
        m_nLength = other.m_nLength;
        other.m_pszData = g_emptyText;
        other.m_nLength = 0;
    }
    return *this;
}

CString& CString::operator=(const char* text)
{
    if (!text) {
        Empty();
    } else if (text != m_pszData) {
        Assign(text, TextLength(text));
    }
    return *this;
}

void CString::Empty()
{
    if (m_pszData != g_emptyText)
        delete[] m_pszData;
    m_pszData = g_emptyText;
    m_nLength = 0;
}

// Copies first, so assigning a part of this string to itself is safe.
void CString::Assign(const char* text, int length)
{
    if (length <= 0) {
        Empty();
        return;
    }
    char* copy = new char[static_cast<size_t>(length) + 1];
    std::memcpy(copy, text, static_cast<size_t>(length));
    copy[length] = '\0';
    Empty();
    m_pszData = copy;
    m_nLength = length;
}

bool CString::operator==(const CString& other) const
{
    return m_nLength == other.m_nLength &&
           std::memcmp(m_pszData, other.m_pszData, static_cast<size_t>(m_nLength)) == 0;
}

bool CString::operator==(const char* text) const
{
    return std::strcmp(m_pszData, text ? text : "") == 0;
}
