// Writing repository files (see objectmodel/RpFile.h for the format). The
// whole document is built in one string and written at once; text goes
// through one escaping function so every string field is written alike.
#include <cstdio>
#include <fstream>
#include <ostream>
#include <sstream>
#include <type_traits>
#include <unordered_map>
#include <variant>

#include "Expr/ToStringVisitor.h"
#include "Utility/Hex.h"
#include "Utility/SUFileUtility.h"
#include "Utility/XmlText.h"
#include "objectmodel/RpFile.h"
#include "objectmodel/RpObject.h"

namespace {

bool NeedsEscape(const VXString& s) {
  for (char32_t c : s) {
    if (!XmlText::IsXmlChar(c)) return true;
  }
  return false;
}

// Appends s as XML text (attribute value or element content). With bEsc the
// backslash escapes of the format apply (the element carries esc="1").
void AppendText(std::string& out, const VXString& s, bool bEsc) {
  for (char32_t c : s) {
    if (c > 0x10FFFF) {
      throw RpFileError("", 0, 0,
                        "a text holds the value " + std::to_string(static_cast<std::uint32_t>(c)) +
                            ", beyond the last code point U+10FFFF; it cannot be written");
    }
    if (bEsc && (c == U'\\' || !XmlText::IsXmlChar(c))) {
      if (c == U'\\') {
        out += "\\\\";
        continue;
      }
      out += "\\u{";
      Hex::AppendNumber(out, c);
      out.push_back('}');
      continue;
    }
    if (const std::string_view ref = XmlText::MarkupReference(c, XmlText::Apostrophe::kKeep); !ref.empty()) {
      out += ref;
      continue;
    }
    switch (c) {
      // Written as references so that neither attribute normalisation nor
      // line-end handling changes them.
      case U'\t':
        out += "&#9;";
        break;
      case U'\n':
        out += "&#10;";
        break;
      case U'\r':
        out += "&#13;";
        break;
      default:
        if (c < 0x80) {
          out.push_back(static_cast<char>(c));
        } else {
          AppendUtf8(out, c);
        }
    }
  }
}

void AppendID(std::string& out, const VoidID& id) {
  out += std::to_string(id.m_interfaceTypeID);
  out.push_back(':');
  out += std::to_string(id.m_uniqueNum);
}

void AppendHex(std::string& out, const ByteVector& bytes) { Hex::AppendBytes(out, bytes); }

class Writer {
 public:
  explicit Writer(ARpGateway& rp) : m_rp(rp) {}
  std::string Write();

 private:
  void WriteObject(const ARpObject& obj, bool bPos, std::size_t pos);
  void WriteProperty(RpProp key, const RpPropValue& value);
  // A text element <name [format=".."]>text</name> with its own esc flag.
  void WriteTextElement(const char* name, const VXString& text, const VXString* pFormat = nullptr);
  void WriteExprElement(const char* name, const Expr& expr);
  void WriteTuples(const ARpObject& obj);

