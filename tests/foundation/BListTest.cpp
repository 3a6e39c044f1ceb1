#include "foundation/BList.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

// An item that writes its id into a shared log when it is deleted.
struct Item {
    Item(int id, std::vector<int>& log) : id(id), log(log) {}
    ~Item() { log.push_back(id); }
    int id;
    std::vector<int>& log;
};

using List = Tr::BList<Item*>;
using OwnedList = Tr::BOwnedList<Item*>;

class BListTest : public ::testing::Test {
protected:
    Item* make(int id) { return new Item(id, deleted); }

    void fill(List& list, int n)
    {
        for (int i = 0; i < n; ++i)
            list.add(make(i));
    }

    static std::vector<int> ids(List const& list)
    {
        std::vector<int> result;
        for (int i = 0; i < list.count; ++i)
            result.push_back(list.items[i] ? list.items[i]->id : -1);
        return result;
    }

    std::vector<int> deleted;
};

// A plain list that deletes its leftovers, so tests of non-owning operations do not leak.
struct PlainList : List {
    ~PlainList() override { clearAndDelete(); }
};

TEST_F(BListTest, NewListIsEmptyWithoutStorage)
{
    PlainList list;
    EXPECT_EQ(list.count, 0);
    EXPECT_EQ(list.capacity, 0);
    EXPECT_EQ(list.items, nullptr);
}

TEST_F(BListTest, CapacityGrowsFrom16ByDoubling)
{
    struct Case {
        int adds;
        int capacity;
    };
    for (Case c : {Case{1, 16}, Case{16, 16}, Case{17, 32}, Case{32, 32}, Case{33, 64}, Case{65, 128}}) {
        PlainList list;
        fill(list, c.adds);
        EXPECT_EQ(list.capacity, c.capacity) << c.adds << " adds";
        EXPECT_EQ(list.count, c.adds);
        EXPECT_EQ(list.items[c.adds - 1]->id, c.adds - 1);
    }
}

TEST_F(BListTest, AddOfAnItemReadFromTheFullArrayStoresIt)
{
    PlainList list;
    fill(list, 16);
    Item* first = list.items[0];
    list.add(list.items[0]);
    EXPECT_EQ(list.capacity, 32);
    EXPECT_EQ(list.items[16], first);
    list.setItem(16, nullptr);
}

TEST_F(BListTest, ClearKeepsStorageAndClearZeroFreesIt)
{
    List list;
    Item a(1, deleted);
    list.add(&a);
    list.clear();
    EXPECT_EQ(list.count, 0);
    EXPECT_EQ(list.capacity, 16);

    list.add(&a);
    list.clear(0);
    EXPECT_EQ(list.count, 0);
    EXPECT_EQ(list.capacity, 0);
    EXPECT_EQ(list.items, nullptr);

    list.add(&a);
    EXPECT_EQ(list.capacity, 16);
    EXPECT_TRUE(deleted.empty());
}

TEST_F(BListTest, SetCapacityWithKeep)
{
    PlainList list;
    fill(list, 5);
    Item** before = list.items;
    list.setCapacity(16, 1);
    EXPECT_EQ(list.items, before);
    EXPECT_EQ(ids(list), (std::vector<int>{0, 1, 2, 3, 4}));

    list.setCapacity(40, 1);
    EXPECT_EQ(list.capacity, 40);
    EXPECT_EQ(ids(list), (std::vector<int>{0, 1, 2, 3, 4}));

    Item* third = list.items[3];
    Item* fourth = list.items[4];
    list.setCapacity(3, 1);
    EXPECT_EQ(list.capacity, 3);
    EXPECT_EQ(ids(list), (std::vector<int>{0, 1, 2}));
    EXPECT_TRUE(deleted.empty());
    delete third;
    delete fourth;
}

