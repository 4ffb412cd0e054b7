// ExternalizationUtil: externalized display names and descriptions of
// presentation objects, the KEX UI hints behind them, translation keys and
// the XML description that matches exported texts back to objects.
//
// An externalized text is a VALUEOF reference to a session variable whose
// name is generated from the object's place in the presentation layer (or,
// for KEX UI hints, from the physical column or table behind it):
//
//   Ref<ARpObject> column = ...;                       // "Sales"."Orders"."Net Revenue"
//   ExternalizationUtil::SetDisplayName(column, true, false);
//   // display name: VALUEOF(VX_SESSION.CN_Sales_Orders_Net_Revenue)
//   ExternalizationUtil::GetDisplayNameState(column);  // kStateDefault (2)
//
// States are bit sets; the state of a selection ORs its objects' states, so
// a caller can tell "all default" (2) from "some off" (2|16 = 18, not on).
// Nothing here throws for a missing object or an unsupported type: those
// give empty names, state 16 or 0, or false.
#pragma once

#include <vector>

#include "Utility/VXString.h"
#include "objectmodel/Interfaces.h"
#include "objectmodel/Ref.h"

// One exported translation row (see GetExternalizationInfo).
struct FourVXStrings {
  VXString s1;             // the object's label: type name and name
  VXString s2;             // the session variable
  VXString s3;             // the translation key; for description rows the default description
  VXString logicalColumn;  // the label of the logical column behind a presentation column
};

class ExternalizationUtil {
 public:
  // ---- States ------------------------------------------------------------------
  static constexpr unsigned kStateNotApplicable = 0;  // the type has no display name or description
  static constexpr unsigned kStateDefault = 2;        // the generated default reference
  static constexpr unsigned kStateKEX = 4;            // the generated KEX UI-hint reference
  static constexpr unsigned kStateCustom = 8;         // on, with other text
  static constexpr unsigned kStateOff = 16;           // missing object, use flag off, or empty text
  static constexpr unsigned kStateAll = 30;

  // The stored text when the object's family has one and its use flag is
  // on; else empty.
  static VXString GetDisplayName(const Ref<ARpObject>& rpObject);
  static VXString GetCustomDescription(const Ref<ARpObject>& rpObject);

  static unsigned GetDisplayNameState(const Ref<ARpObject>& rpObject);
  static unsigned GetCustomDescriptionState(const Ref<ARpObject>& rpObject);
  static unsigned GetDisplayNameState(const std::vector<Ref<ARpObject>>& objects);
  static unsigned GetCustomDescriptionState(const std::vector<Ref<ARpObject>>& objects);

  // On: some of 2, 4, 8 and not 16.
  static bool IsDisplayNameStateOn(unsigned state);
  static bool IsCustomDescriptionStateOn(unsigned state);
  static bool IsDisplayNameStateOn(const Ref<ARpObject>& rpObject);
  static bool IsCustomDescriptionStateOn(const Ref<ARpObject>& rpObject);
  static bool IsDisplayNameStateOn(const std::vector<Ref<ARpObject>>& objects);
  static bool IsCustomDescriptionStateOn(const std::vector<Ref<ARpObject>>& objects);

  // Switches the text on (the generated reference, KEX form when asked and
  // found) or off (use flag off, text emptied). Other types: nothing.
  static void SetDisplayName(Ref<ARpObject>& rpObject, bool bDisplayName, bool bKexUiHint);
  static void SetCustomDescription(Ref<ARpObject>& rpObject, bool bDisplayName, bool bKexUiHint);

  // ---- Generated names ---------------------------------------------------------
  // `VALUEOF(VX_SESSION.<variable>)` for the object.
  static VXString GenerateCustomDisplayName(const Ref<ARpObject>& rpObject, bool bKexUiHint);
  static VXString GenerateCustomDescription(const Ref<ARpObject>& rpObject, bool bKexUiHint);
  // The reference the object would get if it were named sNewName.
  static VXString GenerateCustomDisplayName(const Ref<ARpObject>& rpObject, const VXString& sNewName, bool bKexUiHint);
  // The bare variable names; empty for other types or a missing ancestor.
  static VXString GenerateCustomDisplayNameInternal(const Ref<ARpObject>& rpObject, bool bKexUiHint);
  static VXString GenerateCustomDescriptionInternal(const Ref<ARpObject>& rpObject, bool bKexUiHint);

  // Name segments: blanks become "_"; the KEX form also replaces quotes and
  // upper-cases.
  static VXString GetNameForCustomDisplay(const VXString& name);
  static VXString GetNameForCustomDisplay(const Ref<ARpObject>& rpObject);
  static VXString GetNameForKEXCustomDisplay(const Ref<ARpObject>& rpObject);

  static VXString MakeVXSessionString(VXString name);
  static VXString MakeValueOfVXSession(VXString name);
  static VXString MakeValueOf(VXString name, bool bQuote);
  static VXString GetVXSessionPrefix();

