// Server-wide texts that the metadata utilities share with the rest of the
// server: the openings of variable references, the naming schemes of
// externalized session variables, KEX keys, XML element names, dictionary
// keywords and file names. Each text is defined here once; code names the
// constant, never repeats its text.
//
//   VariablePositions refs;
//   MetadataUtil::FindVariables(text, refs, _S_VALUEOF_BRACKET, 0);
//   bool bundle = MetadataUtil::BeginsWithKEXBundlePrefix(refs[0].m_varName);
//
// All constants are null-terminated UTF-32 arrays, so they pass as a
// `const char32_t*` pattern and convert to VXString where a string is wanted.
// Format constants (the *_LS family) are printf-style with one "%ls" per
// wide-string argument, for BaseStringUtil::VXString_sprintf. The S_IDS_*
// name schemes are message numbers whose texts take %1, %2, ... through
// SUStrUtil::LoadMsgStringOnly. Either way the argument order is outermost
// container first, the object's own name last.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace SMConstantsDetail {
constexpr std::size_t Length(const char32_t* s) { return std::char_traits<char32_t>::length(s); }
}  // namespace SMConstantsDetail

// -----------------------------------------------------------------------------
// Variable references in text
// -----------------------------------------------------------------------------

// Opening of a VALUEOF reference. Lower case and ending with "(" because the
// scanner matches it against a lower-cased copy of the text, and the bracket
// keeps a column named VALUEOFX or the bare word from being taken for one.
inline constexpr char32_t _S_VALUEOF_BRACKET[] = U"valueof(";

// The write-side twin of _S_VALUEOF_BRACKET: the text put into display names
// and descriptions. Upper case because that is how users write the function.
inline constexpr char32_t S_VALUE_OF_LS[] = U"VALUEOF(%ls)";

// Marks a session variable whose value is a string of an application
// resource bundle. Upper-case identifier characters only, so that it survives
// the upper-casing of KEX names and needs no quoting inside VALUEOF.
inline constexpr char32_t S_KEX_BUNDLE_PREFIX[] = U"KEX_BUNDLE_";

// Joins a variable name and its source name: REGION@@ORCL is REGION from the
// source ORCL. Two characters that no identifier rule lets through, and none
// that the scanner treats specially (".", ",", "(", ")", quotes) or that a
// colon variable could begin with (":"), so the token never splits a reference.
inline constexpr char32_t _S_MULTI_VAR_TOKEN[] = U"@@";

// Not here, because their owners sit below this library and define them
// once: the session prefix "VX_SESSION" (OpExprValueOfSession::VX_SESSION,
// expression model), the wildcard session block and the user colon variable
// of connection scripts (GlobalRpVariables::global_SessionBlockWildcard and
// GlobalRpVariables::kPUser, object model).

// -----------------------------------------------------------------------------
// Externalized display names and descriptions
// -----------------------------------------------------------------------------

// Session-variable names generated for custom display names (CN_) and
// descriptions (CD_), one form per depth of the object in the presentation
// layer. These are numbers of the message catalogue, whose texts (for
// example 34112 = CN_%1_%2_%3) a deployment may change; the parts are
// joined with "_" so that the whole stays one identifier and needs no
// quoting after "VX_SESSION.".
inline constexpr std::uint64_t S_IDS_DEFAULT_CUSTOM_NAME_1 = 34110;
inline constexpr std::uint64_t S_IDS_DEFAULT_CUSTOM_NAME_2 = 34111;
inline constexpr std::uint64_t S_IDS_DEFAULT_CUSTOM_NAME_3 = 34112;
inline constexpr std::uint64_t S_IDS_DEFAULT_CUSTOM_NAME_4 = 34113;
inline constexpr std::uint64_t S_IDS_DEFAULT_DESCRIPTION_1 = 34114;
inline constexpr std::uint64_t S_IDS_DEFAULT_DESCRIPTION_2 = 34115;
inline constexpr std::uint64_t S_IDS_DEFAULT_DESCRIPTION_3 = 34116;
inline constexpr std::uint64_t S_IDS_DEFAULT_DESCRIPTION_4 = 34117;

