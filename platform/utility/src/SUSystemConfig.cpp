#include "Utility/SUSystemConfig.h"

#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <sstream>

#include "Utility/BaseStringUtil.h"
#include "Utility/SUFileUtility.h"
#include "Utility/SUInstallDir.h"
#include "Utility/ServerLog.h"

namespace {
struct Reader {
  const std::string& source;
  std::size_t line;
  [[noreturn]] void Fail(const std::string& what) const { throw SystemConfigError(source, line, what); }
};

std::string_view Trim(std::string_view s) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
  while (!s.empty() && blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && blank(s.back())) s.remove_suffix(1);
  return s;
}

// A value: bare text up to a ";" comment, or a quoted text with "" for ".
VXString ReadValue(std::string_view raw, const Reader& at) {
  raw = Trim(raw);
  std::string out;
  if (!raw.empty() && raw.front() == '"') {
    std::size_t i = 1;
    for (;; ++i) {
      if (i >= raw.size()) at.Fail("the quoted value is not closed");
      if (raw[i] != '"') {
        out.push_back(raw[i]);
      } else if (i + 1 < raw.size() && raw[i + 1] == '"') {
        out.push_back('"');
        ++i;
      } else {
        break;
      }
    }
    const std::string_view rest = Trim(raw.substr(i + 1));
    if (!rest.empty() && rest.front() != ';' && rest.front() != '#') {
      at.Fail("unexpected text after the quoted value");
    }
  } else {
    const std::size_t comment = raw.find(';');
    out = std::string(Trim(raw.substr(0, comment)));
  }
  if (!IsValidUtf8(out)) at.Fail("the value is not valid UTF-8");
  return ToVXString(out);
}

int ReadCodePage(const VXString& v, const Reader& at) {
  if (v.empty() || v.size() > 6) at.Fail("MultiByteCodePage must be a code page number such as 65001 or 1252");
  int n = 0;
  for (char32_t c : v) {
    if (c < U'0' || c > U'9') at.Fail("MultiByteCodePage must be a code page number such as 65001 or 1252");
    n = n * 10 + static_cast<int>(c - U'0');
  }
  return n;
}

bool ReadBool(const VXString& v, const Reader& at, const char* key) {
  const bool t = BaseStringUtil::BooleanFrom(v, true);
  if (t != BaseStringUtil::BooleanFrom(v, false)) at.Fail(std::string(key) + " must be yes or no (true/false, 1/0)");
  return t;
}

VXString Resolve(const VXString& path, const std::string& baseDirectory) {
  if (path.empty() || baseDirectory.empty()) return path;
  const std::filesystem::path p(ToNarrow(path));
  if (p.is_absolute()) return path;
  std::string joined = (std::filesystem::path(baseDirectory) / p).lexically_normal().string();
  while (joined.size() > 1 && joined.back() == '/') joined.pop_back();  // "dir/." normalises to "dir/"
  return ToVXString(joined);
}

struct Slot {
  std::mutex mutex;
  std::shared_ptr<const SUSystemConfig> config;
};

Slot& ConfigSlot() {
  static Slot slot;
  return slot;
}
}  // namespace

