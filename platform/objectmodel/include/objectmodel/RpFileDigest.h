// RpFileDigest: which objects differ between two texts of a repository file
// (objectmodel/RpFile.h), found by reading both as text, element by element,
// the way a line diff would, instead of loading the earlier one.
//
//   RpFileDigest::TextComparison c = RpFileDigest::CompareTexts(nowText, earlierText);
//   if (c.bCompared) {
//     ... c.changed ...            // sorted ids
//   } else {
//     ... load both and compare the repositories; c.whyNot says what stopped the text comparison
//   }
//
// Each top-level element is one range of bytes: an `<object>` with everything
// in it (keyed by its id), a `<tuple>`, a `<blob>`. The comparison finds the bytes
// both texts share at their start and at their end, and splits only what lies
// between, so a rename in a 75 MB file splits a few elements. changed then
// holds:
//   - the ids of objects whose bytes differ, apart from the pos attribute (a
//     child's place among its siblings, not a property of the object);
//   - the ids of objects in one text only (created or deleted);
//   - the arguments of tuples in one text only.
// That is every object whose name, parent, aliases, properties or tuples
// differ: equal bytes read the same way, since nothing in an element depends
// on text outside it. Bytes that differ without a different object (another
// spelling of the same value, the same tuple written twice) only make the
// set larger, never smaller; two texts the writer made give exactly the
// objects that differ. The repository's name and its data blobs are no
// objects and do not count.
//
// It holds because '<' cannot stand unescaped in XML text or attribute
// values, so every '<' starts markup. Comments, CDATA sections, processing
// instructions and a document type declaration (entities) break that, and
// XML 1.1 or an encoding other than UTF-8 give the same bytes another
// meaning; so do root elements that differ in more than the repository's
// name (a namespace, say). Those, an element the format does not have at the
// top level, text between the top-level elements, a malformed or truncated
// tag, and the tuples both texts have standing in another order (a
// relation's order may have changed) make bCompared false, and whyNot names
// the first such thing. A broken earlier file thus falls back to loading
// it, which reports what is wrong with it; an earlier text is not checked
// beyond what the splitting reads, so a fault inside an element that differs
// only makes that object changed.
//
// nowText must be a text that loads (the current repository's); earlierText
// may be anything. No input reads out of bounds or throws.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "Utility/VoidID.h"

namespace RpFileDigest {

struct TextComparison {
  bool bCompared = false;
  std::string whyNot;           // when not compared
  std::vector<VoidID> changed;  // when compared: sorted, each id once
};

TextComparison CompareTexts(std::string_view nowText, std::string_view earlierText);

// One top-level element of a repository text: [begin, end) are its bytes;
// an object's id, and its pos attribute [posBegin, posEnd) with the blank in
// front (empty when it has none).
struct Element {
  enum class Kind { kObject, kTuple, kBlob, kEnd };
  Kind kind = Kind::kEnd;
  std::size_t begin = 0;
  std::size_t end = 0;
  VoidID id;
  std::size_t posBegin = 0;
  std::size_t posEnd = 0;
};

// Reads a repository text's top-level elements in order.
//
//   Splitter s(text);
//   std::string why;
//   if (!s.Start(why)) ...;
//   for (Element e; s.Next(e, why) && e.kind != Element::Kind::kEnd;) ...;
//   // false: why says what is not in the written layout
//
// Next gives kEnd once past `</repository>` and the blanks after it.
class Splitter {
 public:
  explicit Splitter(std::string_view text) : m_text(text) {}
  // Reads the prolog and the root's start tag. False when the prolog is not
  // an XML declaration (UTF-8) and blanks, or the root is not `<repository>`.
  bool Start(std::string& whyNot);
  // Where the root's content starts, and its start tag's bytes.
  std::size_t ContentStart() const { return m_contentStart; }
  std::string_view RootTag() const { return m_text.substr(m_rootBegin, m_contentStart - m_rootBegin); }
  // Continues at offset, which must be the start of a top-level element (or
  // of the blanks before one) at or after ContentStart().
  void Seek(std::size_t offset) {
    if (!m_bDone) m_at = offset;
  }
  std::size_t Offset() const { return m_at; }
  bool Next(Element& e, std::string& whyNot);
  // Past the root element's end (then Offset() is the text's size).
  bool Done() const { return m_bDone; }

 private:
  std::string_view m_text;
  std::size_t m_at = 0;
  std::size_t m_rootBegin = 0;
  std::size_t m_contentStart = 0;
  bool m_bDone = false;
};

// The ids of a tuple element's args attribute, in order; false when it has
// none or they are not written as the format writes them.
bool TupleArgs(std::string_view tupleElement, std::vector<VoidID>& args);

}  // namespace RpFileDigest
