// RpBuilder: makes repositories in code, for tests and for the repository
// file loader.
//
//   ARpGateway rp;
//   RpBuilder b(rp);
//   auto db = b.Add(kTIDADatabase, U"Sales");
//   auto orders = db.Child(kTIDATable, U"Orders");
//   auto id = orders.Child(kTIDAColumn, U"Id").Set(RpProp::kDataType, VXString(U"INT"));
//   auto sa = b.Add(kTIDACatalogFolder, U"Sales Area").Alias(U"Old Sales");
//   b.Relate(RpRel::kLogicalToPresentationColumn, {logicalCol, presCol});
//
// Every call goes through the gateway's public operations, so the builder
// obeys the same parent table and relation rules as any other caller.
#pragma once

#include <initializer_list>

#include "objectmodel/RpGateway.h"

class RpBuilder {
 public:
  class Node {
   public:
    Node(RpBuilder* pBuilder, VoidID id) : m_pBuilder(pBuilder), m_id(id) {}
    // A new object under this one.
    Node Child(TypeID type, const VXString& name, const VoidID& requestedID = VoidID::NullID) const;
    const Node& Alias(const VXString& alias) const;
    const Node& Set(RpProp key, RpPropValue value) const;
    // Relates this object with others: args in argument order, where this
    // object stands at position myArg (the others fill the other positions
    // in order).
    const Node& Relate(RelID rel, int myArg, std::initializer_list<VoidID> others) const;
    // Renames keeping the former name as an alias.
    const Node& Rename(const VXString& newName) const;

    const VoidID& Id() const { return m_id; }
    operator VoidID() const { return m_id; }  // NOLINT: a node stands for its object
    Ref<ARpObject> Obj() const;
    template <class T>
    Ref<T> As() const {
      return Ref<T>(Obj());
    }

   private:
    RpBuilder* m_pBuilder;
    VoidID m_id;
  };

  explicit RpBuilder(ARpGateway& rp) : m_rp(rp) {}
  Node Add(TypeID type, const VXString& name, const VoidID& parent = VoidID::NullID,
           const VoidID& requestedID = VoidID::NullID);
  // The node of an existing object.
  Node At(const VoidID& id) { return Node(this, id); }
  // A tuple; a logic error when the model refuses it.
  RpBuilder& Relate(RelID rel, std::initializer_list<VoidID> args);
  ARpGateway& Gateway() { return m_rp; }

 private:
  ARpGateway& m_rp;
};