// Prefixes of the KEX label (display name) and tooltip (description)
// variables. The generated KEX names below begin with them, so a text holding
// a generated KEX reference passes the label / tooltip tests.
inline constexpr char32_t S_KEX_LABEL[] = U"KEX_LABEL_";
inline constexpr char32_t S_KEX_TOOLTIP[] = U"KEX_TOOLTIP_";

// KEX UI-hint variable names, message numbers too: (database, table) for a
// physical table and (database, table, column) for a physical column; their
// texts begin with S_KEX_LABEL and S_KEX_TOOLTIP.
inline constexpr std::uint64_t S_IDS_KEX_CUSTOM_NAME_2 = 34118;
inline constexpr std::uint64_t S_IDS_KEX_CUSTOM_NAME_3 = 34119;
inline constexpr std::uint64_t S_IDS_KEX_CUSTOM_DESCRIPTION = 34120;

// Property-map key of a physical column hidden from KEX applications, and the
// value that means "yes" (compared case-insensitively).
inline constexpr char32_t S_KEX_IS_HIDDEN[] = U"KEX_IS_HIDDEN";
inline constexpr char32_t S_TRUE_[] = U"true";

// Logical tables whose names begin with this (case-insensitively) are the
// unqualified general-ledger segment dimensions, whatever the rules file says.
inline constexpr char32_t S_GL_SEGMENT_TABLE_PREFIX[] = U"GL Segment";

// The application segment-rules file and the schema it is validated against,
// in their own folder below the installation home (by default the data
// directory: `share/smutil/segment-rules/segment-rules.xml`).
inline constexpr char32_t S_SEGMENT_RULES_FOLDER[] = U"segment-rules";
inline constexpr char32_t S_SEGMENT_RULES_FILE[] = U"segment-rules.xml";
inline constexpr char32_t S_SEGMENT_RULES_SCHEMA_FILE[] = U"segment-rules.xsd";
// Element and attribute names inside that file.
inline constexpr char32_t S_APP_SEGMENT_RULE_DOCUMENT[] = U"SegmentRules";
inline constexpr char32_t S_APP_SEGMENT_RULE_MAPPING_RULES[] = U"MappingRules";
inline constexpr char32_t S_APP_SEGMENT_RULE_UNQUALIFIED_DIMENSION_PREFIX[] = U"UnqualifiedDimensionPrefix";

// -----------------------------------------------------------------------------
// XML description, type names, metadata dictionary
// -----------------------------------------------------------------------------

// Elements of an object's XML description.
inline constexpr char32_t _S_XML_OBJECT[] = U"Object";
inline constexpr char32_t _S_XML_NAME[] = U"Name";
inline constexpr char32_t _S_XML_TYPE[] = U"Type";
inline constexpr char32_t _S_XML_UPGRADE_ID[] = U"UpgradeID";

// The column keyword. Upper case: it stands in the type-name table beside
// "TABLE" and "DATABASE", and the XML utilities compare keywords ignoring case.
inline constexpr char32_t S_XML_COLUMN[] = U"COLUMN";

// Dictionary tag of users, in the UpperCamelCase of the other dictionary tags.
inline constexpr char32_t S_USER[] = U"User";

// File name of the live repository; the dictionary uses it without its
// extension as the repository's folder name.
inline constexpr char32_t S_LIVERPD[] = U"liverpd.rpd";

// -----------------------------------------------------------------------------
// Lengths computed once, at compile time
// -----------------------------------------------------------------------------

inline constexpr std::size_t KEX_BUNDLE_LENGTH = SMConstantsDetail::Length(S_KEX_BUNDLE_PREFIX);
