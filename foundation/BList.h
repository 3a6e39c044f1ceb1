#pragma once

#include <algorithm>

namespace Tr {

// Growable array of pointers. A plain list never owns its items: only the
// *AndDelete members delete them. Owners read `items` and `count` directly and keep
// indices in range themselves; the list has no lock of its own.
template <class T>
class BList {
public:
    T* items = nullptr;
    int count = 0;
    int capacity = 0;

    BList() = default;
    BList(BList const&) = delete;
    BList& operator=(BList const&) = delete;
    virtual ~BList() { delete[] items; }

    // No bounds test: the caller keeps index within 0..count-1.
    virtual void setItem(int index, T const& item) { items[index] = item; }

    virtual void clear() { count = 0; }

    virtual void clear(int newCapacity)
    {
        count = 0;
        setCapacity(newCapacity, 0);
    }

    virtual void add(T const& item)
    {
        T value = item; // item may refer into the array that makeRoom replaces
        makeRoom();
        items[count] = value;
        ++count;
    }

    virtual bool remove(int index) { return removeImpl(index); }

    // keep != 0 preserves the first min(count, n) items; keep == 0 empties the list,
    // because nothing is copied into the new array.
    virtual void setCapacity(int newCapacity, int keep)
    {
        int n = std::max(newCapacity, 0);
        if (n == capacity)
            return;
        count = keep ? std::min(count, n) : 0;
        T* newItems = n > 0 ? new T[n]() : nullptr;
        if (count > 0)
            std::copy(items, items + count, newItems);
        delete[] items;
        items = newItems;
        capacity = n;
    }

    bool addIfNotExists(T const& item)
    {
        if (indexOf(item) >= 0)
            return false;
        add(item);
        return true;
    }

    // Appends the other list's items; the capacity becomes exactly the new total.
    void add(BList const& other)
    {
        int otherCount = other.count;
        setCapacity(count + otherCount, 1);
        std::copy(other.items, other.items + otherCount, items + count);
        count += otherCount;
    }

    int indexOf(T const& item) const
    {
        for (int i = 0; i < count; ++i)
            if (items[i] == item)
                return i;
        return -1;
    }

    // The bound is read again after every deletion: a destructor may change the list.
    void clearAndDelete()
    {
        for (int i = 0; i < count; ++i) {
            T item = items[i];
            if (item) {
                items[i] = nullptr;
                delete item;
            }
        }
        count = 0;
    }

    bool removeAndDelete(int index)
    {
        if (index < 0 || index >= count)
            return false;
        T item = items[index];
        removeImpl(index);
        delete item;
        return true;
    }

    bool removeAndDelete(T const& item) { return removeAndDelete(indexOf(item)); }

    // No bounds test. Storing the pointer already held keeps it alive.
    void setItemAndDelete(int index, T const& item)
    {
        T old = items[index];
        items[index] = item;
        if (old != item)
            delete old;
    }

    bool removeImpl(int index)
    {
        if (index < 0 || index >= count)
            return false;
        std::copy(items + index + 1, items + count, items + index);
        --count;
        return true;
    }

    // Capacity runs 0 -> 16 -> 32 -> 64 ...
    void makeRoom()
    {
        if (count != capacity)
            return;
        if (count == 0)
            setCapacity(16, 0);
        else
            setCapacity(count * 2, 1);
    }
};

// A list that owns its items: it deletes an item when the item is overwritten,
// removed or cleared, and when the list dies.
template <class T>
class BOwnedList : public BList<T> {
public:
    using Base = BList<T>;

    BOwnedList() = default;
    ~BOwnedList() override { Base::clearAndDelete(); }

    void setItem(int index, T const& item) override { Base::setItemAndDelete(index, item); }

    void clear() override { Base::clearAndDelete(); }

    void clear(int newCapacity) override
    {
        Base::clearAndDelete();
        Base::setCapacity(newCapacity, 0);
    }

    bool remove(int index) override { return Base::removeAndDelete(index); }

    // With keep, the items beyond the new capacity are deleted from the highest down;
    // without keep, every item is deleted.
    void setCapacity(int newCapacity, int keep) override
    {
        if (keep) {
            int n = std::max(newCapacity, 0);
            for (int i = this->count - 1; i >= n; --i)
                Base::removeAndDelete(i);
        } else {
            Base::clearAndDelete();
        }
        Base::setCapacity(newCapacity, keep);
    }

    // Takes the item out without deleting it; the caller owns it afterwards.
    virtual T steal(int index)
    {
        if (index < 0 || index >= this->count || !this->items[index])
            return nullptr;
        T item = this->items[index];
        Base::removeImpl(index);
        return item;
    }

    virtual T steal(T const& item) { return steal(this->indexOf(item)); }

    // The target takes over every item, in order; this list ends empty.
    virtual void moveTo(BOwnedList& target)
    {
        if (&target == this)
            return;
        target.add(static_cast<Base const&>(*this));
        this->count = 0;
    }

    virtual bool remove(T const& item) { return Base::removeAndDelete(item); }
};

} // namespace Tr