  ARpGateway& m_rp;
  std::string m_out;
};

std::string Writer::Write() {
  std::vector<ARpObject*> order;
  order.reserve(m_rp.GetObjectCount());
  for (TypeID t : m_rp.GetKnownTypes()) {
    VoidIDVector ids;
    m_rp.GetObjectIDsOfType(t, ids);
    for (const VoidID& id : ids) {
      if (ARpObject* p = m_rp.GetObject(id).Get()) order.push_back(p);
    }
  }
  std::unordered_map<const ARpObject*, std::size_t> fileIndex;
  fileIndex.reserve(order.size());
  for (std::size_t i = 0; i < order.size(); ++i) fileIndex.emplace(order[i], i);
  // Children come back in file order unless their parent lists them
  // otherwise; only then do they need their place written.
  std::unordered_map<const ARpObject*, std::size_t> placeOf;
  for (const ARpObject* p : order) {
    const ChildPointers children = p->GetChildPointers();
    const std::vector<ARpObject*> kids(children.begin(), children.end());
    bool bInOrder = true;
    for (std::size_t i = 1; i < kids.size() && bInOrder; ++i) bInOrder = fileIndex[kids[i - 1]] < fileIndex[kids[i]];
    if (bInOrder) continue;
    for (std::size_t i = 0; i < kids.size(); ++i) placeOf.emplace(kids[i], i);
  }

  m_out.reserve(order.size() * 72 + 256);
  m_out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<repository format=\"";
  m_out += std::to_string(RpFile::kFormatVersion);
  m_out += "\"";
  const VXString& logicalName = m_rp.GetLogicalName();
  if (!logicalName.empty()) {
    if (NeedsEscape(logicalName)) m_out += " esc=\"1\"";
    m_out += " name=\"";
    AppendText(m_out, logicalName, NeedsEscape(logicalName));
    m_out += "\"";
  }
  m_out += ">\n";
  for (const auto& [number, bytes] : m_rp.GetDataBlobs()) {
    m_out += "  <blob number=\"" + std::to_string(number) + "\">";
    AppendHex(m_out, bytes);
    m_out += "</blob>\n";
  }
  for (const ARpObject* p : order) {
    auto it = placeOf.find(p);
    WriteObject(*p, it != placeOf.end(), it != placeOf.end() ? it->second : 0);
  }
  for (const ARpObject* p : order) WriteTuples(*p);
  m_out += "</repository>\n";
  return std::move(m_out);
}

void Writer::WriteObject(const ARpObject& obj, bool bPos, std::size_t pos) {
  const bool bEsc = NeedsEscape(obj.GetName());
  m_out += "  <object id=\"";
  AppendID(m_out, obj.GetID());
  m_out += "\" name=\"";
  AppendText(m_out, obj.GetName(), bEsc);
  m_out.push_back('"');
  if (const ARpObject* parent = obj.GetParentPointer()) {
    m_out += " parent=\"";
    AppendID(m_out, parent->GetID());
    m_out.push_back('"');
  }
  if (bPos) m_out += " pos=\"" + std::to_string(pos) + "\"";
  if (bEsc) m_out += " esc=\"1\"";
  const VXStringVector& aliases = obj.GetAliasList();
  bool bHasProps = false;
  for (std::size_t k = 0; k < static_cast<std::size_t>(RpProp::kCount) && !bHasProps; ++k) {
    bHasProps = obj.FindProperty(static_cast<RpProp>(k)) != nullptr;
  }
  if (aliases.empty() && !bHasProps) {
    m_out += "/>\n";
    return;
  }
  m_out += ">\n";
  for (const VXString& a : aliases) {
    m_out += "    ";
    WriteTextElement("alias", a);
  }
  for (std::size_t k = 0; k < static_cast<std::size_t>(RpProp::kCount); ++k) {
    if (const RpPropValue* v = obj.FindProperty(static_cast<RpProp>(k))) WriteProperty(static_cast<RpProp>(k), *v);
  }
  m_out += "  </object>\n";
}

void Writer::WriteTextElement(const char* name, const VXString& text, const VXString* pFormat) {
  const bool bEsc = NeedsEscape(text) || (pFormat && NeedsEscape(*pFormat));
  m_out.push_back('<');
  m_out += name;
  if (pFormat && !pFormat->empty()) {
    m_out += " format=\"";
    AppendText(m_out, *pFormat, bEsc);
    m_out.push_back('"');
  }
  if (bEsc) m_out += " esc=\"1\"";
  m_out.push_back('>');
  AppendText(m_out, text, bEsc);
  m_out += "</";
  m_out += name;
  m_out += ">\n";
}

void Writer::WriteExprElement(const char* name, const Expr& expr) {
  WriteTextElement(name, ToStringVisitor::StringFrom(expr), &expr.GetFormatStr());
}

void Writer::WriteProperty(RpProp key, const RpPropValue& value) {
  auto open = [&](const char* type, bool bEsc = false) {
    m_out += "    <prop key=\"";
    m_out += RpPropName(key);
    m_out.push_back('"');
    if (type) {
      m_out += " type=\"";
      m_out += type;
      m_out.push_back('"');
    }
    if (bEsc) m_out += " esc=\"1\"";
  };
  std::visit(
      [&](const auto& v) {
        using T = std::decay_t<decltype(v)>;
        if constexpr (std::is_same_v<T, std::monostate>) {
          open("null");
          m_out += "/>\n";
        } else if constexpr (std::is_same_v<T, bool>) {
          open("bool");
          m_out += v ? ">true</prop>\n" : ">false</prop>\n";
        } else if constexpr (std::is_same_v<T, std::int64_t>) {
          open("int");
          m_out += ">" + std::to_string(v) + "</prop>\n";
        } else if constexpr (std::is_same_v<T, VXString>) {
          const bool bEsc = NeedsEscape(v);
          open(nullptr, bEsc);
          m_out.push_back('>');
          AppendText(m_out, v, bEsc);
          m_out += "</prop>\n";
        } else if constexpr (std::is_same_v<T, VXStringVector>) {
          open("strings");
          m_out += ">\n";
          for (const VXString& s : v) {
            m_out += "      ";
            WriteTextElement("s", s);
          }
          m_out += "    </prop>\n";
        } else if constexpr (std::is_same_v<T, ByteVector>) {
          open("bytes");
          m_out.push_back('>');
          AppendHex(m_out, v);
          m_out += "</prop>\n";
        } else if constexpr (std::is_same_v<T, VoidID>) {
          open("id");
          m_out.push_back('>');
          AppendID(m_out, v);
          m_out += "</prop>\n";
        } else if constexpr (std::is_same_v<T, Expr>) {
          const VXString text = ToStringVisitor::StringFrom(v);
          const bool bEsc = NeedsEscape(text) || NeedsEscape(v.GetFormatStr());
          open("expr", bEsc);
          if (!v.GetFormatStr().empty()) {
            m_out += " format=\"";
            AppendText(m_out, v.GetFormatStr(), bEsc);
            m_out.push_back('"');
          }
          m_out.push_back('>');
          AppendText(m_out, text, bEsc);
          m_out += "</prop>\n";
        } else if constexpr (std::is_same_v<T, Multiplicity>) {
          open("multiplicity");
          m_out += " start=\"" + std::to_string(static_cast<int>(v.m_startCardinality)) + "\" end=\"" +
                   std::to_string(static_cast<int>(v.m_endCardinality)) + "\" lower=\"" +
                   std::to_string(v.m_optionalLowerBound) + "\" upper=\"" + std::to_string(v.m_optionalUpperBound) +
                   "\"/>\n";
        } else if constexpr (std::is_same_v<T, std::shared_ptr<const RpSourceDefinition>>) {
          open("source");
          if (!v) {
            m_out += " null=\"true\"/>\n";  // no definition at all, unlike an empty one
            return;
          }
          m_out += v->m_bDistinct ? " distinct=\"true\">\n" : ">\n";
          for (const auto& [logical, physical] : v->m_logicalToPhysical) {
            m_out += "      <map>";
            WriteExprElement("logical", logical);
            m_out.pop_back();
            WriteExprElement("physical", physical);
            m_out.pop_back();
            m_out += "</map>\n";
          }
          for (const VoidID& t : v->m_physicalTables) {
            m_out += "      <table id=\"";
            AppendID(m_out, t);
            m_out += "\"/>\n";
          }
          for (const auto& [tables, join] : v->m_joins) {
            m_out += "      <join left=\"";
            AppendID(m_out, tables.first);
            m_out += "\" right=\"";
            AppendID(m_out, tables.second);
            m_out += "\" join=\"";
            AppendID(m_out, join);
            m_out += "\"/>\n";
          }
          if (!v->m_whereClause.IsEmpty() || !v->m_whereClause.GetFormatStr().empty()) {
            m_out += "      ";
            WriteExprElement("where", v->m_whereClause);
          }
          m_out += "    </prop>\n";
        } else if constexpr (std::is_same_v<T, VXStringStringMap>) {
          open("map");
          m_out += ">\n";
          for (const auto& [k, val] : v) {
            const bool bEsc = NeedsEscape(k) || NeedsEscape(val);
            m_out += "      <entry key=\"";
            AppendText(m_out, k, bEsc);
            m_out += bEsc ? "\" esc=\"1\">" : "\">";
            AppendText(m_out, val, bEsc);
            m_out += "</entry>\n";
          }
          m_out += "    </prop>\n";
        } else {
          static_assert(!sizeof(T*), "every property value type needs a written form");
        }
      },
      value);
}

void Writer::WriteTuples(const ARpObject& obj) {
  std::vector<std::uint32_t> handles;
  m_rp.FindTuplesOf(obj.GetID(), handles);
  for (std::uint32_t h : handles) {
    const ARpGateway::RelTuple* t = m_rp.GetTuple(h);
    if (!t) continue;
    const RpRel::RelationInfo* info = RpRel::GetRelationInfo(t->m_rel);
    const std::size_t sorted = info ? static_cast<std::size_t>(info->m_sortedArg) : 0;
    // Each tuple is written once, by the object at its sorted argument, so
    // that object's order survives the reload.
    if (sorted >= t->m_args.size() || t->m_args[sorted] != obj.GetID()) continue;
    m_out += "  <tuple rel=\"" + std::to_string(t->m_rel.m_systemID) + "\" args=\"";
    for (std::size_t i = 0; i < t->m_args.size(); ++i) {
      if (i) m_out.push_back(' ');
      AppendID(m_out, t->m_args[i]);
    }
    m_out += "\"/>\n";
  }
}

}  // namespace

namespace RpFile {

std::string SaveToString(ARpGateway& rp) { return Writer(rp).Write(); }

void Save(ARpGateway& rp, std::ostream& out) {
  const std::string text = SaveToString(rp);
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

void Save(ARpGateway& rp, const std::string& path) {
  const std::string text = SaveToString(rp);
  try {
    SUFileUtility::ReplaceFile(path, "repository file", text);
  } catch (const SUFileUtility::SUFileError& e) {
    throw RpFileError(path, 0, 0, e.what());
  }
}

}  // namespace RpFile
