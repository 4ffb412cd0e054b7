// The parent table: which types each type may live under, and the naming
// rules that follow from it (qualified names with their empty "accordion"
// levels). One table in ObjectParent.cpp holds every type's parent types;
// everything here reads it.
//
//   Ref<ARpObject> db = GetObjectParent(table);           // a database, catalog or schema
//   RpObject::GenerateQualifiedName(column);              // "Sales".""."".""Orders"."Id" style text
//
// Accordion levels: physical names are database, catalog, schema, table,
// column; presentation names are subject area, folder, table, column. An
// object that skips a level gets an empty segment in its place, so that the
// names of all tables (all columns, ...) of one layer have the same depth:
//
// | Child type                       | Parent type          | Empty segments |
// |----------------------------------|----------------------|----------------|
// | table, cube table (3001, 3039)   | database (3023)      | 2 (catalog, schema) |
// | table, cube table                | catalog (3025)       | 1 (schema)     |
// | schema (3027)                    | database             | 1 (catalog)    |
// | analytic workspace (3049)        | catalog              | 0              |
// | presentation table (4008)        | subject area (4004)  | 1 (folder)     |
// | any other pair                   |                      | 0              |
#pragma once

#include "objectmodel/RpObject.h"

// The object's container, or a null handle (a null handle for obj too).
Ref<ARpObject> GetObjectParent(const Ref<ARpObject>& obj);
// Whether objects of typeID may have a parent at all.
bool CanHaveParent(TypeID typeID);
// Appends the parent types the table knows for each child type, in table
// order; each type is appended once per call, even when parentTypeIDs
// already held it.
void FindParentTypeIDs(const TypeIDVector& childTypeIDs, TypeIDVector& parentTypeIDs);
// The parent types of one type, in table order (empty for top-level types).
const TypeIDVector& GetParentTypeIDs(TypeID typeID);
// Appends the children of parent of type typeID, in their order. A null
// parent gives the top-level objects of that type (those without parent).
void GetChildrenOfType(ARpGateway* pRp, const Ref<ARpObject>& parent, RpObjectVector& children, TypeID typeID);
// Every type id of the catalogue, in table order.
const TypeIDVector& AllCatalogueTypeIDs();

namespace TypesOfType {
// The types an administration tool lists: every catalogue type except the
// internal ones (mappings, privileges, relationship helpers). arrayTypes is
// emptied first.
void FillDisplayTypes(TypeIDVector& arrayTypes);
// Whether two repositories are compared object by object for this type:
// every display type and the security types that users edit.
bool IsCompareableType(TypeID typeID);
}  // namespace TypesOfType

namespace RpObject {
// The qualified name of obj as written text: its segments (outermost first,
// accordion levels included), each in double quotes with inner double
// quotes doubled and NULs left out, joined by "."; empty segments at the
// ends written as "". Empty for a null handle.
VXString GenerateQualifiedName(const Ref<ARpObject>& obj);
// The segments of the same name.
void GenerateQualifiedNameSegments(const Ref<ARpObject>& obj, QualifiedName& segments);
// Appends the empty segments that an object of objTypeID has between its
// own name and parent's name (see the table above). A null parent adds none.
void AddEmptyAccordionNames(TypeID objTypeID, const Ref<ARpObject>& parent, QualifiedName& qualifiedName);
// The number of such segments.
int AccordionDepth(TypeID objTypeID, TypeID parentTypeID);
// Written qualified-name text whose first or last segment is empty (written
// as nothing: a leading or trailing ".") gets that segment written as "".
// Inner empty segments stay as they are; an empty text, one empty segment,
// becomes "".
VXString MakeQuotedEmptyFirstAndLastNames(const VXString& text);
}  // namespace RpObject