TEST_F(BListTest, SetCapacityWithoutKeepEmptiesTheList)
{
    List list;
    Item a(1, deleted);
    for (int i = 0; i < 5; ++i)
        list.add(&a);
    list.setCapacity(32, 0);
    EXPECT_EQ(list.count, 0);
    EXPECT_EQ(list.capacity, 32);

    list.add(&a);
    list.setCapacity(32, 0); // same capacity: nothing happens, the item stays valid
    EXPECT_EQ(list.count, 1);

    list.setCapacity(-4, 1);
    EXPECT_EQ(list.count, 0);
    EXPECT_EQ(list.capacity, 0);
    EXPECT_EQ(list.items, nullptr);
}

TEST_F(BListTest, RemoveAtTheBounds)
{
    struct Case {
        int index;
        bool removed;
        std::vector<int> left;
    };
    std::vector<Case> cases = {
        {-1, false, {0, 1, 2, 3}}, {4, false, {0, 1, 2, 3}}, {0, true, {1, 2, 3}},
        {3, true, {0, 1, 2}},      {1, true, {0, 2, 3}},
    };
    for (Case const& c : cases) {
        deleted.clear();
        PlainList list;
        fill(list, 4);
        Item* target = c.removed ? list.items[c.index] : nullptr;
        EXPECT_EQ(list.remove(c.index), c.removed) << "index " << c.index;
        EXPECT_EQ(ids(list), c.left) << "index " << c.index;
        EXPECT_EQ(list.capacity, 16);
        delete target;
    }
}

TEST_F(BListTest, AddIfNotExistsAddsOnce)
{
    List list;
    Item a(1, deleted);
    EXPECT_TRUE(list.addIfNotExists(&a));
    EXPECT_FALSE(list.addIfNotExists(&a));
    EXPECT_EQ(list.count, 1);
    EXPECT_EQ(list.indexOf(&a), 0);
    EXPECT_EQ(list.indexOf(nullptr), -1);
}

TEST_F(BListTest, AddingAListAppendsInOrderWithExactCapacity)
{
    PlainList list;
    fill(list, 3);
    List other;
    Item a(10, deleted), b(11, deleted);
    other.add(&a);
    other.add(&b);
    list.add(other);
    EXPECT_EQ(list.capacity, 5);
    EXPECT_EQ(ids(list), (std::vector<int>{0, 1, 2, 10, 11}));
    list.setCapacity(3, 1);

    List empty;
    list.add(empty);
    EXPECT_EQ(list.capacity, 3);
    EXPECT_EQ(list.count, 3);
}

TEST_F(BListTest, AddingAListToItself)
{
    List list;
    Item a(1, deleted), b(2, deleted);
    list.add(&a);
    list.add(&b);
    list.add(list);
    EXPECT_EQ(list.count, 4);
    EXPECT_EQ(list.items[2], &a);
    EXPECT_EQ(list.items[3], &b);
}

TEST_F(BListTest, ClearAndDeleteSkipsNullSlotsAndKeepsCapacity)
{
    List list;
    list.add(make(1));
    list.add(nullptr);
    list.add(make(2));
    list.clearAndDelete();
    EXPECT_EQ(deleted, (std::vector<int>{1, 2}));
    EXPECT_EQ(list.count, 0);
    EXPECT_EQ(list.capacity, 16);
}

TEST_F(BListTest, RemoveAndDelete)
{
    PlainList list;
    fill(list, 3);
    EXPECT_FALSE(list.removeAndDelete(3));
    EXPECT_FALSE(list.removeAndDelete(-1));
    EXPECT_TRUE(list.removeAndDelete(1));
    EXPECT_EQ(deleted, (std::vector<int>{1}));
    EXPECT_EQ(ids(list), (std::vector<int>{0, 2}));

    Item outsider(9, deleted);
    EXPECT_FALSE(list.removeAndDelete(&outsider));
    EXPECT_TRUE(list.removeAndDelete(list.items[1]));
    EXPECT_EQ(deleted, (std::vector<int>{1, 2}));
    EXPECT_EQ(ids(list), (std::vector<int>{0}));

    std::unique_ptr<Item> first(list.items[0]);
    list.setItem(0, nullptr);
    EXPECT_TRUE(list.removeAndDelete(0));
    EXPECT_EQ(list.count, 0);
}

