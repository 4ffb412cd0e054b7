#include "objectmodel/RpBuilder.h"

namespace {
constexpr const char* kSrc = "server/objectmodel/RpBuilder.cpp";
}

RpBuilder::Node RpBuilder::Add(TypeID type, const VXString& name, const VoidID& parent, const VoidID& requestedID) {
  Ref<ARpObject> obj = m_rp.CreateObject(type, name, parent, requestedID);
  return Node(this, obj.GetID());
}

RpBuilder& RpBuilder::Relate(RelID rel, std::initializer_list<VoidID> args) {
  if (m_rp.InsertTuple(rel, VoidIDVector(args)) == ARpGateway::kNoTuple) {
    VXAssert::handleLogicError(kSrc, __LINE__, "relation refused");
  }
  return *this;
}

RpBuilder::Node RpBuilder::Node::Child(TypeID type, const VXString& name, const VoidID& requestedID) const {
  return m_pBuilder->Add(type, name, m_id, requestedID);
}

const RpBuilder::Node& RpBuilder::Node::Alias(const VXString& alias) const {
  m_pBuilder->m_rp.AddAlias(m_id, alias);
  return *this;
}

const RpBuilder::Node& RpBuilder::Node::Set(RpProp key, RpPropValue value) const {
  Ref<ARpObject> obj = Obj();
  obj->SetProperty(key, std::move(value));
  return *this;
}

const RpBuilder::Node& RpBuilder::Node::Relate(RelID rel, int myArg, std::initializer_list<VoidID> others) const {
  const int arity = static_cast<int>(others.size()) + 1;
  if (myArg < 0 || myArg >= arity) VXAssert::handleLogicError(kSrc, __LINE__, "argument position out of range");
  VoidIDVector args;
  auto it = others.begin();
  for (int i = 0; i < arity; ++i) args.push_back(i == myArg ? m_id : *it++);
  if (m_pBuilder->m_rp.InsertTuple(rel, args) == ARpGateway::kNoTuple) {
    VXAssert::handleLogicError(kSrc, __LINE__, "relation refused");
  }
  return *this;
}

const RpBuilder::Node& RpBuilder::Node::Rename(const VXString& newName) const {
  m_pBuilder->m_rp.RenameObject(m_id, newName, true);
  return *this;
}

Ref<ARpObject> RpBuilder::Node::Obj() const { return m_pBuilder->m_rp.GetObject(m_id); }
