// The pool that holds loaded objects: blocks are separate and aligned, the
// chunks grow without leaving much unused, and the memory lives exactly as
// long as the owner or the last block needs it. Run under AddressSanitizer,
// a pool freed too early is a use after free here, and one never freed a
// leak at exit.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "objectmodel/ObjectModel.h"
#include "objectmodel/ObjectPool.h"
#include "objectmodel/RpFile.h"

namespace {

struct Block {
  unsigned char* p;
  std::size_t bytes;
};

// Fills block i with bytes only it has.
void Fill(const Block& b, std::size_t i) {
  for (std::size_t k = 0; k < b.bytes; ++k) b.p[k] = static_cast<unsigned char>(i * 31 + k);
}
bool Holds(const Block& b, std::size_t i) {
  for (std::size_t k = 0; k < b.bytes; ++k)
    if (b.p[k] != static_cast<unsigned char>(i * 31 + k)) return false;
  return true;
}

TEST(ObjectPool, BlocksAreSeparateAlignedAndChunksGrowWithoutMuchSlack) {
  ObjectPool* pool = ObjectPool::Create();
  std::vector<Block> blocks;
  std::size_t used = 0;
  // Odd sizes, and now and then one larger than a first chunk.
  for (std::size_t i = 0; i < 60000; ++i) {
    const std::size_t bytes = i % 5000 == 4999 ? std::size_t{300} << 10 : 20 + (i * 7) % 181;
    auto* p = static_cast<unsigned char*>(pool->Allocate(bytes));
    ASSERT_EQ(reinterpret_cast<std::uintptr_t>(p) % ObjectPool::kAlign, 0u) << i;
    blocks.push_back(Block{p, bytes});
    Fill(blocks.back(), i);
    used += bytes;
  }
  for (std::size_t i = 0; i < blocks.size(); ++i) ASSERT_TRUE(Holds(blocks[i], i)) << i;
  // A new chunk is an eighth of what the pool holds, and a large block has
  // one of its own, so the unused end of the last chunk and the few bytes
  // left at the end of each stay a small part of the whole.
  EXPECT_GE(pool->ReservedBytes(), used);
  EXPECT_LE(pool->ReservedBytes(), used + used / 7 + (std::size_t{64} << 10));
  for (const Block& b : blocks) pool->Free(b.p, b.bytes);
  pool->Release();
}

TEST(ObjectPool, MemoryStaysUntilTheOwnerAndTheLastBlockLetGo) {
  // Blocks freed while the owner still allocates do not end the pool.
  ObjectPool* pool = ObjectPool::Create();
  Block first{static_cast<unsigned char*>(pool->Allocate(64)), 64};
  pool->Free(first.p, first.bytes);
  std::vector<Block> blocks;
  for (std::size_t i = 0; i < 4000; ++i) {
    blocks.push_back(Block{static_cast<unsigned char*>(pool->Allocate(48)), 48});
    Fill(blocks.back(), i);
  }
  // The owner goes first; the blocks are still good and are freed by other
  // threads, the last of which frees the pool.
  pool->Release();
  for (std::size_t i = 0; i < blocks.size(); ++i) ASSERT_TRUE(Holds(blocks[i], i)) << i;
  std::vector<std::thread> threads;
  for (std::size_t t = 0; t < 4; ++t) {
    threads.emplace_back([&blocks, pool, t] {
      for (std::size_t i = t; i < blocks.size(); i += 4) pool->Free(blocks[i].p, blocks[i].bytes);
    });
  }
  for (std::thread& t : threads) t.join();

  // An owner with nothing handed out, or everything back, frees it at once.
  ObjectPool::Create()->Release();
}

TEST(ObjectPool, LoadedObjectsOutliveTheirGatewayAndEditsMix) {
  const std::string text =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<repository format=\"1\">\n"
      "<object id=\"3023:1\" name=\"Warehouse\"/>\n"
      "<object id=\"3029:1\" name=\"Connection Pool\" parent=\"3023:1\"/>\n"
      "<object id=\"3023:2\" name=\"Staging\"/>\n"
      "</repository>\n";
  Ref<ARpObject> survivor;
  {
    std::unique_ptr<ARpGateway> rp = RpFile::LoadFromMemory(text.data(), text.size(), "pool");
    survivor = rp->GetObject(VoidID(3029, 1));
    ASSERT_FALSE(survivor.IsNull());
    // A loaded object deleted, one made by an edit and deleted, one made
    // and kept: the pool and the heap side by side.
    ASSERT_TRUE(rp->DeleteObject(VoidID(3023, 2)));
    Ref<ARpObject> made = rp->CreateObject(kTIDADatabase, U"Made");
    ASSERT_TRUE(rp->DeleteObject(made.GetID()));
    EXPECT_TRUE(made.IsNull());
    Ref<ARpObject> kept = rp->CreateObject(kTIDADatabase, U"Kept");
    EXPECT_EQ(kept->GetName(), U"Kept");
    EXPECT_EQ(survivor->GetName(), U"Connection Pool");
    EXPECT_EQ(survivor->GetParentObject()->GetName(), U"Warehouse");
  }
  // The gateway is gone; the object the handle holds is a tombstone whose
  // memory is still there until the handle lets go.
  EXPECT_TRUE(survivor.IsNull());
  survivor = Ref<ARpObject>();
}

}  // namespace
