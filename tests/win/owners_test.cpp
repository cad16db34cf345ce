// The owners that hold no object of their own: a lock on a movable block and a reference to a
// COM object, each given back exactly once, at the end of its owner's scope; and the count of
// the program's own COM objects, which deletes one at its last reference.
#include <windows.h>
#include <unknwn.h>

#include <functional>
#include <utility>

#include <gtest/gtest.h>

#include "platform/com_object.h"
#include "platform/unique_handle.h"

namespace talvex {
namespace {

UINT LockCount(HGLOBAL block) { return GlobalFlags(block) & GMEM_LOCKCOUNT; }

TEST(LockedGlobal, HoldsOneLockForItsScopeAndNestsWithOthers) {
    UniqueGlobal block(GlobalAlloc(GMEM_MOVEABLE, 16));
    ASSERT_TRUE(block);
    {
        const LockedGlobal outer(block.get());
        ASSERT_NE(outer.get(), nullptr);
        EXPECT_EQ(LockCount(block.get()), 1U);
        {
            const LockedGlobal inner(block.get());
            EXPECT_EQ(inner.get(), outer.get());
            EXPECT_EQ(LockCount(block.get()), 2U);
        }
        EXPECT_EQ(LockCount(block.get()), 1U);
    }
    EXPECT_EQ(LockCount(block.get()), 0U);
}

// A COM object that only counts its references.
struct Counted : IUnknown {
    LONG references = 1;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++references); }
    ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--references); }
};

TEST(UniqueComRef, DropsItsReferenceExactlyOnce) {
    struct Case {
        const char* name;
        std::function<void(UniqueComRef<Counted>&)> then;
        LONG referencesLeft;  // once the owner and any it moved to are gone
    };
    const Case cases[] = {
        {"kept to the end", [](UniqueComRef<Counted>&) {}, 0},
        {"reset early", [](UniqueComRef<Counted>& ref) { ref.reset(); }, 0},
        {"moved on",
         [](UniqueComRef<Counted>& ref) { UniqueComRef<Counted> other(std::move(ref)); }, 0},
        {"moved onto itself",
         [](UniqueComRef<Counted>& ref) {
             UniqueComRef<Counted>& same = ref;
             ref = std::move(same);
         },
         0},
        {"handed over", [](UniqueComRef<Counted>& ref) { static_cast<void>(ref.release()); }, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Counted object;
        {
            UniqueComRef<Counted> ref(&object);
            c.then(ref);
        }
        EXPECT_EQ(object.references, c.referencesLeft);
    }
}

// An object of the window's thread that counts how often it is deleted.
class Watched final : public SingleThreadComObject<IUnknown> {
  public:
    explicit Watched(int& deletions) : deletions_(deletions) {}
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override {
        *object = nullptr;
        return E_NOINTERFACE;
    }

  private:
    ~Watched() override { ++deletions_; }
    int& deletions_;
};

TEST(SingleThreadComObject, IsMadeWithOneReferenceAndTheLastReleaseDeletesItOnce) {
    int deletions = 0;
    auto* object = new Watched(deletions);
    EXPECT_EQ(object->AddRef(), 2U);
    EXPECT_EQ(object->Release(), 1U);
    EXPECT_EQ(deletions, 0);
    { const UniqueComRef<IUnknown> maker(object); }  // the maker's reference
    EXPECT_EQ(deletions, 1);
}

}  // namespace
}  // namespace talvex
