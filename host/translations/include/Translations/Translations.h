// The translation round trip of externalized display names and descriptions:
// the texts go out to translators as an XLIFF 2.0 document and come back
// into the bundle store (SQLite, table bundle_strings(key, language, text))
// for their language.
//
//   std::vector<TranslationUnit> units = CollectTranslationUnits(rp, store, "en");
//   WriteXliff(units, "en", "fr", "sample.rpd.xml", "fr.xlf");
//   ... a translator fills in the <target> elements ...
//   ImportResult r = ImportXliff(rp, "fr.xlf", "bundles.db");
//   CoverageReport c = CheckCoverage(rp, "bundles.db", {"fr"});
//
// A unit's id is made from the bundle key it translates (UnitIdOfKey), so
// exporting again after the repository changed keeps the id of every unit
// whose text is still used, and a document that went through another tool
// imports as long as that tool kept the ids: import matches a unit by its id,
// else by its name (the session variable), against the units the repository
// has now. Notes (the object's label, translation key and XML description)
// are context for the translator only; a unit that no object uses any more
// is reported and not imported. Import also reads XLIFF 1.2 and 1.1
// (trans-unit id, resname, source and target).
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "Metadata/SMUtil.h"
#include "Utility/SourceError.h"

namespace smutil_translations {

inline constexpr char32_t kXliffNamespace[] = U"urn:oasis:names:tc:xliff:document:2.0";
inline constexpr char32_t kXliff1Namespace[] = U"urn:oasis:names:tc:xliff:document:1.2";
inline constexpr char32_t kXliff11Namespace[] = U"urn:oasis:names:tc:xliff:document:1.1";
// The language the default texts are written in.
inline constexpr char kSourceLanguage[] = "en";

// The kinds of units, written as the unit's type attribute.
inline constexpr char32_t kDisplayNameUnit[] = U"smutil:displayName";
inline constexpr char32_t kDescriptionUnit[] = U"smutil:description";

// Any failure to read or write a file or the store. A fault of a document
// reads "FILE:LINE:COLUMN: what" (as far as the place is known); one of the
// store names the store in its message.
class TranslationError : public SourceError {
 public:
  explicit TranslationError(const std::string& what) : SourceError(std::string(), 0, 0, what) {}
  TranslationError(const std::string& source, std::uint64_t line, std::uint64_t column, const std::string& what)
      : SourceError(source, line, column, what) {}
};

// One text to translate: a row of ExternalizationUtil::GetExternalizationInfo
// with the object it came from.
struct TranslationUnit {
  VXString id;        // UnitIdOfKey(key)
  VXString variable;  // the session variable, as the text writes it
  VXString key;       // its key in the bundle store (BundleKeyOfVariable)
  bool bDescription = false;
  VXString label;            // "Presentation Column "Revenue""
  VXString translationKey;   // the object's translation key
  VXString logicalColumn;    // the label of the logical column behind a presentation column
  VXString objectXml;        // the object's XML description
  VXString source;           // the text to translate
  VXString target;           // the translation (import only)
  VXStringVector locations;  // XLIFF 1.x location references, further ids (import only)
  std::uint64_t line = 0;    // where the unit starts in the document read (import only)
};

// A unit's id: the bundle key with every character other than an ASCII
// letter, digit, "_" or "." written as "-HEX-" (its code point), so that
// distinct keys give distinct ids and every id is an NMTOKEN.
VXString UnitIdOfKey(const VXString& key);

// The key under which the bundle store keeps a variable's strings: the name
// after the session block, unquoted; for a bundle variable the bundle key,
// so that bundle display names show imported translations directly.
VXString BundleKeyOfVariable(const VXString& variable);

// The presentation objects of the repository that can carry a display name
// (subject areas, presentation tables, columns, hierarchies, levels and
// customer types), in type order and then repository order.
RpObjectVector PresentationObjects(ARpGateway* pRp);

// What Externalize did with the texts the objects held before.
struct ExternalizeResult {
  // "PRESENTATION TABLE "Sales"."Customers": display name "Kunden & Märkte"
  // kept as the default of CN_Sales_Customers"
  std::vector<std::string> kept;
  // Objects whose text was left as it was, and why.
  std::vector<std::string> skipped;
};

// Switches the display names (and with bDescriptions the custom
// descriptions) of the objects to their generated session-variable
// references (KEX ones with bKex), never dropping a text that was written by
// hand. A plain text becomes the default value of the reference's session
// variable, which is created for it (or found holding that text already);
// a text that refers to variables itself, or whose reference names a
// variable that holds another value, is left as it was and the object is
// named in skipped. A generated reference, or an empty text, is simply
// replaced.
ExternalizeResult Externalize(ARpGateway* pRp, RpObjectVector& objects, bool bDescriptions, bool bKex);

// The session variable of the repository that a reference's variable text
// names (VX_SESSION."A B" names A B), or null.
Ref<ARpVariable> SessionVariableOf(ARpGateway* pRp, const VXString& variable);

// The units of every externalized object, one per bundle key (the first
// object that uses a key gives its unit). Source texts come from the store
// in sourceLanguage when it has them (an empty file name: none), else from
// the default value of the variable's session variable in the repository,
// else from the object's name (display names) or its default description.
std::vector<TranslationUnit> CollectTranslationUnits(ARpGateway* pRp, const std::string& storeFile,
                                                     const std::string& sourceLanguage);

// The units as one XLIFF 2.0 document (one file element named after
// original), in UTF-8.
std::string XliffDocument(const std::vector<TranslationUnit>& units, const std::string& sourceLanguage,
                          const std::string& targetLanguage, const std::string& original);
// Writes that document to outFile, replaced whole or not at all (see
// SUFileUtility::ReplacingFile). Throws TranslationError when the file
// cannot be written; an old file is then as it was.
void WriteXliff(const std::vector<TranslationUnit>& units, const std::string& sourceLanguage,
                const std::string& targetLanguage, const std::string& original, const std::string& outFile);

// The XLIFF 2.0 core schema shipped with the tool.
std::string XliffSchemaFile();

// Reads an XLIFF document: 2.0 validated against the core schema, 1.2 or
// 1.1 as said above; throws TranslationError with the parser's messages
// when it is neither. targetLanguage receives trgLang (2.0) or the first
// file's target-language (1.x).
// A path that is not a regular file is refused before it is opened.
std::vector<TranslationUnit> ReadXliff(const std::string& inFile, std::string& targetLanguage);
// The same for a document's bytes; sourceName names it in errors.
std::vector<TranslationUnit> ReadXliffDocument(const std::string& document, const std::string& sourceName,
                                               std::string& targetLanguage);

struct ImportResult {
  std::string language;
  std::size_t imported = 0;            // strings written to the store
  std::size_t untranslated = 0;        // matched units without a target
  std::vector<std::string> unmatched;  // one line per unit that matches no object
};

// Reads inFile and writes the translations of its units into the store
// (created when missing), all in one transaction: the whole document or
// nothing. A unit matches by its id, else by one of its location
// references, else by its name. language stands for the target language of
// a document that names none. When a unit matches no object nothing is
// written (imported 0) and the units are listed in unmatched. Throws
// TranslationError, changing nothing, when the file is not valid XLIFF,
// has no target language (or one other than a language given), or the
// store cannot be written (the transaction is rolled back).
ImportResult ImportXliff(ARpGateway* pRp, const std::string& inFile, const std::string& storeFile,
                         const std::string& language = std::string());
// The same for a document's bytes; inFile names it in errors.
ImportResult ImportXliffDocument(ARpGateway* pRp, const std::string& document, const std::string& inFile,
                                 const std::string& storeFile, const std::string& language = std::string());

struct CoverageReport {
  std::vector<std::string> languages;
  std::vector<std::string> objectsWithoutVariables;         // presentation objects whose display name names no variable
  std::map<std::string, std::vector<std::string>> missing;  // language -> variables without a string
  std::map<std::string, std::vector<std::string>> unused;   // language -> keys no object uses
  bool Complete() const;                                    // no object without variables and nothing missing
};

// Coverage of the store for the languages given, or for every language the
// store holds when none is given.
CoverageReport CheckCoverage(ARpGateway* pRp, const std::string& storeFile, std::vector<std::string> languages);

}  // namespace smutil_translations