SUSystemConfig SUSystemConfig::Parse(std::string_view text, const std::string& sourceName,
                                     const std::string& baseDirectory) {
  // The keys of each section: whether a key may be given more than once,
  // and what its value sets.
  struct ConfigKey {
    std::string_view section;
    std::string_view name;
    bool bRepeatable;
    void (*apply)(SUSystemConfig& cfg, const VXString& value, const Reader& at, const std::string& base);
  };
  static constexpr ConfigKey kKeys[] = {
      {"Repository", "LogicalName", true,
       [](SUSystemConfig& cfg, const VXString& v, const Reader&, const std::string&) {
         cfg.m_logicalNames.push_back(v);
       }},
      {"Repository", "Path", true,
       [](SUSystemConfig& cfg, const VXString& v, const Reader&, const std::string& base) {
         cfg.m_repositoryPaths.push_back(Resolve(v, base));
       }},
      {"Server", "CatalogDelimiter", false,
       [](SUSystemConfig& cfg, const VXString& v, const Reader& at, const std::string&) {
         if (v.empty()) at.Fail("CatalogDelimiter must not be empty");
         cfg.m_catalogDelimiter = v;
       }},
      {"Server", "MultiByteCodePage", false,
       [](SUSystemConfig& cfg, const VXString& v, const Reader& at, const std::string&) {
         cfg.m_codePage = ReadCodePage(v, at);
       }},
      {"Server", "LegacyInstanceMode", false,
       [](SUSystemConfig& cfg, const VXString& v, const Reader& at, const std::string&) {
         cfg.m_legacyInstanceMode = ReadBool(v, at, "LegacyInstanceMode");
       }},
      {"Server", "HomeDirectory", false,
       [](SUSystemConfig& cfg, const VXString& v, const Reader&, const std::string& base) {
         cfg.m_homeDirectory = Resolve(v, base);
       }},
      {"Server", "InstanceName", false,
       [](SUSystemConfig& cfg, const VXString& v, const Reader&, const std::string&) { cfg.m_instanceName = v; }},
      {"Server", "ComponentName", false,
       [](SUSystemConfig& cfg, const VXString& v, const Reader&, const std::string&) { cfg.m_componentName = v; }},
      {"Translations", "BundleStore", false,
       [](SUSystemConfig& cfg, const VXString& v, const Reader&, const std::string& base) {
         cfg.m_bundleStore = Resolve(v, base);
       }},
  };

  SUSystemConfig cfg;
  std::string section;
  std::vector<std::string> seen;  // single-valued keys already given
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  for (std::size_t lineNo = 1; !text.empty(); ++lineNo) {
    const std::size_t nl = text.find('\n');
    const std::string_view line = Trim(text.substr(0, nl));
    text.remove_prefix(nl == std::string_view::npos ? text.size() : nl + 1);
    const Reader at{sourceName, lineNo};
    if (line.empty() || line.front() == '#' || line.front() == ';') continue;
    if (line.find('\0') != std::string_view::npos) at.Fail("the line holds a NUL byte");
    if (line.front() == '[') {
      if (line.back() != ']') at.Fail("a section header must end with \"]\"");
      section = std::string(Trim(line.substr(1, line.size() - 2)));
      bool bKnownSection = false;
      for (const ConfigKey& k : kKeys) bKnownSection = bKnownSection || k.section == section;
      if (!bKnownSection) {
        at.Fail("unknown section [" + section + "] (known: [Server], [Repository], [Translations])");
      }
      continue;
    }
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) at.Fail("expected \"<key> = <value>\" or a [section]");
    const std::string key(Trim(line.substr(0, eq)));
    if (section.empty()) at.Fail("the key " + key + " comes before any [section]");
    const VXString value = ReadValue(line.substr(eq + 1), at);
    const ConfigKey* known = nullptr;
    for (const ConfigKey& k : kKeys) {
      if (k.section == section && k.name == key) known = &k;
    }
    if (!known) at.Fail("unknown key " + key + " in [" + section + "]");
    if (!known->bRepeatable) {
      const std::string full = section + "." + key;
      for (const std::string& s : seen) {
        if (s == full) at.Fail("the key " + key + " of [" + section + "] is given twice");
      }
      seen.push_back(full);
    }
    known->apply(cfg, value, at, baseDirectory);
  }
  return cfg;
}

SUSystemConfig SUSystemConfig::LoadFile(const std::string& path) {
  std::string text;
  try {
    text = SUFileUtility::ReadRegularFile(path, "system configuration");
  } catch (const SUFileUtility::SUFileError& e) {
    throw SystemConfigError(path, 0, "cannot open the system configuration: " + e.GetReason());
  }
  const std::string base = std::filesystem::absolute(std::filesystem::path(path)).parent_path().string();
  return Parse(text, path, base);
}

std::string SUSystemConfig::DefaultConfigFile() {
  const char* env = std::getenv("SMUTIL_CONFIG");
  if (env && *env) return env;
  return SUInstallDir::DataFile("config.ini");
}

std::shared_ptr<const SUSystemConfig> SUSystemConfig::GetSystemConfig() {
  Slot& slot = ConfigSlot();
  std::lock_guard lock(slot.mutex);
  if (!slot.config) {
    const std::string file = DefaultConfigFile();
    std::error_code ec;
    if (std::filesystem::exists(file, ec)) {
      slot.config = std::make_shared<const SUSystemConfig>(LoadFile(file));
    } else {
      ServerLog::LogWarning(U"System configuration " + ToVXString(file) + U" not found; using the defaults.", 1);
      slot.config = std::make_shared<const SUSystemConfig>();
    }
  }
  return slot.config;
}

std::shared_ptr<const SUSystemConfig> SUSystemConfig::ExchangeSystemConfig(
    std::shared_ptr<const SUSystemConfig> config) {
  Slot& slot = ConfigSlot();
  std::lock_guard lock(slot.mutex);
  std::swap(slot.config, config);
  return config;
}

void SUSystemConfig::SetSystemConfig(std::shared_ptr<const SUSystemConfig> config) {
  ExchangeSystemConfig(std::move(config));
}

ScopedSystemConfig::ScopedSystemConfig(SUSystemConfig config)
    : m_previous(SUSystemConfig::ExchangeSystemConfig(std::make_shared<const SUSystemConfig>(std::move(config)))) {}

ScopedSystemConfig::~ScopedSystemConfig() { SUSystemConfig::SetSystemConfig(std::move(m_previous)); }
