// QueryFileReader: reads a query spec described in a small text file, so that
// tools and tests can write queries by hand.
//
//   QueryFileTypes types{ParseMyTypeName, MyTypeLabel};
//   QueryFileReader reader(pRp, types);
//   reader.ReadFile("orders_by_region.qry");       // throws QueryFileError
//   const AbstractListQuerySpec& spec = reader.Get("");   // the last query
//
// The file holds one or more named queries. Lines (blank lines and lines
// starting with # are ignored; leading blanks are not significant):
//
//   query NAME                           a single query; the lines below fill it
//     select ALIAS = EXPR                a select item (ALIAS may be "double quoted")
//     break LEVEL break|associated|body ALIAS
//     distinct | unsuppressed
//     from TABLE | from derived NAME     a FROM entry
//     join inner|left|right|full|stitch|natural TABLE|derived NAME [on EXPR]
//                                        joins the last FROM entry with another
//     where EXPR | having EXPR
//     order EXPR [asc|desc|none]
//     node TABLE                         a join-graph node
//     link LINK TABLE                    a link (foreign key or complex join) from the last node
//     catalog FOLDER                     the subject area asked for
//   setquery NAME union|intersect|except [all]
//     operand NAME                       an earlier query, in order
//     order EXPR [asc|desc|none]
//
// TABLE, LINK and FOLDER name an object as {TYPE:"qualified"."name"} or by id
// as #3001:1; the caller says how a TYPE is read (QueryFileTypes). EXPR is
// the expression text form of the expression library (Add(1,2),
// Equal(#3003:1,5), 'text', ...), in which {TYPE:"qualified"."name"} stands
// for an object reference and SQ(NAME) for a subquery made of an earlier
// query.
#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "ListQuerySpec/ListQuerySpec.h"
#include "Utility/SourceError.h"
#include "objectmodel/RpGateway.h"

// A problem in the query file: "FILE:LINE: what", the line left out when the
// problem belongs to no line (an unreadable or empty file, a query name not
// in the file).
class QueryFileError : public SourceError {
 public:
  QueryFileError(const std::string& source, std::size_t line, const std::string& what)
      : SourceError(source, line, 0, what) {}
};

// How the TYPE of {TYPE:name} is read and written back in messages.
struct QueryFileTypes {
  // True with type set, or false with why saying what is wrong with text.
  std::function<bool(const std::string& text, TypeID& type, std::string& why)> parse;
  std::function<std::string(TypeID type)> label;
};

class QueryFileReader {
 public:
  QueryFileReader(ARpGateway* pRp, QueryFileTypes types);
  ~QueryFileReader();

  // Reads the queries of a file's text; throws QueryFileError naming
  // sourceName, the line and what was expected. A file that defines no query
  // is an error.
  void Read(std::string_view text, const std::string& sourceName = "<query file>");
  // The same for the regular file at path (line 0: the file itself could not
  // be read, the message says why).
  void ReadFile(const std::string& path);
  // The query named name, or the last one when name is empty.
  const AbstractListQuerySpec& Get(const std::string& name) const;

 private:
  class Impl;
  QueryFileTypes m_types;
  std::unique_ptr<Impl> m_impl;
};

// Upper-case hex digits, two per byte.
std::string HexFromBytes(const ByteVector& bytes);
