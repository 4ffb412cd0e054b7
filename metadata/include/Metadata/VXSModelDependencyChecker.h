// VXSModelDependencyChecker: the library's part of the object model's delete
// rules. When an object is deleted the model walks its relationships and
// asks this predicate, for the relationships whose dependents the model
// cannot judge itself, which other participants must go too:
//
//   40  complex join      a table deleted (either side) takes the join along
//   41  foreign key ref.  a referenced key deleted takes the foreign key along
//   109 level parent link a level takes its parent-link roles along; a role of
//                         many-cardinality takes the levels for which it is the
//                         last parent link
//   111 pres. hierarchy   a dimension deleted takes its presentation hierarchies
//   329 key column        a column takes its keys along, unless the key's own
//                         container is already going
//
// The library installs one instance in
// ANetworker::global_specialDeleteDependencyPredicate when it is loaded;
// nothing needs to call it. A relationship visited with a role or argument
// position outside these rules is a caller's logic error, reported through
// VXAssert (never returns).
//
//   RpObjectVector children;
//   MetadataUtil::GetDeleteDescendants(table, children);  // what a delete takes along
#pragma once

#include "objectmodel/Networker.h"

class VXSModelDependencyChecker : public HasDeleteDependencyPredicate {
 public:
  // True when participants at other positions of the relationship may be
  // dependents of parent (which plays relRoleID.second); their position is
  // appended to candidateDeleteDependentArgs.
  bool HasPossibleDeleteDependencies(RpObjectDeleteContext& context, const Ref<ARpObject>& parent,
                                     const RelationRoleID& relRoleID,
                                     SchemaCountVector& candidateDeleteDependentArgs) const override;
  // True when candidateChild, at position iArg, goes with parent.
  bool IsDeleteDependent(RpObjectDeleteContext& context, const Ref<ARpObject>& parent, const RelationRoleID& relRoleID,
                         int iArg, const Ref<ARpObject>& candidateChild) const override;
};
