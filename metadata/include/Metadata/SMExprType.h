// ExprType: the layer in which a name is resolved or an expression is valid.
//
//   const ExprType layer = MetadataUtil::GetLayerToQuery(pRp);
//   if (layer == kSME_Physical) { /* resolve the query's names among tables */ }
#pragma once

enum ExprType : int {
  kSME_Logical = 0,        // the presentation layer: subject areas, presentation tables and columns
  kSME_Physical = 1,       // databases, physical tables and columns
  kSME_BusinessModel = 2,  // business models, logical tables and columns
};
