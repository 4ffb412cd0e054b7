#include "objectmodel/PropertyValue.h"

#include <charconv>
#include <string>

VXString PropertyValueInt::StringFrom() const { return ToVXString(std::to_string(m_value)); }

VXString PropertyValueDouble::StringFrom() const {
  char buf[64];
  auto res = std::to_chars(buf, buf + sizeof buf, m_value);
  return ToVXString(std::string_view(buf, static_cast<std::size_t>(res.ptr - buf)));
}

VXString PropertyValueStringVector::StringFrom() const {
  VXString out;
  for (std::size_t i = 0; i < m_strings.size(); ++i) {
    if (i) out += U", ";
    out += m_strings[i];
  }
  return out;
}
