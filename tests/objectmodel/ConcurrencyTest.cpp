#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "SampleRepository.h"

namespace {

// Many readers on one repository: lookups, handle copies, qualified names
// and relation walks at once. Run under the sanitizer build this also
// checks the counting for races.
TEST(Concurrency, ReadersShareOneRepository) {
  ARpGateway rp;
  RpBuilder b(rp);
  auto db = b.Add(kTIDADatabase, U"DB");
  std::vector<VoidID> columns;
  for (int t = 0; t < 40; ++t) {
    auto table = db.Child(kTIDATable, Numbered(U"T", t));
    for (int c = 0; c < 25; ++c) columns.push_back(table.Child(kTIDAColumn, Numbered(U"C", c)));
  }
  std::vector<VXString> expected;
  for (const VoidID& id : columns) expected.push_back(RpObject::GenerateQualifiedName(rp.GetObject(id)));

  std::atomic<int> failures{0};
  std::vector<std::thread> threads;
  for (int w = 0; w < 4; ++w) {
    threads.emplace_back([&, w] {
      for (int round = 0; round < 20; ++round) {
        for (std::size_t i = static_cast<std::size_t>(w); i < columns.size(); i += 3) {
          Ref<ARpObject> obj = rp.GetObject(columns[i]);
          Ref<AColumn> col(obj);
          Ref<ARpObject> copy = obj;
          if (RpObject::GenerateQualifiedName(copy) != expected[i]) ++failures;
          if (col->GetTable()->GetColumns().Size() != 25) ++failures;
        }
        VoidIDVector ids;
        rp.LookupObjects(TypedObjectNameCondition(kTIDAColumn, U"c7", false), ids);
        if (ids.size() != 40) ++failures;
      }
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_EQ(failures.load(), 0);
  // Every handle is gone: deleting now frees the objects at once, and a
  // handle taken before the delete still reads as null afterwards.
  Ref<ARpObject> kept = rp.GetObject(columns[0]);
  EXPECT_TRUE(rp.DeleteObject(db));
  EXPECT_TRUE(kept.IsNull());
  EXPECT_EQ(rp.GetObjectCount(), 0u);
}

}  // namespace
