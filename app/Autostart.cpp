#include "app/Autostart.h"

namespace Tr {

namespace {

// Owns one CoreFoundation reference.
template <class Ref>
class CFHolder
{
public:
    explicit CFHolder(Ref held) : ref(held) {}
    ~CFHolder()
    {
        if (ref)
            CFRelease(ref);
    }
    CFHolder(CFHolder const&) = delete;
    CFHolder& operator=(CFHolder const&) = delete;

    Ref get() const { return ref; }

private:
    Ref ref;
};

CFURLRef fileURL(BString const& path)
{
    return CFURLCreateFromFileSystemRepresentation(
        kCFAllocatorDefault, reinterpret_cast<unsigned char const*>(path.c_str()), path.length(), false);
}

LSSharedFileListRef loginItems()
{
    return LSSharedFileListCreate(kCFAllocatorDefault, kLSSharedFileListSessionLoginItems, nullptr);
}

// The path's URL, the login-item list and the path's item in it, if any.
struct LoginItemLookup
{
    explicit LoginItemLookup(BString const& path)
        : url(fileURL(path)), list(loginItems()), item(OSX_findAutostartItem(url.get(), list.get()))
    {
    }

    CFHolder<CFURLRef> url;
    CFHolder<LSSharedFileListRef> list;
    CFHolder<LSSharedFileListItemRef> item;
};

} // namespace

LSSharedFileListItemRef OSX_findAutostartItem(CFURLRef url, LSSharedFileListRef list)
{
    if (!url || !list)
        return nullptr;
    CFHolder<CFArrayRef> snapshot(LSSharedFileListCopySnapshot(list, nullptr));
    for (CFIndex i = 0; i < CFArrayGetCount(snapshot.get()); ++i) {
        auto item = static_cast<LSSharedFileListItemRef>(const_cast<void*>(CFArrayGetValueAtIndex(snapshot.get(), i)));
        CFURLRef resolved = nullptr;
        OSStatus status = LSSharedFileListItemResolve(
            item, kLSSharedFileListNoUserInteraction | kLSSharedFileListDoNotMountVolumes, &resolved);
        CFHolder<CFURLRef> itemURL(status == noErr ? resolved : nullptr);
        if (CFEqual(itemURL.get(), url))
            return static_cast<LSSharedFileListItemRef>(const_cast<void*>(CFRetain(item)));
    }
    return nullptr;
}

int AddProgramToAutostart(BString const&, BString const& path, BString const&, int)
{
    LoginItemLookup lookup(path);
    if (lookup.item.get())
        return 1;
    if (!lookup.url.get() || !lookup.list.get())
        return 0;
    CFHolder<LSSharedFileListItemRef> added(LSSharedFileListInsertItemURL(
        lookup.list.get(), kLSSharedFileListItemBeforeFirst, nullptr, lookup.url.get()));
    return added.get() ? 1 : 0;
}

int RemoveProgramFromAutostart(BString const&, BString const& path)
{
    LoginItemLookup lookup(path);
    return !lookup.item.get() || LSSharedFileListItemRemove(lookup.list.get(), lookup.item.get()) == noErr ? 1 : 0;
}

int IsProgramInAutostart(BString const&, BString const& path)
{
    return LoginItemLookup(path).item.get() ? 1 : 0;
}

} // namespace Tr
