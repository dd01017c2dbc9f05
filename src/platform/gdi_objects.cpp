// The registry of live graphics handles, and the calls that work on any object.
#include "platform/gdi_objects.h"

#include <cstring>
#include <mutex>
#include <new>
#include <unordered_set>

namespace velmoro {
namespace gdi {
namespace {

template <typename T>
class Registry {
public:
    bool Add(const T* item)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        try {
            m_items.insert(item);
            return true;
        } catch (const std::bad_alloc&) {
            return false;
        }
    }

    bool Contains(const T* item)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_items.count(item) != 0;
    }

    void Remove(const T* item)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_items.erase(item);
    }

private:
    std::mutex m_mutex;
    std::unordered_set<const T*> m_items;
};

// Never destroyed: objects owned by static objects of a program may be deleted
// after this file's statics would have been.
Registry<VelmoroGdiObject>& Objects()
{
    static auto* registry = new Registry<VelmoroGdiObject>;
    return *registry;
}

Registry<VelmoroDeviceContext>& Contexts()
{
    static auto* registry = new Registry<VelmoroDeviceContext>;
    return *registry;
}

}  // namespace

HGDIOBJ RegisterObject(VelmoroGdiObject* object)
{
    if (object && !Objects().Add(object)) {
        delete object;
        return nullptr;
    }
    return object;
}

HDC RegisterContext(VelmoroDeviceContext* context)
{
    if (context && !Contexts().Add(context)) {
        delete context;
        return nullptr;
    }
    return context;
}

VelmoroGdiObject* FindObject(HGDIOBJ handle)
{
    return handle && Objects().Contains(handle) ? handle : nullptr;
}

VelmoroDeviceContext* FindContext(HDC handle)
{
    return handle && Contexts().Contains(handle) ? handle : nullptr;
}

void UnregisterObject(VelmoroGdiObject* object)
{
    Objects().Remove(object);
}

void UnregisterContext(VelmoroDeviceContext* context)
{
    Contexts().Remove(context);
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