TEST_F(BListTest, SetItemAndDeleteKeepsTheSamePointer)
{
    PlainList list;
    fill(list, 2);
    list.setItemAndDelete(0, list.items[0]);
    EXPECT_TRUE(deleted.empty());
    EXPECT_EQ(list.items[0]->id, 0);

    list.setItemAndDelete(1, make(7));
    EXPECT_EQ(deleted, (std::vector<int>{1}));
    EXPECT_EQ(ids(list), (std::vector<int>{0, 7}));
}

TEST_F(BListTest, OwnedListDeletesThroughEveryVirtualOperation)
{
    auto owned = std::make_unique<OwnedList>();
    List& list = *owned; // the owning behaviour must hold through the base type
    fill(list, 6);

    list.setItem(0, make(10));
    EXPECT_EQ(deleted, (std::vector<int>{0}));
    list.setItem(0, list.items[0]);
    EXPECT_EQ(deleted, (std::vector<int>{0}));

    EXPECT_TRUE(list.remove(1));
    EXPECT_EQ(deleted, (std::vector<int>{0, 1}));
    EXPECT_TRUE(owned->remove(list.items[1]));
    EXPECT_EQ(deleted, (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(ids(list), (std::vector<int>{10, 3, 4, 5}));

    list.clear(4);
    EXPECT_EQ(deleted, (std::vector<int>{0, 1, 2, 10, 3, 4, 5}));
    EXPECT_EQ(list.capacity, 4);

    fill(list, 2);
    list.clear();
    EXPECT_EQ(deleted.size(), 9u);
    EXPECT_EQ(list.count, 0);

    fill(list, 2);
    list.setCapacity(64, 0);
    EXPECT_EQ(deleted.size(), 11u);
    EXPECT_EQ(list.count, 0);

    list.add(make(20));
    list.add(make(21));
    owned.reset();
    EXPECT_EQ(deleted, (std::vector<int>{0, 1, 2, 10, 3, 4, 5, 0, 1, 0, 1, 20, 21}));
}

TEST_F(BListTest, OwnedSetCapacityWithKeepDeletesFromTheTop)
{
    OwnedList list;
    fill(list, 5);
    list.setCapacity(2, 1);
    EXPECT_EQ(deleted, (std::vector<int>{4, 3, 2}));
    EXPECT_EQ(ids(list), (std::vector<int>{0, 1}));
    EXPECT_EQ(list.capacity, 2);

    list.setCapacity(-1, 1);
    EXPECT_EQ(deleted, (std::vector<int>{4, 3, 2, 1, 0}));
    EXPECT_EQ(list.items, nullptr);
}

TEST_F(BListTest, OwnedStealHandsOverWithoutDeleting)
{
    OwnedList list;
    fill(list, 3);
    list.add(nullptr);

    std::unique_ptr<Item> stolen(list.steal(1));
    ASSERT_TRUE(stolen);
    EXPECT_EQ(stolen->id, 1);
    EXPECT_EQ(ids(list), (std::vector<int>{0, 2, -1}));

    EXPECT_EQ(list.steal(2), nullptr); // a null slot stays in place
    EXPECT_EQ(list.steal(3), nullptr);
    EXPECT_EQ(list.steal(-1), nullptr);
    EXPECT_EQ(list.count, 3);

    EXPECT_EQ(list.steal(stolen.get()), nullptr);
    std::unique_ptr<Item> second(list.steal(list.items[1]));
    EXPECT_EQ(second->id, 2);
    EXPECT_TRUE(deleted.empty());
}

TEST_F(BListTest, OwnedMoveToHandsEveryItemToTheTarget)
{
    auto target = std::make_unique<OwnedList>();
    target->add(make(9));
    {
        OwnedList source;
        fill(source, 3);
        source.moveTo(*target);
        EXPECT_EQ(source.count, 0);
        source.moveTo(source);
    }
    EXPECT_TRUE(deleted.empty());
    EXPECT_EQ(ids(*target), (std::vector<int>{9, 0, 1, 2}));
    target.reset();
    EXPECT_EQ(deleted, (std::vector<int>{9, 0, 1, 2}));
}

} // namespace
