// A named condition on a whole qualified name lets the gateway walk down
// through the (parent, name) index instead of visiting every object that
// bears the last name. The walk must answer exactly what the reference
// lookup answers (every object of the eligible types, in creation order per
// type, tested by the condition itself), also after renames (former names,
// names that differ only by case, empty names), moves and deletions.
#include <gtest/gtest.h>

#include <random>

#include "Metadata/SMLookupCondition.h"
#include "Metadata/SMUtil.h"
#include "objectmodel/ObjectModel.h"
#include "objectmodel/RpBuilder.h"
#include "objectmodel/RpGenerator.h"

using namespace std::string_literals;

namespace {

// The reference lookup: no hint, no index.
VoidIDVector ReferenceLookup(ARpGateway& rp, const NamedInterfaceTypeCondition& condition) {
  TypeIDVector types;
  for (TypeID t : condition.GetEligibleTypes()) {
    if (std::find(types.begin(), types.end(), t) == types.end()) types.push_back(t);
  }
  VoidIDVector out;
  for (TypeID t : types) {
    VoidIDVector ids;
    rp.GetObjectIDsOfType(t, ids);
    for (const VoidID& id : ids) {
      if (condition(rp.GetObject(id))) out.push_back(id);
    }
  }
  return out;
}

VXString FlipCase(VXString s, std::mt19937& random) {
  for (char32_t& c : s) {
    if (random() % 2 == 0) continue;
    if (c >= U'a' && c <= U'z')
      c -= 32;
    else if (c >= U'A' && c <= U'Z')
      c += 32;
  }
  return s;
}

const TypeIDVector kTypes[] = {{kTIDAColumn},      {kTIDATable},     {kTIDAFolderAttr}, {kTIDAEntityFolder},
                               {kTIDASchema},      {kTIDAAttribute}, {kTIDATableKey},   {kTIDAColumn, kTIDATableKey},
                               {kTIDALogicalTable}};

// Shuffles names, parents and existence of random objects.
void Disturb(ARpGateway& rp, std::mt19937& random, std::size_t steps) {
  VoidIDVector all;
  for (TypeID t : rp.GetKnownTypes()) rp.GetObjectIDsOfType(t, all);
  auto pick = [&]() -> ARpObject* {
    for (;;) {
      ARpObject* p = rp.GetObject(all[random() % all.size()]).Get();
      if (p) return p;
    }
  };
  for (std::size_t i = 0; i < steps; ++i) {
    ARpObject* obj = pick();
    const auto kind = random() % 8;
    if (kind == 0) {  // the name of another object, maybe in another case
      rp.RenameObject(obj->GetID(), FlipCase(pick()->GetName(), random), random() % 2 == 0);
    } else if (kind == 1) {  // the same name in another case (no former name is kept)
      rp.RenameObject(obj->GetID(), FlipCase(obj->GetName(), random));
    } else if (kind == 2) {
      rp.RenameObject(obj->GetID(), U"");
    } else if (kind == 3) {
      rp.AddAlias(obj->GetID(), FlipCase(pick()->GetName(), random));
    } else if (kind == 4) {  // a move to another parent of the same type as its own
      ARpObject* parent = obj->GetParentPointer();
      if (!parent) continue;
      VoidIDVector candidates;
      rp.GetObjectIDsOfType(parent->GetTypeID(), candidates);
      ARpObject* to = rp.GetObject(candidates[random() % candidates.size()]).Get();
      if (!to) continue;
      bool bCycle = false;
      for (ARpObject* a = to; a; a = a->GetParentPointer()) bCycle = bCycle || a == obj;
      if (!bCycle) rp.SetObjectParent(obj, to);
    } else if (kind == 5) {
      rp.DeleteObject(obj->GetID(), random() % 2 == 0);
    } else if (kind == 6) {  // a sibling with the same name, or the same name but for case
      ARpObject* parent = obj->GetParentPointer();
      const VXString name = random() % 2 ? obj->GetName() : FlipCase(obj->GetName(), random);
      Ref<ARpObject> twin = rp.CreateObject(obj->GetTypeID(), name, parent ? parent->GetID() : VoidID::NullID);
      all.push_back(twin.GetID());
    } else {
      rp.RenameObject(obj->GetID(), obj->GetName() + U"_" + ToVXString(std::to_string(i)), true);
    }
  }
}

// Written names to look for: those of random objects, in another case,
// with a former name last, with a former name of the parent, with empty
// levels left out, and a name no object bears.
std::vector<QualifiedName> NamesToTry(ARpGateway& rp, TypeID type, std::mt19937& random) {
  VoidIDVector ids;
  rp.GetObjectIDsOfType(type, ids);
  std::vector<QualifiedName> names;
  for (std::size_t k = 0; k < 10 && !ids.empty(); ++k) {
    Ref<ARpObject> obj = rp.GetObject(ids[random() % ids.size()]);
    QualifiedName q;
    MetadataUtil::GenerateQualifiedName(obj, q);
    names.push_back(q);
    QualifiedName flipped = q;
    for (VXString& s : flipped) s = FlipCase(s, random);
    names.push_back(flipped);
    VXStringVector aliases;
    obj->GetAliases(aliases);
    if (!aliases.empty()) {
      QualifiedName former = q;
      former.back() = aliases[random() % aliases.size()];
      names.push_back(former);
    }
    if (ARpObject* parent = obj->GetParentPointer(); parent && q.size() >= 2) {
      VXStringVector parentAliases;
      parent->GetAliases(parentAliases);
      if (!parentAliases.empty()) {
        QualifiedName formerParent = q;
        formerParent[formerParent.size() - 2] = parentAliases.front();
        names.push_back(formerParent);
      }
    }
    QualifiedName stripped = q;
    MetadataUtil::StripQualifiedNameOfEmptyStrings(stripped);
    names.push_back(stripped);
    QualifiedName other = q;
    other.back() += U"?";
    names.push_back(other);
  }
  return names;
}

std::size_t ExpectSameAsReference(ARpGateway& rp, std::mt19937& random) {
  std::size_t nonEmpty = 0;
  for (const TypeIDVector& types : kTypes) {
    for (const QualifiedName& q : NamesToTry(rp, types.front(), random)) {
      for (bool bAliases : {false, true}) {
        const NamedInterfaceTypeCondition condition(types, q, bAliases);
        VoidIDVector walked;
        rp.LookupObjects(condition, walked);
        const VoidIDVector reference = ReferenceLookup(rp, condition);
        if (walked != reference) {
          ADD_FAILURE() << ToNarrow(MetadataUtil::ToQualifiedName(q)) << " aliases=" << bAliases
                        << " type=" << types.front() << ": " << walked.size() << " objects, the reference "
                        << reference.size();
          return nonEmpty;
        }
        nonEmpty += !reference.empty();
        // The other constructor: object name and parent segments.
        if (q.size() >= 2 && !q.back().empty()) {
          const NamedInterfaceTypeCondition split(types, q.back(), QualifiedName(q.begin(), q.end() - 1), bAliases);
          rp.LookupObjects(split, walked);
          if (walked != reference) {
            ADD_FAILURE() << ToNarrow(MetadataUtil::ToQualifiedName(q)) << " split, aliases=" << bAliases;
            return nonEmpty;
          }
        }
      }
    }
  }
  return nonEmpty;
}

TEST(LookupOnPath, SameObjectsInTheSameOrderAsTheReferenceLookup) {
  for (std::uint64_t seed : {1u, 2u}) {
    RpGenerator::Options options;
    options.m_objectCount = 2500;
    options.m_seed = seed;
    options.m_vocabularySize = 30;  // many columns share a name
    std::unique_ptr<ARpGateway> rp = RpGenerator::Generate(options);
    std::mt19937 random(static_cast<std::uint32_t>(seed));
    EXPECT_GT(ExpectSameAsReference(*rp, random), 25u) << "seed " << seed;
    for (int round = 0; round < 3; ++round) {
      Disturb(*rp, random, 200);
      EXPECT_GT(ExpectSameAsReference(*rp, random), 12u) << "seed " << seed << " round " << round;
      if (HasFailure()) return;
    }
  }
}

TEST(LookupOnPath, CasesTheIndexCannotDecideAlone) {
  ARpGateway rp;
  RpBuilder b(rp);
  auto db = b.Add(kTIDADatabase, U"DB");
  auto t = db.Child(kTIDATable, U"T");
  const VoidID upper = t.Child(kTIDAColumn, U"ID");
  const VoidID lower = t.Child(kTIDAColumn, U"id");
  const VoidID renamed = t.Child(kTIDAColumn, U"OLD");
  b.At(renamed).Rename(U"NEW");
  const VoidID withNul = db.Child(kTIDATable, U"N\0"s).Child(kTIDAColumn, U"C");
  const VoidID underEmpty = db.Child(kTIDASchema, U"").Child(kTIDATable, U"T").Child(kTIDAColumn, U"X");
  const struct {
    QualifiedName name;
    bool bAliases;
    VoidIDVector expected;
  } cases[] = {
      // Both columns whose names differ only by case, in creation order.
      {{U"DB", U"", U"", U"T", U"Id"}, false, {upper, lower}},
      {{U"db", U"", U"", U"t", U"ID"}, false, {upper, lower}},
      // The written name has the accordion levels; without them it is another name.
      {{U"DB", U"T", U"ID"}, false, {}},
      // A former name counts only with alias matching.
      {{U"DB", U"", U"", U"T", U"old"}, false, {}},
      {{U"DB", U"", U"", U"T", U"old"}, true, {renamed}},
      {{U"DB", U"", U"", U"T", U"NEW"}, true, {renamed}},
      // Written names leave NULs out.
      {{U"DB", U"", U"", U"N", U"C"}, false, {withNul}},
      // A schema without a name writes as an empty level.
      {{U"DB", U"", U"", U"T", U"X"}, false, {underEmpty}},
  };
  for (const auto& c : cases) {
    const NamedInterfaceTypeCondition condition(kTIDAColumn, c.name, c.bAliases);
    VoidIDVector ids;
    rp.LookupObjects(condition, ids);
    EXPECT_EQ(ids, c.expected) << ToNarrow(MetadataUtil::ToQualifiedName(c.name)) << " aliases=" << c.bAliases;
    EXPECT_EQ(ReferenceLookup(rp, condition), c.expected) << ToNarrow(MetadataUtil::ToQualifiedName(c.name));
  }
}

}  // namespace
