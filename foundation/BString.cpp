#include "foundation/BString.h"

#include "foundation/ByteString.h"
#include "platform/cocoa/NSString.h"
#include "platform/corefoundation/CFString.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <new>
#include <vector>

namespace Tr {

namespace {

size_t blockSize(int capacity)
{
    return sizeof(BStringContainer) + static_cast<size_t>(capacity) + 1;
}

BStringContainer* construct(void* block, int capacity, BStringOtherRepresentations* otherForms)
{
    if (!block)
        throw std::bad_alloc();
    auto* container = new (block) BStringContainer;
    container->refCount.store(1, std::memory_order_relaxed);
    container->otherForms = otherForms;
    container->capacity = capacity;
    return container;
}

BStringContainer* newContainer(int capacity)
{
    capacity = std::max(capacity, 0);
    BStringContainer* container = construct(std::malloc(blockSize(capacity)), capacity, nullptr);
    container->text()[0] = 0;
    return container;
}

// An unshared container keeps its text and other forms; the allocator extends the block where it
// lies when it can, so a string built by appends is copied only when its block must move. On
// failure the old block is still whole.
BStringContainer* grown(BStringContainer* container, int capacity)
{
    BStringOtherRepresentations* otherForms = container->otherForms;
    return construct(std::realloc(container, blockSize(capacity)), capacity, otherForms);
}

bool isShared(BStringContainer const* container)
{
    return container->refCount.load(std::memory_order_acquire) != 1;
}

// A container of capacity max(minCapacity, copied length) holding at most maxLen bytes of text.
BStringContainer* copyOf(char const* text, int maxLen, int minCapacity)
{
    int n = bstrlen(text, maxLen);
    BStringContainer* container = newContainer(std::max(n, minCapacity));
    bmemcpy(container->text(), text, n);
    container->text()[n] = 0;
    return container;
}

} // namespace

static_assert(offsetof(BStringEmptyBlock, text) == sizeof(BStringContainer), "the text follows the header");

BStringEmptyBlock BString::emptyBlock = {{{2}, nullptr, 0}, {0}};

const BString BString::empty(&emptyBlock.header);

BString::BString(BString const& other, int maxLen, int minCapacity)
    : c(maxLen == INT_MAX && minCapacity < 0 ? retain(other.c) : copyOf(other.c_str(), maxLen, minCapacity))
{
}

BString::BString(char const* text, int maxLen, int minCapacity) : c(copyOf(text, maxLen, minCapacity)) {}

BString::BString(unsigned char const* text, int maxLen, int minCapacity)
    : c(copyOf(reinterpret_cast<char const*>(text), maxLen, minCapacity))
{
}

BString::BString(__CFString const* text) : BString()
{
    CFIndex units = text ? CFStringGetLength(text) : 0;
    CFIndex size = CFStringGetMaximumSizeForEncoding(units, kCFStringEncodingUTF8);
    if (units == 0 || size < 0 || size >= INT_MAX)
        return;
    std::vector<char> buffer(static_cast<size_t>(size) + 1);
    if (CFStringGetCString(text, buffer.data(), size + 1, kCFStringEncodingUTF8))
        replaceContainer(copyOf(buffer.data(), INT_MAX, -1));
}

BString::BString(NSString* text)
    : c(copyOf(text ? text->cStringUsingEncoding(NSUTF8StringEncoding) : nullptr, INT_MAX, -1))
{
}

void BString::destroy(BStringContainer* container)
{
    if (BStringOtherRepresentations* other = container->otherForms) {
        std::free(other->utf16);
        std::free(other->utf32);
        std::free(other);
    }
    container->~BStringContainer();
    std::free(container);
}

BString& BString::operator=(BString const& other)
{
    return assign(other);
}

BString& BString::assign(BString const& other)
{
    if (other.c != c) {
        BStringContainer* old = c;
        c = retain(other.c);
        release(old);
    }
    return *this;
}

BString& BString::assign(char const* text, int maxLen)
{
    if (pointsIntoText(text))
        return assign(BString(text, maxLen));
    int n = bstrlen(text, maxLen);
    eraseWithNewCapacity(n);
    return appendBytes(text, n);
}

BString& BString::assign(char c)
{
    return assign(&c, 1);
}

__CFString const* BString::toCFString() const
{
    return CFStringCreateWithCString(kCFAllocatorDefault, c_str(), kCFStringEncodingUTF8);
}

NSString* BString::toNSString() const
{
    return NSString::stringWithCString(c_str(), NSUTF8StringEncoding);
}

void BString::replaceContainer(BStringContainer* container) const
{
    BStringContainer* old = c;
    c = container;
    release(old);
}

void BString::setCapacity(int n) const
{
    if (isShared(c))
        replaceContainer(copyOf(c->text(), INT_MAX, std::max(n, c->capacity)));
    else if (c->capacity < n)
        c = grown(c, n);
}

void BString::makeUnique(int n) const
{
    setCapacity(n < 0 ? c->capacity : n);
}

void BString::eraseWithNewCapacity(int n)
{
    if (c->capacity < n || isShared(c))
        replaceContainer(newContainer(n));
    else
        text()[0] = 0;
    changedInPlace();
}

void BString::clear()
{
    if (isShared(c)) {
        assign(BString());
        return;
    }
    text()[0] = 0;
    changedInPlace();
}

void BString::setLength(int n)
{
    if (n > length()) {
        setCapacity(n);
        return;
    }
    makeUnique();
    text()[std::max(n, 0)] = 0;
    changedInPlace();
}

// An empty string whose container already holds capacity bytes, for writing into directly.
BString BString::withCapacity(int capacity)
{
    return BString(static_cast<char const*>(nullptr), 0, capacity);
}

} // namespace Tr