  // The variables that VALUEOF references in sInput name, each once (case
  // ignored), in order of first appearance. sDefaultName is the object's
  // generated default reference; it takes no part in the scan.
  static void ExtractValueOf(const VXString& sDefaultName, const VXString& sInput, VXStringVector& variables);
  // The variables the object's externalized display name refers to.
  static void GetDisplayNameVariables(const Ref<ARpObject>& rpObject, VXStringVector& variables);

  // ---- KEX UI hints --------------------------------------------------------------
  static VXString GenerateDisplayNameSessionVariableForKEXUIHint(const Ref<AColumn>& physicalColumn);
  static VXString GenerateDescriptionSessionVariableForKEXUIHint(const Ref<AColumn>& physicalColumn);
  static VXString GenerateDisplayNameSessionVariableForKEXUIHint(const Ref<ATable>& physicalTable);

  // Whether a physical column of a KEX data source (target type 47, 59 or
  // 75) stands behind the logical column; physicalCol receives it (an alias
  // column's base when it has one).
  static bool GetPhysicalColumnForKEXUIHints(const Ref<AAttribute>& logicalCol, Ref<AColumn>& physicalCol,
                                             bool bSkipQualifiedSegmentTables,
                                             bool bPermitMultipleObjectsInLogicalColumnMapping,
                                             bool bSkipAggregationCheck);
  static bool GetPhysicalColumnForKEXUIHints(const Ref<AFolderAttr>& presentationCol, Ref<AColumn>& physicalCol,
                                             bool bSkipQualifiedSegmentTables,
                                             bool bPermitMultipleObjectsInLogicalColumnMapping,
                                             bool bSkipAggregationCheck);
  // The table of the first presentation column that has such a column.
  static bool GetPhysicalTableForKEXUIHints(const Ref<AEntityFolder>& presentationTable, Ref<ATable>& physicalTable);

  static bool IsRelatedKEXAttributeHidden(const Ref<AColumn>& physicalColumn);
  static bool IsRelatedKEXAttributeHidden(const Ref<AAttribute>& logicalColumn);
  static void SetKEXIsHiddenProperty(VXStringStringMap& propertyMap, bool isHidden);
  static void SetHideObjectExpr(Ref<AFolderAttr>& presentationColumn, bool isHidden);

  // ---- Unqualified segment tables --------------------------------------------------
  // Reads the prefixes of the application segment-rules file below the
  // installation home (validated against its schema) and adds the built-in
  // prefix S_GL_SEGMENT_TABLE_PREFIX; a missing or invalid file leaves the
  // built-in prefix alone and says why in the log. The first
  // IsKEXUnqualifiedSegmentTable calls it once; a host may call it again to
  // re-read the file (not while other threads ask).
  static void InitalizeUnqualifiedPrefixList();
  static bool IsKEXUnqualifiedSegmentTable(const VXString& logicalTableName);
  static bool IsKEXUnqualifiedSegmentTable(const Ref<ALogicalTable>& logicalTable);
  // The path of the rules file and of its schema.
  static VXString GetSegmentRulesFile();
  static VXString GetSegmentRulesSchemaFile();

  // ---- Translation keys and XML description -----------------------------------------
  static VXString GetTranslationKey(const Ref<ARpObject>& rpObject);
  static bool CouldHaveTranslationKey(const Ref<ARpObject>& rpObject);
  // Opens `<Object>` with Name, Type and UpgradeID; the caller closes it with
  // XMLDescribeObjectEnd.
  static void XMLDescribeObjectStart(const Ref<ARpObject>& rpObject, VXString& s, int iDepth, bool bQualifiedName,
                                     bool bUseTranslationKeyIfApplicable);
  static void XMLDescribeObjectEnd(VXString& s, int iDepth);
  static void XMLDescribeEnd(VXString& s, const VXString& name, int iDepth);
  // The object's description, else that of the logical object behind it.
  static VXString GetExternalizationDescription(const Ref<ARpObject>& rpObject);
  // Appends one row per display-name variable, then one per description
  // variable, object by object.
  static void GetExternalizationInfo(const std::vector<Ref<ARpObject>>& objects, std::vector<FourVXStrings>& strings);

 private:
  template <class T>
  static unsigned GetDisplayNameStateInternal(const T& obj);
  template <class T>
  static unsigned GetCustomDescriptionStateInternal(const T& obj);
  template <class T>
  static void SetDisplayNameInternal(T& obj, bool bDisplayName, bool bKexUiHint);
  template <class T>
  static void SetCustomDescriptionInternal(T& obj, bool bDisplayName, bool bKexUiHint);

  static VXStringVector m_unqualifiedPrefixList;
  static bool m_bUnqualifiedPrefixListInitialized;
};

// The session prefix of generated references: "VX_SESSION.".
extern const VXString g_sSessionPrefix;
