// The host's resource-bundle store: bundle strings kept in an SQLite file,
// one table bundle_strings(key, language, text), read for the session's
// language with a fallback language.
//
//   InstallBundleHook();        // Repository::PopulateResourceBundleStrings
//   MetadataUtil::GetCustomDisplayName(&rp, column);
//
// The bundle database of the repository names the file through the data
// source name of its first connection pool; a relative name is looked for
// in the data directory and then in the build's generated directory.
#pragma once

#include <set>
#include <string>

#include "Utility/VXString.h"

class ARpGateway;
class ADatabase;
template <class T>
class Ref;

namespace smutil_bundles {

// The language whose strings stand in for a key the session's language
// lacks.
inline constexpr char32_t kFallbackLanguage[] = U"en";
// The session-variable block the bundle variables are set in.
inline constexpr char32_t kBundleBlock[] = U"VX_SESSION";

// Sets the session variable of every key (the bundle prefix followed by the
// key, in kBundleBlock) to the key's text in language, else in the fallback
// language, else to the key itself (GetKeyFromKEXBundleVariable). A file
// that cannot be opened or read is logged as an error and every key gets
// itself.
void LoadBundleStrings(ARpGateway* pRp, const std::set<VXString>& keys, const std::string& file,
                       const VXString& language);

// The file a bundle database names: its first connection pool's data source
// name, resolved as said above; empty when there is none.
std::string BundleFileOf(const Ref<ADatabase>& database);

// The session variable (in kBundleBlock) that holds the session's language.
inline constexpr char32_t kLanguageVariable[] = U"USER_LANGUAGE";

// Installs Repository::PopulateResourceBundleStrings reading BundleFileOf
// the database in the session's language (kLanguageVariable; the fallback
// language when it is unset); with a store file, that file instead, for
// every bundle database.
void InstallBundleHook(const std::string& storeFile = std::string());

// Sets a session variable (in kBundleBlock) for every key the store holds
// in language or the fallback language, to its text in language when it
// has one: the strings that translations import put there for the
// generated display-name and description variables. False, with why, when
// the file is not a readable bundle store; nothing is set then.
bool LoadSessionStrings(ARpGateway* pRp, const std::string& storeFile, const VXString& language, std::string& why);

}  // namespace smutil_bundles
