// SUSystemConfig: the server's system configuration: the catalog delimiter,
// the logical repository names and their file paths, and the server settings
// that SystemUtility reports.
//
//   auto cfg = SUSystemConfig::GetSystemConfig();
//   cfg->GetCatalogDelimiter();            // U"."
//   cfg->GetLogicalRepositoryNames();      // {U"Star", ...}
//
// The configuration in use is read once, on first use, from the file named by
// the environment variable SMUTIL_CONFIG, else from config.ini in the samples
// directory; a missing file gives the defaults. A broken file throws
// SystemConfigError naming the file and line. Tests and hosts install their
// own with SetSystemConfig.
//
// File format (UTF-8, INI style):
//
//   # comment
//   [Server]
//   CatalogDelimiter = "."          ; quotes keep blanks; "" inside is one quote
//   MultiByteCodePage = 65001
//   LegacyInstanceMode = no
//   HomeDirectory = .               ; relative paths are relative to the file
//   InstanceName = smutil1
//   ComponentName = smutil
//   [Repository]
//   LogicalName = Star              ; repeat the key for each repository;
//   Path = repository/Star.rpd      ; names and paths pair up by position
//   [Translations]
//   BundleStore = bundles.db        ; the bundle store display names are shown from
//
// Unknown sections or keys, a repeated single-valued key, and values that do
// not read as their type are errors: a typo must not silently fall back to a
// default.
#pragma once

#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

#include "Utility/SourceError.h"
#include "Utility/VXString.h"

// "FILE:LINE: what"; line 0: the file could not be read.
class SystemConfigError : public SourceError {
 public:
  SystemConfigError(const std::string& source, std::size_t line, const std::string& what)
      : SourceError(source, line, 0, what) {}
};

class SUSystemConfig {
 public:
  SUSystemConfig() = default;  // the defaults

  // baseDirectory resolves relative paths of the text; sourceName labels errors.
  static SUSystemConfig Parse(std::string_view text, const std::string& sourceName, const std::string& baseDirectory);
  static SUSystemConfig LoadFile(const std::string& path);

  static std::shared_ptr<const SUSystemConfig> GetSystemConfig();
  // Installs the configuration in use; null reloads the default file next time.
  static void SetSystemConfig(std::shared_ptr<const SUSystemConfig> config);
  // As SetSystemConfig, returning the one installed before (null if none was).
  static std::shared_ptr<const SUSystemConfig> ExchangeSystemConfig(std::shared_ptr<const SUSystemConfig> config);
  // SMUTIL_CONFIG, else config.ini in the data directory (SUInstallDir).
  static std::string DefaultConfigFile();

  // Separates a database name from a catalog name in a concatenated catalog
  // name. "." by default: names that contain a full stop carry it as "//",
  // so the first "." is always the delimiter.
  const VXString& GetCatalogDelimiter() const { return m_catalogDelimiter; }
  const VXStringVector& GetLogicalRepositoryNames() const { return m_logicalNames; }
  const VXStringVector& GetRepositoryPaths() const { return m_repositoryPaths; }
  int GetMultiByteCodePage() const { return m_codePage; }  // 65001 (UTF-8) by default
  bool IsLegacyInstanceMode() const { return m_legacyInstanceMode; }
  const VXString& GetHomeDirectory() const { return m_homeDirectory; }  // empty: not configured
  const VXString& GetInstanceName() const { return m_instanceName; }    // empty: not configured
  const VXString& GetComponentName() const { return m_componentName; }  // empty: not configured
  const VXString& GetBundleStore() const { return m_bundleStore; }      // empty: not configured

  SUSystemConfig& SetCatalogDelimiter(VXString v) { return m_catalogDelimiter = std::move(v), *this; }
  SUSystemConfig& SetLogicalRepositoryNames(VXStringVector v) { return m_logicalNames = std::move(v), *this; }
  SUSystemConfig& SetRepositoryPaths(VXStringVector v) { return m_repositoryPaths = std::move(v), *this; }
  SUSystemConfig& SetMultiByteCodePage(int v) { return m_codePage = v, *this; }
  SUSystemConfig& SetLegacyInstanceMode(bool v) { return m_legacyInstanceMode = v, *this; }
  SUSystemConfig& SetHomeDirectory(VXString v) { return m_homeDirectory = std::move(v), *this; }
  SUSystemConfig& SetInstanceName(VXString v) { return m_instanceName = std::move(v), *this; }
  SUSystemConfig& SetComponentName(VXString v) { return m_componentName = std::move(v), *this; }
  SUSystemConfig& SetBundleStore(VXString v) { return m_bundleStore = std::move(v), *this; }

 private:
  VXString m_catalogDelimiter = U".";
  VXStringVector m_logicalNames;
  VXStringVector m_repositoryPaths;
  int m_codePage = 65001;
  bool m_legacyInstanceMode = false;
  VXString m_homeDirectory;
  VXString m_instanceName;
  VXString m_componentName;
  VXString m_bundleStore;
};

// Installs a configuration for the current scope and restores the previous one.
class ScopedSystemConfig {
 public:
  explicit ScopedSystemConfig(SUSystemConfig config);
  ~ScopedSystemConfig();
  ScopedSystemConfig(const ScopedSystemConfig&) = delete;
  ScopedSystemConfig& operator=(const ScopedSystemConfig&) = delete;

 private:
  std::shared_ptr<const SUSystemConfig> m_previous;
};
