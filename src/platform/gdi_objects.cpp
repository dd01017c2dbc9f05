// SPDX-License-Identifier: MIT
// The registry of live graphics handles, and the calls that work on any object.
#include "platform/gdi_objects.h"

#include <cstring>
#include <mutex>
#include <new>
#include <unordered_map>

namespace velmoro {
namespace gdi {
namespace {

template <typename Handle, typename Object>
class Registry {
public:
    // A fresh handle for the object, or NULL when memory is short.
    Handle Add(Object* object)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        const Handle handle = reinterpret_cast<Handle>(static_cast<uintptr_t>(m_lastSerial + 1) << 4);
        try {
            m_objects.emplace(handle, object);
        } catch (const std::bad_alloc&) {
            return nullptr;
        }
        ++m_lastSerial;
        return handle;
    }

    Object* Find(Handle handle)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        const auto found = m_objects.find(handle);
        return found == m_objects.end() ? nullptr : found->second;
    }

    void Remove(Handle handle)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_objects.erase(handle);
    }

private:
    std::mutex m_mutex;
    uint64_t m_lastSerial = 0;
    std::unordered_map<Handle, Object*> m_objects;
};

// Never destroyed: objects owned by static objects of a program may be deleted
// after this file's statics would have been.
Registry<HGDIOBJ, VelmoroGdiObject>& Objects()
{
    static auto* registry = new Registry<HGDIOBJ, VelmoroGdiObject>;
    return *registry;
}

Registry<HDC, VelmoroDeviceContext>& Contexts()
{
    static auto* registry = new Registry<HDC, VelmoroDeviceContext>;
    return *registry;
}

}  // namespace

HGDIOBJ RegisterObject(VelmoroGdiObject* object)
{
    if (!object)
        return nullptr;
    const HGDIOBJ handle = Objects().Add(object);
    if (!handle) {
        delete object;
        return nullptr;
    }
    object->handle = handle;
    return handle;
}

HDC RegisterContext(VelmoroDeviceContext* context)
{
    if (!context)
        return nullptr;
    const HDC handle = Contexts().Add(context);
    if (!handle) {
        delete context;
        return nullptr;
    }
    context->handle = handle;
    return handle;
}

VelmoroGdiObject* FindObject(HGDIOBJ handle)
{
    return handle ? Objects().Find(handle) : nullptr;
}

VelmoroDeviceContext* FindContext(HDC handle)
{
    return handle ? Contexts().Find(handle) : nullptr;
}

void UnregisterObject(VelmoroGdiObject* object)
{
    Objects().Remove(object->handle);
}

void UnregisterContext(VelmoroDeviceContext* context)
{
    Contexts().Remove(context->handle);
}

}  // namespace gdi
}  // namespace velmoro

using namespace velmoro::gdi;

BOOL DeleteObject(HGDIOBJ handle)
{
    VelmoroGdiObject* object = FindObject(handle);
    if (!object)
        return FALSE;
    if (object->stock)
        return TRUE;
    if (object->selections > 0)
        return FALSE;
    UnregisterObject(object);
    delete object;
    return TRUE;
}

int GetObjectA(HGDIOBJ handle, int size, void* buffer)
{
    if (const Bitmap* bitmap = Find<Bitmap>(handle)) {
        if (!buffer)
            return static_cast<int>(sizeof(BITMAP));
        if (size < static_cast<int>(sizeof(BITMAP)))
            return 0;
        BITMAP record{};
        record.bmWidth = bitmap->width;
        record.bmHeight = bitmap->height;
        record.bmWidthBytes = static_cast<LONG>(bitmap->rowBytes);
        record.bmPlanes = 1;
        record.bmBitsPixel = static_cast<WORD>(bitmap->bitsPerPixel);
        record.bmBits = bitmap->bits.get();
        std::memcpy(buffer, &record, sizeof record);
        return static_cast<int>(sizeof(BITMAP));
    }
    if (const Palette* palette = Find<Palette>(handle)) {
        if (!buffer)
            return static_cast<int>(sizeof(WORD));
        if (size < static_cast<int>(sizeof(WORD)))
            return 0;
        const WORD count = static_cast<WORD>(palette->count);
        std::memcpy(buffer, &count, sizeof count);
        return static_cast<int>(sizeof(WORD));
    }
    return 0;
}
