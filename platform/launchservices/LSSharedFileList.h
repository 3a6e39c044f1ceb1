#pragma once
// The user's login items as LaunchServices keeps them, here the XDG autostart
// entries of the user's autostart folder (see AutostartEntry.h): every visible
// entry is one item, whose URL is the program it starts, or the application
// bundle that holds that program. The folder keeps no order, so the position
// given to an insertion is not kept; a snapshot lists the entries by file name.

#include "platform/corefoundation/CFArray.h"
#include "platform/corefoundation/CFString.h"
#include "platform/corefoundation/CFURL.h"

#include <cstdint>

typedef int32_t OSStatus;
typedef uint32_t UInt32;

typedef struct OpaqueLSSharedFileListRef* LSSharedFileListRef;
typedef struct OpaqueLSSharedFileListItemRef* LSSharedFileListItemRef;

enum : OSStatus { noErr = 0, ioErr = -36, paramErr = -50 };

enum : UInt32 {
    kLSSharedFileListNoUserInteraction = 1,
    kLSSharedFileListDoNotMountVolumes = 2
};

// The only list type: the session's login items.
extern const CFStringRef kLSSharedFileListSessionLoginItems;
extern const LSSharedFileListItemRef kLSSharedFileListItemBeforeFirst;
extern const LSSharedFileListItemRef kLSSharedFileListItemLast;

// The list of that type, read from the autostart folder as it is now; null for
// another type. The options are not used.
LSSharedFileListRef LSSharedFileListCreate(CFAllocatorRef allocator, CFStringRef listType, CFTypeRef options);
// The items, each retained by the array; seed may be null and receives 0.
CFArrayRef LSSharedFileListCopySnapshot(LSSharedFileListRef list, UInt32* seed);
// Writes an entry that starts what url points at, named displayName (null: the
// URL's file name without ".app"). An existing entry of that file name is
// replaced only when it is hidden or starts the same program. Returns the new
// item, retained for the caller; null when the entry cannot be written.
LSSharedFileListItemRef LSSharedFileListInsertItemURL(LSSharedFileListRef list, LSSharedFileListItemRef insertAfter,
                                                      CFStringRef displayName, CFURLRef url);
// The item's URL, retained for the caller. Nothing needs user interaction or a
// volume mounted here, so the flags change nothing.
OSStatus LSSharedFileListItemResolve(LSSharedFileListItemRef item, UInt32 flags, CFURLRef* outURL);
// Deletes the item's entry; an entry already gone is success.
OSStatus LSSharedFileListItemRemove(LSSharedFileListRef list, LSSharedFileListItemRef item);
