// RpGenerator: synthetic repositories of a chosen size, for benchmarks and
// load tests, shaped like real ones: databases with catalogs and schemas (and
// tables that skip them, so accordion levels occur), tables of 5 to 45
// columns with a key, business models whose logical tables mirror some of the
// physical ones (columns, a logical table source, a key), and subject areas
// whose presentation tables show some logical tables, each presentation
// column linked to its logical column. Tables are joined as in a warehouse
// schema: fact and aggregate tables refer to dimension and lookup tables of
// their schema by physical foreign keys (each a column named after the
// table it refers to, ending in _WID), some warehouse and dimension tables too, and some staging tables are joined by
// complex joins; where both ends reached one business model the reference
// is a logical join there (a logical foreign key one time in four). At
// 10^5 objects (seed 1): 3,150 tables, 1,908 foreign keys, 88 complex
// joins, 791 logical tables, 161 logical joins, 50 logical foreign keys.
//
//   RpGenerator::Options options;
//   options.m_objectCount = 1000000;
//   std::unique_ptr<ARpGateway> rp = RpGenerator::Generate(options);   // exactly 10^6 objects
//
// Names repeat as they do in real repositories: column names come from a
// vocabulary of m_vocabularySize names (2,000 by default), a few hundred
// common ones (ID, NAME, ...) drawn more often, so at 10^6 objects one column
// name stands in hundreds or thousands of tables. Table names are unique.
// The same options and seed always give the same repository.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "objectmodel/RpGateway.h"

namespace RpGenerator {
struct Options {
  std::size_t m_objectCount = 1000;
  std::uint64_t m_seed = 1;
  std::size_t m_vocabularySize = 2000;
};

// Adds objects to rp until it holds m_objectCount objects (rp may already
// hold some; it should not hold objects with the generated names).
void Generate(ARpGateway& rp, const Options& options);
std::unique_ptr<ARpGateway> Generate(const Options& options);
// The column-name vocabulary: size distinct upper-case names.
VXStringVector ColumnVocabulary(std::size_t size);
}  // namespace RpGenerator
