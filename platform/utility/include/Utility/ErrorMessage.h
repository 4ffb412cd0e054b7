// ErrorMessage: an error a user must see, named by its message number and
// its arguments; its text comes from the message catalogue. Raised with
// SUGThrow, which records where it was raised.
//
//   SUGThrow("server/Metadata/Src/SMUtil.cpp", 2299, ErrorMessage(23005, {varName}));
//   ...
//   catch (const ErrorMessage& e) { e.GetMessageNumber(); e.GetText(); e.what(); }
#pragma once

#include <exception>
#include <initializer_list>
#include <string>

#include "Utility/MessageCatalogue.h"
#include "Utility/VXString.h"

class ErrorMessage;
class ErrorMessage : public std::exception {
 public:
  explicit ErrorMessage(MessageId id) : m_messageNumber(id) {}
  ErrorMessage(MessageId id, VXStringVector args) : m_messageNumber(id), m_args(std::move(args)) {}
  ErrorMessage(MessageId id, std::initializer_list<VXString> args) : m_messageNumber(id), m_args(args) {}

  MessageId GetMessageNumber() const { return m_messageNumber; }
  const VXStringVector& GetArguments() const { return m_args; }
  ErrorMessage& AddArgument(const VXString& arg) {
    m_args.push_back(arg);
    m_narrowText.clear();
    return *this;
  }

  // Where SUGThrow raised it; empty and 0 before that.
  const std::string& GetFile() const { return m_file; }
  int GetLine() const { return m_line; }

  // "[id] text" with the arguments filled in, from the message catalogue.
  VXString GetText() const;
  // The same text in UTF-8; computed when raised, so what() never throws.
  const char* what() const noexcept override;

 private:
  friend void SUGThrow(const char* file, int line, const ErrorMessage& message);
  MessageId m_messageNumber;
  VXStringVector m_args;
  std::string m_file;
  int m_line = 0;
  std::string m_narrowText;
};
