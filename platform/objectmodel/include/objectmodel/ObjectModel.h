// The repository object model in one include: handles, objects and their
// interface classes, relations, conditions, the gateway with its session
// state, the parent table and naming, deletion and the host hooks.
//
//   #include "objectmodel/ObjectModel.h"
//   ARpGateway rp;
//   const VoidID orders = RpBuilder(rp).Add(kTIDADatabase, U"Sales").Child(kTIDATable, U"Orders");
//   Ref<ARpObject> table = rp.GetObject(orders);
//   VoidIDVector tables;
//   rp.GetObjectIDsOfType(kTIDATable, tables);
//
// Memory: an object costs its ARpObject block (88 bytes), its name, one
// entry in each of the id, type and name indexes and one pointer in its
// parent's child list; bench/bench_objectmodel_memory.cpp measures it.
#pragma once

#include "objectmodel/Condition.h"
#include "objectmodel/Interfaces.h"
#include "objectmodel/Networker.h"
#include "objectmodel/ObjectParent.h"
#include "objectmodel/PropertyValue.h"
#include "objectmodel/Ref.h"
#include "objectmodel/Relation.h"
#include "objectmodel/Repository.h"
#include "objectmodel/RpBuilder.h"
#include "objectmodel/RpGateway.h"
#include "objectmodel/RpObject.h"
#include "objectmodel/TypeIDs.h"
