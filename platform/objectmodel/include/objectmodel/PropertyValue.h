// PropertyValue: the value of a session variable (or of a typed property),
// and Heap<T>, the owning holder that hands such values around.
//
//   Heap<PropertyValue> v(new PropertyValueString(U"true"));
//   v->GetKind();      // PropertyValue::kString (1)
//   v->StringFrom();   // U"true"
//   Heap<PropertyValue> list(new PropertyValueStringVector({U"a", U"b"}));
//   list->GetKind();   // PropertyValue::kStringVector (6)
#pragma once

#include <cstdint>
#include <memory>
#include <utility>

#include "Utility/VXString.h"

// An owning pointer; destroying the holder deletes the value. Moving passes
// the ownership on, as the callers that hand a value to a quoting function do.
template <class T>
class Heap {
 public:
  Heap() = default;
  explicit Heap(T* p) : m_p(p) {}
  Heap(std::unique_ptr<T> p) : m_p(std::move(p)) {}  // NOLINT: implicit by design
  Heap(Heap&&) noexcept = default;
  Heap& operator=(Heap&&) noexcept = default;
  Heap(const Heap&) = delete;
  Heap& operator=(const Heap&) = delete;

  T* operator->() const { return m_p.get(); }
  T& operator*() const { return *m_p; }
  T* Get() const { return m_p.get(); }
  bool IsNull() const { return !m_p; }
  explicit operator bool() const { return static_cast<bool>(m_p); }
  void Reset(T* p = nullptr) { m_p.reset(p); }
  T* Release() { return m_p.release(); }

 private:
  std::unique_ptr<T> m_p;
};

class PropertyValue {
 public:
  // Value kinds. kStringVector (6) is the list kind that VALUEOF(n, ...) indexes.
  enum Kind : int {
    kNull = 0,
    kString = 1,
    kInt = 2,
    kDouble = 3,
    kBool = 4,
    kDateTime = 5,
    kStringVector = 6,
  };

  virtual ~PropertyValue() = default;
  virtual int GetKind() const = 0;
  // The value as text (a list gives its entries joined by ", ").
  virtual VXString StringFrom() const = 0;
  virtual std::unique_ptr<PropertyValue> Clone() const = 0;
};

class PropertyValueString final : public PropertyValue {
 public:
  explicit PropertyValueString(VXString value) : m_value(std::move(value)) {}
  int GetKind() const override { return kString; }
  VXString StringFrom() const override { return m_value; }
  std::unique_ptr<PropertyValue> Clone() const override { return std::make_unique<PropertyValueString>(m_value); }
  const VXString& GetValue() const { return m_value; }

 private:
  VXString m_value;
};

class PropertyValueInt final : public PropertyValue {
 public:
  explicit PropertyValueInt(std::int64_t value) : m_value(value) {}
  int GetKind() const override { return kInt; }
  VXString StringFrom() const override;
  std::unique_ptr<PropertyValue> Clone() const override { return std::make_unique<PropertyValueInt>(m_value); }
  std::int64_t GetValue() const { return m_value; }

 private:
  std::int64_t m_value;
};

class PropertyValueDouble final : public PropertyValue {
 public:
  explicit PropertyValueDouble(double value) : m_value(value) {}
  int GetKind() const override { return kDouble; }
  // Shortest text that reads back to the same double.
  VXString StringFrom() const override;
  std::unique_ptr<PropertyValue> Clone() const override { return std::make_unique<PropertyValueDouble>(m_value); }
  double GetValue() const { return m_value; }

 private:
  double m_value;
};

class PropertyValueBool final : public PropertyValue {
 public:
  explicit PropertyValueBool(bool value) : m_value(value) {}
  int GetKind() const override { return kBool; }
  VXString StringFrom() const override { return m_value ? U"true" : U"false"; }
  std::unique_ptr<PropertyValue> Clone() const override { return std::make_unique<PropertyValueBool>(m_value); }
  bool GetValue() const { return m_value; }

 private:
  bool m_value;
};

// A date-time kept as its text (the server's VXDateTime form).
class PropertyValueDateTime final : public PropertyValue {
 public:
  explicit PropertyValueDateTime(VXString text) : m_text(std::move(text)) {}
  int GetKind() const override { return kDateTime; }
  VXString StringFrom() const override { return m_text; }
  std::unique_ptr<PropertyValue> Clone() const override { return std::make_unique<PropertyValueDateTime>(m_text); }

 private:
  VXString m_text;
};

class PropertyValueStringVector final : public PropertyValue {
 public:
  explicit PropertyValueStringVector(VXStringVector strings) : m_strings(std::move(strings)) {}
  int GetKind() const override { return kStringVector; }
  VXString StringFrom() const override;
  std::unique_ptr<PropertyValue> Clone() const override {
    return std::make_unique<PropertyValueStringVector>(m_strings);
  }
  const VXStringVector& GetStrings() const { return m_strings; }

 private:
  VXStringVector m_strings;
};
