#include "foundation/RefCounted.h"

#include <gtest/gtest.h>

namespace {

class Counted : public Tr::RefCounted {
public:
    explicit Counted(bool& deleted) : deleted(deleted) {}
    ~Counted() override { deleted = true; }

private:
    bool& deleted;
};

TEST(RefCountedTest, OneReleaseDeletesANewObject)
{
    bool deleted = false;
    (new Counted(deleted))->release();
    EXPECT_TRUE(deleted);
}

TEST(RefCountedTest, EachAddRefNeedsItsOwnRelease)
{
    bool deleted = false;
    Counted const* object = new Counted(deleted);
    object->addRef();
    object->addRef();
    object->release();
    object->release();
    EXPECT_FALSE(deleted);
    object->release();
    EXPECT_TRUE(deleted);
}

} // namespace
